#pragma once

#include "ITableReader.h"
#include "TableCollector.h"

#include <QByteArray>

class QIODevice;

namespace tarvo::suite {

/// A CSV file as RFC 4180 writes it (commas, double quotes, line breaks inside quotes): UTF-8
/// with or without a byte-order mark when the bytes are valid UTF-8, otherwise GB18030, the
/// encoding Chinese spreadsheet programs save in. Read a piece at a time from a device that
/// can seek back to its start, the rows kept within the bounds of TableCollector.
/// Both readers end early, with nothing read and stopped set, when progress asks them to.
TableText readCsv(QIODevice& device, const WorkProgress& progress = {});
TableText readCsv(const QByteArray& bytes);

/// The first worksheet of an .xlsx workbook: shared and inline strings as they are, numbers in
/// their shortest exact form (past the 15 digits a spreadsheet keeps, as it shows them:
/// "2E+17"), cells formatted as dates as "yyyy-MM-dd". Every part is parsed as it inflates; a
/// part that is no well-formed XML, or declares a document type, fails the file.
TableText readXlsx(const QString& path, const WorkProgress& progress = {});

/// The table reader "TarvoPrint.TableReader": the file's type by its extension.
class TableReader : public ITableReader {
public:
    bool Read(const QString& path, QVector<QStringList>& rows, QString& errText,
              const WorkProgress& progress = {}) override;
};

} // namespace tarvo::suite
