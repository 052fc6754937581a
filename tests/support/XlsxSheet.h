#pragma once

#include <QHash>
#include <QString>

#include <optional>

/// The first worksheet of an xlsx file as a spreadsheet program reads it: each cell's type
/// ("s" shared string, "inlineStr", "str", "b", or "n" for a number) and its value, with
/// strings resolved to their text.
struct XlsxCell {
    QString type;
    QString value;
    bool formula = false;
};

class XlsxSheet {
public:
    /// Nothing when the file is not a readable workbook.
    static std::optional<XlsxSheet> read(const QString& path);
    /// The cell at a reference such as "B2"; an empty cell has an empty type.
    XlsxCell at(const QString& ref) const { return m_cells.value(ref); }
    int lastRow() const { return m_lastRow; }
    /// The width the sheet sets for a column (1 for A …), in characters; 0 when it sets none.
    double columnWidth(int column) const { return m_widths.value(column); }
    /// An attribute of the sheet's page set-up for printing ("orientation", "fitToPage" …).
    QString pageSetup(const QString& attribute) const { return m_pageSetup.value(attribute); }

private:
    QHash<QString, XlsxCell> m_cells;
    QHash<int, double> m_widths;
    QHash<QString, QString> m_pageSetup;
    int m_lastRow = 0;
};
