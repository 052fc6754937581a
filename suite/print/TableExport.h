#pragma once

#include "PrintData.h"
#include "PrintStyle.h"
#include "WorkProgress.h"

#include <QString>
#include <QVector>

#include <functional>
#include <optional>

namespace tarvo::suite {

enum class ExportFormat { Xlsx, Csv, Pdf };

/// The file type by the name's extension, in any letter case; nothing for any other name.
std::optional<ExportFormat> exportFormatOf(const QString& path);

/// The type and size of each exported column, as the public-services object describes them
/// (two comma-separated lists of field type codes and defined sizes, in column order).
struct ExportColumnTypes {
    QVector<int> types;
    QVector<int> sizes;
    static std::optional<ExportColumnTypes> parse(const QString& types, const QString& sizes);
};

class PageRenderer;

/// Rows that come straight from where they are read rather than from print data: hands each
/// row's cells in UTF-8 (valid until eachRow returns) to eachRow in order, one at a time, until
/// eachRow returns false. False when it was stopped so or the rows could not all be had.
using ExportRowSource =
    std::function<bool(const std::function<bool(const PrintDataCells&)>& eachRow)>;

struct ExportJob {
    QString path;
    QString sheetName;
    const PrintStyle* style = nullptr;
    const ExportColumnTypes* types = nullptr;
    /// The print data file the rows are read from.
    QString dataFile;
    /// Or, when set, the rows as they are read (not for a PDF, whose pages come from the file).
    ExportRowSource rows;
    /// The pages laid out from it, for a PDF.
    PageRenderer* pages = nullptr;
    /// Told the rows (a PDF: the pages) written; a stop leaves no file.
    WorkProgress progress;
};

/// Writes the list into the job's file, row by row straight from the data; the file appears
/// only when it is whole (an existing file is replaced then, never half-overwritten). Returns
/// why it failed, or nothing. Plain blocking code, for any thread: whoever waits decides how.
std::optional<QString> writeCsv(const ExportJob& job);
std::optional<QString> writeXlsx(const ExportJob& job);
std::optional<QString> writePdf(const ExportJob& job);

} // namespace tarvo::suite
