#pragma once

#include "ITableReader.h"

#include <QByteArray>

#include <optional>

namespace tarvo::suite {

/// Rows of cell texts, or why the file is no readable table.
struct TableText {
    QVector<QStringList> rows;
    QString error;
};

/// A CSV file as RFC 4180 writes it (commas, double quotes, line breaks inside quotes): UTF-8
/// with or without a byte-order mark when the bytes are valid UTF-8, otherwise GB18030, the
/// encoding Chinese spreadsheet programs save in.
TableText readCsv(const QByteArray& bytes);

/// The first worksheet of an .xlsx workbook: shared and inline strings as they are, numbers in
/// their shortest exact form (past the 15 digits a spreadsheet keeps, as it shows them:
/// "2E+17"), cells formatted as dates as "yyyy-MM-dd".
TableText readXlsx(const QString& path);

/// The table reader "TarvoPrint.TableReader": the file's type by its extension.
class TableReader : public ITableReader {
public:
    bool Read(const QString& path, QVector<QStringList>& rows, QString& errText) override;
};

} // namespace tarvo::suite
