#include "PageRenderer.h"

#include "ResourceTable.h"
#include "SuiteContext.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace tarvo::suite {

namespace {

constexpr double kTwipsPerInch = 1440.0;

QString tr(const char* key, const QVariantList& values) {
    return ResourceTable::forLanguage(sessionLanguage()).format(QString::fromLatin1(key), values);
}

/// The lines a text takes in a cell of the given width: breaks at word boundaries where it
/// can and inside a word (a long account number) where it must.
QStringList wrapText(const QString& text, const QFont& font, QPaintDevice* device, double width) {
    QStringList lines;
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : plain.split(u'\n')) {
        QTextLayout layout(paragraph, font, device);
        layout.setTextOption(option);
        layout.beginLayout();
        int before = int(lines.size());
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
        if (lines.size() == before)
            lines << QString();
    }
    return lines;
}

bool fitsOnOneLine(const QString& text, const QFontMetricsF& fm, double width) {
    return !text.contains(u'\n') && !text.contains(u'\r') && fm.horizontalAdvance(text) <= width;
}

/// A number or a date broken across lines reads as two values.
bool keepsOneLine(const PrintColumn& column) {
    return column.kind != CellKind::Text;
}

/// The font, stepped down by half points, at which a text fits the width.
QFont fittingFont(const QFont& font, const QString& text, double width, QPaintDevice* device) {
    constexpr double kSmallest = 4;
    QFont smaller = font;
    while (smaller.pointSizeF() > kSmallest &&
           QFontMetricsF(smaller, device).horizontalAdvance(text) > width)
        smaller.setPointSizeF(smaller.pointSizeF() - 0.5);
    return smaller;
}

} // namespace

PageRenderer::PageRenderer(const PrintStyle& style, const QString& dataXml)
    : m_style(style), m_data(dataXml) {
    m_bodyFont.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Sans Serif")});
    m_bodyFont.setPointSizeF(9);
    // Shaping may swap a glyph for an alternate the font maps no character to (a digit after a
    // letter, in the CJK fonts), and a PDF then loses that character from its text.
    m_bodyFont.setStyleStrategy(QFont::PreferNoShaping);
    m_headFont = m_bodyFont;
    m_headFont.setBold(true);
    m_titleFont = m_headFont;
    m_titleFont.setPointSizeF(14);
}

QString PageRenderer::displayText(const PrintColumn& column, const QString& text) {
    if (column.kind != CellKind::Number || column.decimals < 0)
        return text;
    const auto value = parseNumber(text);
    return value ? formatNumber(*value, column.decimals) : text;
}

void PageRenderer::measure(QPagedPaintDevice* device) {
    const double dpi = device->logicalDpiX();
    const double pageWidth = device->width();
    m_padX = dpi * 0.04;
    m_padY = dpi * 0.02;
    const int n = int(m_style.columns.size());
    m_widths.clear();
    for (const PrintColumn& c : m_style.columns)
        m_widths << std::max(c.widthTwips / kTwipsPerInch * dpi, 4 * m_padX);
    widenUnbrokenColumns(device);
    // The first column repeats in every band when it leaves room for the others.
    const bool repeatFirst = n > 1 && m_widths[0] <= pageWidth / 3;
    const double room = pageWidth - (repeatFirst ? m_widths[0] : 0);
    for (int i = 1; i < n; ++i)
        m_widths[i] = std::min(m_widths[i], room);
    m_widths[0] = std::min(m_widths[0], pageWidth);

    m_bands.clear();
    QVector<int> band;
    double used = 0;
    for (int i = 0; i < n; ++i) {
        if (!band.isEmpty() && used + m_widths[i] > pageWidth + 0.5) {
            m_bands << band;
            band.clear();
            used = 0;
            if (repeatFirst) {
                band << 0;
                used = m_widths[0];
            }
        }
        band << i;
        used += m_widths[i];
    }
    m_bands << band;

    m_headerRowHeight = 0;
    for (int i = 0; i < n; ++i)
        m_headerRowHeight =
            std::max(m_headerRowHeight, cellHeight(m_style.columns[i].caption, m_widths[i],
                                                   m_headFont, false, device));
    const QFontMetricsF title(m_titleFont, device);
    const QFontMetricsF body(m_bodyFont, device);
    m_bodyTop = title.lineSpacing() + body.lineSpacing() + 4 * m_padY + m_headerRowHeight;
    const double footer = body.lineSpacing() + 2 * m_padY;
    m_bodyHeight = std::max(body.lineSpacing(), device->height() - m_bodyTop - footer);
}

void PageRenderer::widenUnbrokenColumns(QPaintDevice* device) {
    QVector<int> unbroken;
    for (int i = 0; i < m_style.columns.size(); ++i)
        if (keepsOneLine(m_style.columns[i]))
            unbroken << i;
    PrintDataReader reader(m_data);
    PrintDataHeader ignored;
    if (unbroken.isEmpty() || !reader.readHeader(ignored))
        return;
    const QFontMetricsF fm(m_bodyFont, device);
    QStringList cells;
    while (reader.next(cells))
        for (int i : unbroken)
            if (i < cells.size())
                m_widths[i] = std::max(
                    m_widths[i],
                    fm.horizontalAdvance(displayText(m_style.columns[i], cells[i])) + 2 * m_padX);
}

double PageRenderer::cellHeight(const QString& text, double width, const QFont& font, bool oneLine,
                                QPaintDevice* device) const {
    const QFontMetricsF fm(font, device);
    const double inner = std::max(1.0, width - 2 * m_padX);
    if (oneLine || fitsOnOneLine(text, fm, inner))
        return fm.height() + 2 * m_padY;
    return wrapText(text, font, device, inner).size() * fm.lineSpacing() + 2 * m_padY;
}

bool PageRenderer::layoutRows(QPagedPaintDevice* device) {
    PrintDataReader reader(m_data);
    if (!reader.readHeader(m_header))
        return false;
    m_heights.clear();
    m_blocks = {0};
    double used = 0;
    QStringList cells;
    while (reader.next(cells)) {
        if (cells.size() != m_style.columns.size())
            return false;
        double h = 0;
        for (int i = 0; i < cells.size(); ++i)
            h = std::max(h, cellHeight(displayText(m_style.columns[i], cells[i]), m_widths[i],
                                       m_bodyFont, keepsOneLine(m_style.columns[i]), device));
        // A row taller than a page gets a page of its own and is shown as far as it fits.
        h = std::min(h, m_bodyHeight);
        if (used > 0 && used + h > m_bodyHeight) {
            m_blocks << int(m_heights.size());
            used = 0;
        }
        m_heights << h;
        used += h;
    }
    m_rowCount = int(m_heights.size());
    return !reader.hasError();
}

bool PageRenderer::render(QPagedPaintDevice* device) {
    measure(device);
    if (!layoutRows(device))
        return false;
    QPainter p;
    if (!p.begin(device))
        return false;
    const QSizeF page(device->width(), device->height());
    PrintDataReader reader(m_data);
    PrintDataHeader ignored;
    reader.readHeader(ignored);
    QVector<QStringList> rows;
    QStringList cells;
    for (int b = 0; b < m_blocks.size(); ++b) {
        const int end = b + 1 < m_blocks.size() ? m_blocks[b + 1] : m_rowCount;
        rows.clear();
        for (int r = m_blocks[b]; r < end && reader.next(cells); ++r)
            rows << cells;
        for (int band = 0; band < m_bands.size(); ++band) {
            const int number = b * int(m_bands.size()) + band + 1;
            if (number > 1)
                device->newPage();
            paintPage(p, b, band, rows, number, page);
        }
    }
    p.end();
    return true;
}

void PageRenderer::paintPage(QPainter& p, int block, int band, const QVector<QStringList>& rows,
                             int pageNumber, QSizeF page) {
    const QFontMetricsF title(m_titleFont, p.device());
    const QFontMetricsF body(m_bodyFont, p.device());
    p.setPen(QPen(Qt::black, p.device()->logicalDpiX() / 150.0));

    p.setFont(m_titleFont);
    const QString caption = m_style.title.isEmpty() ? m_header.title : m_style.title;
    drawText(p, QRectF(0, 0, page.width(), title.lineSpacing()), Qt::AlignCenter, caption);
    p.setFont(m_bodyFont);
    const QRectF info(0, title.lineSpacing() + m_padY, page.width(), body.lineSpacing());
    const QString who = (m_header.userId + u' ' + m_header.userName).trimmed();
    drawText(p, info, Qt::AlignLeft | Qt::AlignVCenter,
             tr("Tarvo.Print.account", {m_header.account}) + QStringLiteral("    ") +
                 tr("Tarvo.Print.user", {who}));
    drawText(p, info, Qt::AlignRight | Qt::AlignVCenter, tr("Tarvo.Print.date", {m_header.date}));

    const QVector<int>& columns = m_bands[band];
    double x = 0;
    const double headTop = m_bodyTop - m_headerRowHeight;
    for (int c : columns) {
        const QRectF cell(x, headTop, m_widths[c], m_headerRowHeight);
        p.fillRect(cell, QColor(0xe8, 0xe8, 0xe8));
        p.drawRect(cell);
        paintCell(p, cell, m_style.columns[c].caption, Qt::AlignHCenter, m_headFont, false);
        x += m_widths[c];
    }
    double y = m_bodyTop;
    for (int r = 0; r < rows.size(); ++r) {
        const double h = m_heights[m_blocks[block] + r];
        x = 0;
        for (int c : columns) {
            const QRectF cell(x, y, m_widths[c], h);
            p.drawRect(cell);
            paintCell(p, cell, displayText(m_style.columns[c], rows[r].value(c)),
                      m_style.columns[c].align, m_bodyFont, keepsOneLine(m_style.columns[c]));
            x += m_widths[c];
        }
        y += h;
    }
    p.setFont(m_bodyFont);
    drawText(p, QRectF(0, page.height() - body.lineSpacing(), page.width(), body.lineSpacing()),
             Qt::AlignCenter, tr("Tarvo.Print.page", {pageNumber, pageCount()}));
}

void PageRenderer::drawText(QPainter& p, const QRectF& rect, int flags, const QString& text) {
    m_names.note(p.font(), text);
    p.drawText(rect, flags, text);
}

void PageRenderer::paintCell(QPainter& p, const QRectF& cell, const QString& text,
                             Qt::Alignment align, const QFont& font, bool oneLine) {
    p.setFont(font);
    const QFontMetricsF fm(font, p.device());
    const QRectF inner = cell.adjusted(m_padX, m_padY, -m_padX, -m_padY);
    if (fitsOnOneLine(text, fm, inner.width())) {
        drawText(p, inner, align | Qt::AlignVCenter, text);
        return;
    }
    if (oneLine) {
        p.setFont(fittingFont(font, text, inner.width(), p.device()));
        drawText(p, inner, align | Qt::AlignVCenter, text);
        return;
    }
    double y = inner.top();
    for (const QString& line : wrapText(text, font, p.device(), inner.width())) {
        if (y + fm.lineSpacing() > inner.bottom() + 0.5)
            break;
        drawText(p, QRectF(inner.left(), y, inner.width(), fm.lineSpacing()),
                 align | Qt::AlignVCenter, line);
        y += fm.lineSpacing();
    }
}

} // namespace tarvo::suite
