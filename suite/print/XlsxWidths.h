#pragma once

#include <QByteArrayView>
#include <QStringList>
#include <QVector>

namespace tarvo::suite {

/// The widths of a workbook's columns, in the characters a spreadsheet measures them in, as
/// wide as the caption and the widest value the column holds (an ideograph takes two), within
/// a cap. The values are looked at as the rows stream past: a workbook gets its column widths
/// when it is closed, so the widest value of a long list costs no second pass over it.
class XlsxWidths {
public:
    /// Wider than this, a column would push the next ones off a printed page; longer texts
    /// show in the cell when it is selected.
    static constexpr double kCap = 50;

    explicit XlsxWidths(const QStringList& captions);

    /// A text as the cell holds it, in UTF-8; a text of several lines is as wide as its
    /// longest.
    void seeText(int column, QByteArrayView utf8);
    /// A number as the column's format shows it: the given decimals (-1: as many as it has),
    /// thousands grouped or not.
    void seeNumber(int column, double value, int decimals, bool grouped);
    /// A date as yyyy-mm-dd.
    void seeDate(int column);

    double width(int column) const;

    /// Characters of a text as a spreadsheet sets them: two for each East Asian wide one.
    static int textWidth(QByteArrayView utf8);

private:
    QVector<int> m_caption;
    QVector<int> m_widest;
};

} // namespace tarvo::suite
