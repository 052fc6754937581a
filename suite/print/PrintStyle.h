#pragma once

#include <QPageLayout>
#include <QString>
#include <QVector>

#include <optional>
#include <utility>

namespace tarvo::suite {

/// How a column's cells are read when they leave the grid: texts stay texts whatever they look
/// like (codes, account numbers), numbers and amounts become numbers, dates dates.
enum class CellKind { Text, Number, Date };

struct PrintColumn {
    QString caption;
    int widthTwips = 0;
    Qt::Alignment align = Qt::AlignLeft;
    CellKind kind = CellKind::Text;
    /// Decimals shown for a number column; -1 keeps the digits the grid shows.
    int decimals = -1;
    /// Thousands grouped, as amounts are; a count such as the row number reads better without.
    bool grouped = true;
};

/// The print format of one archive's list: page set-up and the printed columns in grid order.
/// It travels as XML between the public-services object, the print control and the database.
struct PrintStyle {
    QString archive;
    QString title;
    QPageLayout page;
    /// The columns are scaled down to go across the page in one band instead of several; kept
    /// with the page set-up.
    bool fitWidth = false;
    QVector<PrintColumn> columns;

    /// Nothing when the text is not a print style.
    static std::optional<PrintStyle> fromXml(const QString& xml);
    QString toXml() const;
    /// The style as the print control's style event carries it: the page set-up part and the
    /// column part; the two joined give the style's XML again.
    std::pair<QString, QString> split() const;

    /// A4 with 15 mm margins, turned to landscape when the columns are wider than portrait.
    static QPageLayout defaultPage(int totalWidthTwips);
};

/// The number a grid text stands for ("1,234.50", "-3"); nothing when it is not a number.
std::optional<double> parseNumber(const QString& text);
/// Whether a character beyond ASCII may stand in a text parseNumber reads as a number: white
/// space around it, or the minus sign U+2212. Any other one (a word, an ideograph) makes the
/// text no number, which a long column of words can tell without a string per cell.
bool mayBeInNumber(char32_t c);
/// A number as printed in a list: thousands grouped unless told otherwise, the given decimals
/// (-1 as it comes).
QString formatNumber(double value, int decimals, bool grouped = true);

} // namespace tarvo::suite
