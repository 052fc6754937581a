#pragma once

#include "TableExport.h"

#include <QByteArrayView>
#include <QDate>
#include <QStringView>

namespace tarvo::suite {

/// How one exported column's values go into a file, settled once per export rather than per
/// cell.
struct ExportColumn {
    enum Kind { Text, Number, Date } kind = Text;
    /// -1: as many as the value needs; never more than kMaxDecimals.
    int decimals = -1;
    bool grouped = true; ///< thousands grouped when shown
};
constexpr int kMaxDecimals = 30;
QVector<ExportColumn> exportColumns(const ExportJob& job);

/// A number or date column's value as its writer takes it; a grid text that does not read as
/// one stays a text (kind Text), an empty one is Blank.
struct CellValue {
    enum Kind { Blank, Text, Number, Date } kind = Blank;
    double number = 0;
    QDate date;
};
CellValue cellValue(ExportColumn::Kind kind, QStringView text);
/// The same for a cell read as UTF-8.
CellValue cellValue(ExportColumn::Kind kind, QByteArrayView utf8);

/// The number as a .csv carries it: fixed decimals, or all the digits it needs when the column
/// names none; no thousands separators (a reader takes a comma for the next field). Writes at
/// most kNumberChars bytes at out and returns their end.
constexpr int kNumberChars = 360; // the largest double has 309 digits, then the decimals
char* formatCsvNumber(char* out, double value, int decimals);

/// Why an export stops when its rows cannot be read.
QString unreadableDataError();

} // namespace tarvo::suite
