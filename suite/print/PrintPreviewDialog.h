#pragma once

#include <QDialog>
#include <QImage>
#include <QPageLayout>

class QLabel;
class QScrollArea;
class QTimer;

namespace tarvo::suite {

class PageRenderer;

/// The print preview: the pages shown one at a time, each painted only when it is shown. It lays
/// out just the rows of the first page before it shows it and the rest a slice at a time
/// between the window's events, the page count growing meanwhile, so that the first page of a
/// long list is on screen at once. PgUp/PgDn, Home/End turn the pages (End waits for the last),
/// +/- zoom, Esc closes.
class PrintPreviewDialog : public QDialog {
    Q_OBJECT
public:
    PrintPreviewDialog(PageRenderer& pages, const QPageLayout& page, QWidget* parent = nullptr);

    int currentPage() const { return m_page; }
    void showPage(int page);
    /// Zoom against the page's real size; 0 fits the whole page into the window.
    void setZoom(double zoom);
    double zoom() const { return m_zoom; }
    /// The pages are still being laid out (and counted).
    bool counting() const;
    /// A page could not be read from the data.
    bool failed() const { return m_failed; }
    /// A print asked for goes on beside the dialog: until printEnded() the dialog takes no
    /// input and leaves the pages alone, showing the page it painted already.
    void holdForPrint();
    void printEnded();
    bool printing() const { return m_printing; }

Q_SIGNALS:
    void printRequested();
    /// The layout is complete and the count final.
    void pagesCounted(int pages);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    PageRenderer& m_pages;
    QPageLayout m_layout;
    QScrollArea* m_scroll;
    QLabel* m_view;
    QLabel* m_pageLabel;
    QTimer* m_slices;
    int m_page = 0;
    double m_zoom = 0;
    bool m_failed = false;
    /// The last page was asked for while the pages were still counted.
    bool m_lastWanted = false;
    bool m_printing = false;

    bool handleKey(int key);
    /// Lays out as far as the current page (the layout begun anew when printing changed it),
    /// paints it, and goes on in slices.
    void catchUp();
    void layOutSlice();
    void showLast();
    void paintCurrent();
    void showCount();
    double effectiveZoom() const;
};

} // namespace tarvo::suite
