#pragma once

#include "PdfGlyphNames.h"
#include "PrintData.h"
#include "PrintFont.h"
#include "PrintStyle.h"
#include "WorkProgress.h"

#include <QDeadlineTimer>
#include <QVector>

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
/// The data file is read once to lay out every row, keeping only each row's height and length
/// in the file and where each page's rows begin; a page reads its own rows again when painted.
/// The layout goes a slice at a time when asked: the pages known so far can be painted while
/// the rest is laid out, though a number met further down may still widen its column (and so
/// move the pages) until the layout is complete.
/// Everything is laid out in units of kDpi dots per inch, whatever device the pages go to.
/// Fitted to the page width, the columns go across in one band: the pages are laid out as if
/// they were as much wider (and taller) as the columns need, and painted scaled down.
class PageRenderer {
public:
    static constexpr double kDpi = 1200;

    PageRenderer(const PrintStyle& style, const QString& dataFile);
    /// The same pages, with fonts and a reader of their own: for painting them on another
    /// thread (each thread must have fonts of its own).
    PageRenderer(const PageRenderer& laidOut);
    PageRenderer& operator=(const PageRenderer&) = delete;

    /// Reads the data and lays it out on pages of the given set-up, going on from where a
    /// layout for the same set-up stopped; false when the data cannot be read or a row does
    /// not have one cell per column, or when asked to stop (told the rows laid out so far),
    /// which leaves the layout to go on from there.
    bool layOut(const QPageLayout& page, const WorkProgress& progress = {});
    /// Starts laying out for a page set-up, unless a layout for it is already under way or
    /// done; false when the data cannot be read.
    bool beginLayout(const QPageLayout& page);
    /// Goes on with the layout begun until `pages` more pages are known, the layout is
    /// complete or the deadline passes; false when the data cannot be read or it was asked to
    /// stop.
    bool layOutMore(int pages, QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever),
                    const WorkProgress& progress = {});
    /// A layout for this page set-up is begun (or done).
    bool layingOutFor(const QPageLayout& page) const;
    /// The pages are laid out for this page set-up, to the last.
    bool laidOutFor(const QPageLayout& page) const { return m_complete && layingOutFor(page); }
    bool complete() const { return m_complete; }
    /// The data could not be read as the layout went on.
    bool failed() const { return m_failed; }
    /// The pages known so far: all of them once the layout is complete.
    int pageCount() const {
        return int((m_complete ? m_blocks.size() : m_blocks.size() - 1) * m_bands.size());
    }
    int bandCount() const { return int(m_bands.size()); }
    /// The printable area of a page, in layout units.
    QSizeF pageSize() const { return m_pageSize; }
    /// What the pages are painted at: 1, or less to fit the columns to the page width.
    double scale() const { return m_scale; }
    /// Fits the columns to the page width or lets them go on in bands; a change lays the pages
    /// out anew.
    void setFitWidth(bool fit);

    /// Paints page `page` (0 …) with the painter's transform taking layout units to the device.
    bool paintPage(QPainter& p, int page);
    /// Paints every page on a device whose page layout is already set; false when the data
    /// cannot be read or it was asked to stop (told the pages painted so far); a print job
    /// stopped is aborted, not sent half.
    bool render(QPagedPaintDevice* device, const WorkProgress& progress = {});

    /// The cell text as printed: numbers with their decimals, everything else as the grid shows.
    static QString displayText(const PrintColumn& column, const QString& text);

    /// Lets go of the data file until pages are painted or laid out again, so that a caller
    /// who removes it gets its space back.
    void release() { m_reader.close(); }

    /// The characters painted so far, for naming the glyphs of a PDF written from the pages.
    const PdfGlyphNames& glyphNames() const { return m_names; }

private:
    PrintStyle m_style;
    QString m_dataFile;
    PrintDataFileReader m_reader;
    PrintFont m_body;
    PrintFont m_head;
    PrintFont m_title;
    std::map<int, std::unique_ptr<PrintFont>> m_smaller; ///< by pixel size
    std::optional<QPageLayout> m_laidOut; ///< the set-up the layout under way or done is for
    bool m_complete = false;
    bool m_failed = false;
    bool m_busy = false; ///< a slice is under way
    QSizeF m_pageSize;
    QSizeF m_area;        ///< what a page holds in layout units: the page size over m_scale
    double m_scale = 1;
    QVector<double> m_startWidths; ///< what row heights are measured in
    QVector<double> m_dataWidths;  ///< widened to the widest value of one-line columns so far
    QVector<double> m_widths;      ///< layout units per column
    QVector<QVector<int>> m_bands; ///< columns printed on the pages of each band
    QVector<int> m_blocks;         ///< first row of each block of rows sharing a page
    QVector<qint64> m_blockOffsets;
    QVector<float> m_heights; ///< per row, as measured (a page may show less of it)
    QVector<quint32> m_steps; ///< per row, bytes in the file from the row before's start
    qint64 m_firstOffset = 0;
    qint64 m_lastOffset = 0; ///< where the last row laid out begins
    double m_used = 0;       ///< of the last block's body
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
    bool resume();
    void addRow(float height, qint64 offset);
    void placeColumns(QVector<double> widths);
    /// Scales the pages so that columns this wide fit across when fitting to the page width.
    void fitColumns(const QVector<double>& widths);
    void breakPages();
    void place(int row, qint64 offset);
    bool stop();
};

} // namespace tarvo::suite
