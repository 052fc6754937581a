#pragma once

#include "PdfGlyphNames.h"
#include "PrintData.h"
#include "PrintFont.h"
#include "PrintStyle.h"

#include <QVector>

#include <functional>
#include <map>
#include <memory>

class QPainter;
class QPagedPaintDevice;

namespace tarvo::suite {

/// Lays the list out on pages and paints them: the header row repeats on every page, a list
/// wider than the page is split into bands of whole columns (the first column repeats in
/// each band, so every row stays identifiable), and a text too long for its cell wraps onto
/// more lines instead of being cut; numbers and dates never wrap: their column widens to the
/// widest value the page allows, and a value still too wide is set smaller.
/// The data file is read once to check and lay out every row, keeping only each row's height
/// and where each page's rows begin in the file; a page reads its own rows again when painted.
/// Everything is laid out in units of kDpi dots per inch, whatever device the pages go to.
class PageRenderer {
public:
    static constexpr double kDpi = 1200;

    PageRenderer(const PrintStyle& style, const QString& dataFile);

    /// Reads the data and lays it out on pages of the given set-up; false when the data cannot
    /// be read or a row does not have one cell per column. tick is called between rows.
    bool layOut(const QPageLayout& page, const std::function<void()>& tick = {});
    /// The pages are laid out for this page set-up.
    bool laidOutFor(const QPageLayout& page) const;
    int pageCount() const { return int(m_blocks.size() * m_bands.size()); }
    int bandCount() const { return int(m_bands.size()); }
    /// The printable area of a page, in layout units.
    QSizeF pageSize() const { return m_pageSize; }

    /// Paints page `page` (0 …) with the painter's transform taking layout units to the device.
    bool paintPage(QPainter& p, int page);
    /// Paints every page on a device whose page layout is already set; false when the data
    /// cannot be read.
    bool render(QPagedPaintDevice* device, const std::function<void()>& tick = {});

    /// The cell text as printed: numbers with their decimals, everything else as the grid shows.
    static QString displayText(const PrintColumn& column, const QString& text);

    /// Lets go of the data file until pages are painted or laid out again, so that a caller
    /// who removes it gets its space back.
    void release() { m_reader.close(); }

    /// The characters painted so far, for naming the glyphs of a PDF written from the pages.
    const PdfGlyphNames& glyphNames() const { return m_names; }

private:
    PrintStyle m_style;
    PrintDataFileReader m_reader;
    PrintFont m_body;
    PrintFont m_head;
    PrintFont m_title;
    std::map<int, std::unique_ptr<PrintFont>> m_smaller; ///< by pixel size
    std::optional<QPageLayout> m_laidOut;
    QSizeF m_pageSize;
    QVector<double> m_widths;      ///< layout units per column
    QVector<QVector<int>> m_bands; ///< columns printed on the pages of each band
    QVector<int> m_blocks;         ///< first row of each block of rows sharing a page
    QVector<qint64> m_blockOffsets;
    QVector<float> m_heights; ///< per row
    PrintDataHeader m_header;
    double m_headerRowHeight = 0;
    double m_bodyTop = 0;
    double m_bodyHeight = 0;
    double m_padX = 0;
    double m_padY = 0;
    PdfGlyphNames m_names;
    QHash<const PrintFont*, int> m_nameSlots;
    QVector<QStringList> m_rows;

    bool readRows(int block);
    void paintPage(QPainter& p, int block, int band, int pageNumber);
    void paintCell(QPainter& p, const QRectF& cell, const QString& text, Qt::Alignment align,
                   const PrintFont& font, bool oneLine);
    void drawLine(QPainter& p, const PrintFont& font, const QRectF& rect, Qt::Alignment align,
                  QStringView text);
    double cellHeight(const QString& text, double width, const PrintFont& font) const;
    const PrintFont& fitting(const PrintFont& font, QStringView text, double width);
    void placeColumns(QVector<double> widths);
    void breakPages(QVector<qint64> rowOffsets);
};

} // namespace tarvo::suite
