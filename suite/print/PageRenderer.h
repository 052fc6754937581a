#pragma once

#include "PdfGlyphNames.h"
#include "PrintData.h"
#include "PrintStyle.h"

#include <QFont>
#include <QVector>

class QPainter;
class QPagedPaintDevice;

namespace tarvo::suite {

/// Lays the list out on pages and paints them: the header row repeats on every page, a list
/// wider than the page is split into bands of whole columns (the first column repeats in
/// each band, so every row stays identifiable), and a text too long for its cell wraps onto
/// more lines instead of being cut; numbers and dates never wrap: their column widens to the
/// widest value the page allows, and a value still too wide is set smaller. The data is read
/// three times, to widen those columns, to measure the rows and to paint them, so that only one
/// page of rows is ever held.
class PageRenderer {
public:
    PageRenderer(const PrintStyle& style, const QString& dataXml);

    /// Paints every page on a device whose page layout is already set; false when the data
    /// cannot be read (nothing is painted then).
    bool render(QPagedPaintDevice* device);
    int pageCount() const { return int(m_blocks.size() * m_bands.size()); }
    int bandCount() const { return int(m_bands.size()); }

    /// The cell text as printed: numbers with their decimals, everything else as the grid shows.
    static QString displayText(const PrintColumn& column, const QString& text);

    /// The characters painted so far, for naming the glyphs of a PDF written from the pages.
    const PdfGlyphNames& glyphNames() const { return m_names; }

private:
    const PrintStyle& m_style;
    const QString& m_data;
    QFont m_bodyFont;
    QFont m_headFont;
    QFont m_titleFont;
    QVector<double> m_widths;      ///< device pixels per column
    QVector<QVector<int>> m_bands; ///< columns printed on the pages of each band
    QVector<int> m_blocks;         ///< first row of each block of rows sharing a page
    QVector<double> m_heights;     ///< device pixels per row
    PrintDataHeader m_header;
    int m_rowCount = 0;
    double m_headerRowHeight = 0;
    double m_bodyTop = 0;
    double m_bodyHeight = 0;
    double m_padX = 0;
    double m_padY = 0;
    PdfGlyphNames m_names;

    void measure(QPagedPaintDevice* device);
    void widenUnbrokenColumns(QPaintDevice* device);
    double cellHeight(const QString& text, double width, const QFont& font, bool oneLine,
                      QPaintDevice* device) const;
    bool layoutRows(QPagedPaintDevice* device);
    void paintPage(QPainter& p, int block, int band, const QVector<QStringList>& rows,
                   int pageNumber, QSizeF page);
    void paintCell(QPainter& p, const QRectF& cell, const QString& text, Qt::Alignment align,
                   const QFont& font, bool oneLine);
    void drawText(QPainter& p, const QRectF& rect, int flags, const QString& text);
};

} // namespace tarvo::suite
