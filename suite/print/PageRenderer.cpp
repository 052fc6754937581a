#include "PageRenderer.h"

#include "ResourceTable.h"
#include "SuiteContext.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QScopedValueRollback>

#include <limits>
#include <numeric>

namespace tarvo::suite {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kPointsPerInch = 72.0;

QString tr(const char* key, const QVariantList& values) {
    return ResourceTable::forLanguage(sessionLanguage()).format(QString::fromLatin1(key), values);
}

/// A number or a date broken across lines reads as two values.
bool keepsOneLine(const PrintColumn& column) {
    return column.kind != CellKind::Text;
}

bool hasLineBreak(QStringView text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

int pixels(double points) {
    return qRound(points * PageRenderer::kDpi / kPointsPerInch);
}

QFont pageFont(double points, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Sans Serif")});
    // Sized in layout units, so that the pages measure the same on screen, paper and PDF.
    f.setPixelSize(pixels(points));
    f.setBold(bold);
    // Shaping may swap a glyph for an alternate the font maps no character to (a digit after a
    // letter, in the CJK fonts), and a PDF then loses that character from its text.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

} // namespace

PageRenderer::PageRenderer(const PrintStyle& style, const QString& dataFile)
    : m_style(style), m_dataFile(dataFile), m_reader(dataFile), m_body(pageFont(9, false)),
      m_head(pageFont(9, true)), m_title(pageFont(14, true)) {}

PageRenderer::PageRenderer(const PageRenderer& laidOut)
    : PageRenderer(laidOut.m_style, laidOut.m_dataFile) {
    m_laidOut = laidOut.m_laidOut;
    m_complete = laidOut.m_complete;
    m_failed = laidOut.m_failed;
    m_pageSize = laidOut.m_pageSize;
    m_area = laidOut.m_area;
    m_scale = laidOut.m_scale;
    m_startWidths = laidOut.m_startWidths;
    m_dataWidths = laidOut.m_dataWidths;
    m_widths = laidOut.m_widths;
    m_bands = laidOut.m_bands;
    m_blocks = laidOut.m_blocks;
    m_blockOffsets = laidOut.m_blockOffsets;
    m_heights = laidOut.m_heights;
    m_steps = laidOut.m_steps;
    m_firstOffset = laidOut.m_firstOffset;
    m_lastOffset = laidOut.m_lastOffset;
    m_used = laidOut.m_used;
    m_header = laidOut.m_header;
    m_headerRowHeight = laidOut.m_headerRowHeight;
    m_bodyTop = laidOut.m_bodyTop;
    m_bodyHeight = laidOut.m_bodyHeight;
    m_padX = laidOut.m_padX;
    m_padY = laidOut.m_padY;
}

QString PageRenderer::displayText(const PrintColumn& column, const QString& text) {
    if (column.kind != CellKind::Number || column.decimals < 0)
        return text;
    const auto value = parseNumber(text);
    return value ? formatNumber(*value, column.decimals, column.grouped) : text;
}

double PageRenderer::cellHeight(const QString& text, double width, const PrintFont& font) const {
    const double inner = std::max(1.0, width - 2 * m_padX);
    if (!hasLineBreak(text) && font.width(text) <= inner)
        return font.height() + 2 * m_padY;
    return font.lineCount(text, inner) * font.lineSpacing() + 2 * m_padY;
}

bool PageRenderer::layingOutFor(const QPageLayout& page) const {
    return m_laidOut && m_laidOut->isEquivalentTo(page) &&
           m_laidOut->orientation() == page.orientation();
}

void PageRenderer::setFitWidth(bool fit) {
    if (m_style.fitWidth == fit)
        return;
    m_style.fitWidth = fit;
    m_laidOut.reset();
    m_complete = false;
}

void PageRenderer::fitColumns(const QVector<double>& widths) {
    m_scale = 1;
    if (m_style.fitWidth) {
        const double total = std::accumulate(widths.begin(), widths.end(), 0.0);
        if (total > m_pageSize.width())
            m_scale = m_pageSize.width() / total;
    }
    m_area = m_pageSize / m_scale;
}

bool PageRenderer::layOut(const QPageLayout& page, const WorkProgress& progress) {
    if (m_busy || !beginLayout(page))
        return false;
    while (!m_complete)
        if (!layOutMore(std::numeric_limits<int>::max(), QDeadlineTimer(QDeadlineTimer::Forever),
                        progress))
            return false;
    return true;
}

bool PageRenderer::beginLayout(const QPageLayout& page) {
    if (layingOutFor(page) && !m_failed)
        return true;
    if (m_busy)
        return false;
    m_laidOut.reset();
    m_complete = false;
    m_failed = false;
    m_heights.clear();
    m_steps.clear();
    m_bands.clear();
    m_blocks.clear();
    if (!m_reader.seek(0) || !m_reader.readHeader(m_header))
        return false;
    m_pageSize = page.paintRect(QPageLayout::Point).size() * (kDpi / kPointsPerInch);
    m_padX = kDpi * 0.04;
    m_padY = kDpi * 0.02;
    const int n = int(m_style.columns.size());
    QVector<double> widths;
    for (const PrintColumn& c : m_style.columns)
        widths << std::max(c.widthTwips / kTwipsPerInch * kDpi, 4 * m_padX);
    fitColumns(widths);
    const double pageWidth = m_area.width();
    // Texts wrap within their width, which must leave room for the repeated first column.
    const double room = pageWidth - (n > 1 && widths[0] <= pageWidth / 3 ? widths[0] : 0);
    for (int i = 0; i < n; ++i)
        if (!keepsOneLine(m_style.columns[i]))
            widths[i] = std::min(widths[i], i == 0 ? pageWidth : room);
    m_startWidths = widths;
    m_dataWidths = widths;
    m_blocks = {0};
    m_blockOffsets = {0};
    m_used = 0;
    m_firstOffset = m_lastOffset = 0;
    placeColumns(widths);
    m_laidOut = page;
    return true;
}

bool PageRenderer::resume() {
    if (m_heights.isEmpty()) {
        PrintDataHeader header;
        return m_reader.seek(0) && m_reader.readHeader(header);
    }
    QStringList laidOut;
    return m_reader.seek(m_lastOffset) && m_reader.next(laidOut);
}

bool PageRenderer::stop() {
    m_failed = true;
    return false;
}

bool PageRenderer::layOutMore(int pages, QDeadlineTimer deadline,
                              const WorkProgress& progress) {
    if (!m_laidOut || m_failed)
        return false;
    if (m_complete || m_busy)
        return true;
    const QScopedValueRollback busy(m_busy, true);
    if (!resume())
        return stop();
    const int n = int(m_style.columns.size());
    const int known = pageCount();
    const int target = pages > std::numeric_limits<int>::max() - known
                           ? std::numeric_limits<int>::max()
                           : known + pages;
    const double oneLine = m_body.height() + 2 * m_padY;
    QStringList cells;
    while (pageCount() < target) {
        if (!m_reader.next(cells)) {
            if (m_reader.hasError())
                return stop();
            if (m_heights.isEmpty())
                m_blockOffsets[0] = m_reader.rowOffset();
            m_complete = true;
            return true;
        }
        if (cells.size() != n)
            return stop();
        double h = oneLine;
        bool widened = false;
        for (int i = 0; i < n; ++i) {
            const PrintColumn& column = m_style.columns[i];
            if (keepsOneLine(column)) {
                const double w = m_body.width(displayText(column, cells[i])) + 2 * m_padX;
                widened = widened || w > m_dataWidths[i];
                m_dataWidths[i] = std::max(m_dataWidths[i], w);
            } else if (!cells[i].isEmpty()) {
                h = std::max(h, cellHeight(cells[i], m_startWidths[i], m_body));
            }
        }
        if (widened)
            placeColumns(m_dataWidths);
        addRow(float(h), m_reader.rowOffset());
        if (!progress.goOn(m_heights.size()))
            return false;
        if (deadline.hasExpired())
            break;
    }
    return true;
}

void PageRenderer::addRow(float height, qint64 offset) {
    const int row = int(m_heights.size());
    if (row == 0)
        m_firstOffset = m_blockOffsets[0] = offset;
    m_steps << quint32(offset - (row == 0 ? offset : m_lastOffset));
    m_lastOffset = offset;
    m_heights << height;
    place(row, offset);
}

void PageRenderer::place(int row, qint64 offset) {
    // A row taller than a page gets a page of its own and is shown as far as it fits.
    const float h = std::min(m_heights[row], float(m_bodyHeight));
    if (m_used > 0 && m_used + h > m_bodyHeight) {
        m_blocks << row;
        m_blockOffsets << offset;
        m_used = 0;
    }
    m_used += h;
}

void PageRenderer::placeColumns(QVector<double> widths) {
    const int n = int(widths.size());
    // A number wider than its column widens it, and fitted columns then take a smaller scale.
    if (m_style.fitWidth)
        fitColumns(widths);
    const double pageWidth = m_area.width();
    // The first column repeats in every band when it leaves room for the others.
    const bool repeatFirst = n > 1 && widths[0] <= pageWidth / 3;
    if (repeatFirst) {
        double widestText = 0;
        for (int i = 1; i < n; ++i)
            if (!keepsOneLine(m_style.columns[i]))
                widestText = std::max(widestText, widths[i]);
        widths[0] = std::min(widths[0], pageWidth - widestText);
    }
    const double room = pageWidth - (repeatFirst ? widths[0] : 0);
    for (int i = 1; i < n; ++i)
        widths[i] = std::min(widths[i], room);
    widths[0] = std::min(widths[0], pageWidth);
    m_widths = widths;

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
        m_headerRowHeight = std::max(m_headerRowHeight,
                                     cellHeight(m_style.columns[i].caption, m_widths[i], m_head));
    m_bodyTop = m_title.lineSpacing() + m_body.lineSpacing() + 4 * m_padY + m_headerRowHeight;
    const double footer = m_body.lineSpacing() + 2 * m_padY;
    const double before = m_bodyHeight;
    m_bodyHeight = std::max(m_body.lineSpacing(), m_area.height() - m_bodyTop - footer);
    if (m_bodyHeight != before && !m_heights.isEmpty())
        breakPages();
}

void PageRenderer::breakPages() {
    m_blocks = {0};
    m_blockOffsets = {m_firstOffset};
    m_used = 0;
    qint64 offset = m_firstOffset;
    for (int r = 0; r < m_heights.size(); ++r) {
        offset += m_steps[r];
        place(r, offset);
    }
}

bool PageRenderer::readRows(int block) {
    const int end = block + 1 < m_blocks.size() ? m_blocks[block + 1] : int(m_heights.size());
    m_rows.resize(end - m_blocks[block]);
    if (!m_reader.seek(m_blockOffsets[block]))
        return false;
    for (QStringList& row : m_rows)
        if (!m_reader.next(row) || row.size() != m_style.columns.size())
            return false;
    return true;
}

bool PageRenderer::paintPage(QPainter& p, int page) {
    if (!m_laidOut || page < 0 || page >= pageCount())
        return false;
    const int block = page / bandCount();
    if (!readRows(block))
        return false;
    paintPage(p, block, page % bandCount(), page + 1);
    return true;
}

bool PageRenderer::render(QPagedPaintDevice* device, const WorkProgress& progress) {
    if (!m_complete)
        return false;
    QPainter p;
    if (!p.begin(device))
        return false;
    p.scale(device->logicalDpiX() / kDpi, device->logicalDpiY() / kDpi);
    for (int b = 0; b < m_blocks.size(); ++b) {
        if (!readRows(b))
            return false;
        for (int band = 0; band < m_bands.size(); ++band) {
            const int number = b * int(m_bands.size()) + band + 1;
            if (number > 1)
                device->newPage();
            paintPage(p, b, band, number);
            if (!progress.goOn(number)) {
                if (auto* printer = dynamic_cast<QPrinter*>(device))
                    printer->abort();
                return false;
            }
        }
    }
    return p.end();
}

void PageRenderer::paintPage(QPainter& p, int block, int band, int pageNumber) {
    p.save();
    p.scale(m_scale, m_scale);
    p.setPen(QPen(Qt::black, kDpi / 150.0 / m_scale));
    p.setBrush(Qt::NoBrush);
    const double width = m_area.width();
    const QString caption = m_style.title.isEmpty() ? m_header.title : m_style.title;
    drawLine(p, m_title, QRectF(0, 0, width, m_title.lineSpacing()), Qt::AlignCenter, caption);
    const QRectF info(0, m_title.lineSpacing() + m_padY, width, m_body.lineSpacing());
    const QString who = (m_header.userId + u' ' + m_header.userName).trimmed();
    drawLine(p, m_body, info, Qt::AlignLeft | Qt::AlignVCenter,
             tr("Tarvo.Print.account", {m_header.account}) + QStringLiteral("    ") +
                 tr("Tarvo.Print.user", {who}));
    drawLine(p, m_body, info, Qt::AlignRight | Qt::AlignVCenter,
             tr("Tarvo.Print.date", {m_header.date}));

    QVector<QRectF> borders;
    const QVector<int>& columns = m_bands[band];
    double x = 0;
    const double headTop = m_bodyTop - m_headerRowHeight;
    for (int c : columns) {
        const QRectF cell(x, headTop, m_widths[c], m_headerRowHeight);
        p.fillRect(cell, QColor(0xe8, 0xe8, 0xe8));
        borders << cell;
        paintCell(p, cell, m_style.columns[c].caption, Qt::AlignHCenter, m_head, false);
        x += m_widths[c];
    }
    double y = m_bodyTop;
    for (int r = 0; r < m_rows.size(); ++r) {
        const double h = std::min(m_heights[m_blocks[block] + r], float(m_bodyHeight));
        x = 0;
        for (int c : columns) {
            const PrintColumn& column = m_style.columns[c];
            const QRectF cell(x, y, m_widths[c], h);
            borders << cell;
            paintCell(p, cell, displayText(column, m_rows[r][c]), column.align, m_body,
                      keepsOneLine(column));
            x += m_widths[c];
        }
        y += h;
    }
    p.drawRects(borders);
    drawLine(p, m_body,
             QRectF(0, m_area.height() - m_body.lineSpacing(), width, m_body.lineSpacing()),
             Qt::AlignCenter,
             m_complete ? tr("Tarvo.Print.page", {pageNumber, pageCount()})
                        : tr("Tarvo.Print.page.counting", {pageNumber}));
    p.restore();
}

void PageRenderer::drawLine(QPainter& p, const PrintFont& font, const QRectF& rect,
                            Qt::Alignment align, QStringView text) {
    if (text.isEmpty())
        return;
    auto slot = m_nameSlots.constFind(&font);
    if (slot == m_nameSlots.cend())
        slot = m_nameSlots.insert(&font, m_names.slot(font.font()));
    m_names.note(*slot, text);
    double x = rect.left();
    if (align & (Qt::AlignRight | Qt::AlignHCenter)) {
        const double spare = rect.width() - font.width(text);
        x += align & Qt::AlignRight ? spare : spare / 2;
    }
    const double baseline = rect.top() + (rect.height() - font.height()) / 2 + font.ascent();
    font.draw(p, QPointF(x, baseline), text);
}

const PrintFont& PageRenderer::fitting(const PrintFont& font, QStringView text, double width) {
    const int smallest = pixels(4);
    const int step = pixels(0.5);
    int size = font.font().pixelSize();
    const PrintFont* f = &font;
    while (size > smallest && f->width(text) > width) {
        size -= step;
        auto& slot = m_smaller[size];
        if (!slot) {
            QFont smaller = font.font();
            smaller.setPixelSize(size);
            slot = std::make_unique<PrintFont>(smaller);
        }
        f = slot.get();
    }
    return *f;
}

void PageRenderer::paintCell(QPainter& p, const QRectF& cell, const QString& text,
                             Qt::Alignment align, const PrintFont& font, bool oneLine) {
    const QRectF inner = cell.adjusted(m_padX, m_padY, -m_padX, -m_padY);
    if (!hasLineBreak(text) && font.width(text) <= inner.width()) {
        drawLine(p, font, inner, align | Qt::AlignVCenter, text);
        return;
    }
    if (oneLine) {
        drawLine(p, fitting(font, text, inner.width()), inner, align | Qt::AlignVCenter, text);
        return;
    }
    double y = inner.top();
    for (const QString& line : font.wrap(text, inner.width())) {
        if (y + font.lineSpacing() > inner.bottom() + 0.5)
            break;
        drawLine(p, font, QRectF(inner.left(), y, inner.width(), font.lineSpacing()),
                 align | Qt::AlignVCenter, line);
        y += font.lineSpacing();
    }
}

} // namespace tarvo::suite
