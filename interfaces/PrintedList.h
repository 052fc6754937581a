#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

namespace tarvo {

/// One column of a list that no grid holds, as a grid would show it.
struct PrintedColumn {
    QString caption;
    int widthTwips = 0;
    /// The grid's alignment code (0–2 left, 3–5 centre, 6–8 right).
    int alignment = 0;
    int adoType = 0;
    int definedSize = 0;
};

/// The row at hand of a list that no grid holds.
class PrintedRow {
public:
    virtual ~PrintedRow() = default;
    /// Appends the text shown in a column (by its place among the list's columns) as UTF-8.
    virtual void appendCell(int column, QByteArray& out) const = 0;
};

/// A list to print or export without a window (a script's export): what a list window's grid
/// would show, told to the print services instead of read from the grid.
struct PrintedList {
    QString archive;     ///< the archive's name, whose stored page set-up the style takes
    QString archiveName; ///< the list's title
    QString accId;
    QString userId;
    QString userName;
    /// The row numbers' column, printed first when the user's option says so, as for a grid.
    PrintedColumn rowNumbers;
    /// The shown columns in list order.
    QVector<PrintedColumn> columns;
    /// Hands every row in turn to eachRow, one at a time, until eachRow returns false: the list
    /// is never held as a whole. Throws when the rows cannot be read.
    std::function<void(const std::function<bool(const PrintedRow&)>& eachRow)> forEachRow;
};

/// How the print control is to print or export a PrintedList, as the print services give it
/// for a grid: the rows themselves come from the list as the control writes them.
struct PrintedListStyle {
    QString styleXml;
    QString columnTypes;
    QString columnSizes;
    /// The style's first column is the row numbers, which the control counts itself.
    bool rowNumbers = false;
};

} // namespace tarvo
