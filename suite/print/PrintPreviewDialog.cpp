#include "PrintPreviewDialog.h"

#include "PageRenderer.h"
#include "ResourceTable.h"
#include "SuiteContext.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <limits>
#include <utility>

namespace tarvo::suite {

namespace {

constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 8;
/// How long a slice of the layout may hold the window's events.
constexpr int kSliceMs = 25;

QString text(const char* key, const QVariantList& values = {}) {
    return ResourceTable::forLanguage(sessionLanguage()).format(QString::fromLatin1(key), values);
}

} // namespace

PrintPreviewDialog::PrintPreviewDialog(PageRenderer& pages, const QPageLayout& page,
                                       QWidget* parent)
    : QDialog(parent), m_pages(pages), m_layout(page), m_scroll(new QScrollArea(this)),
      m_view(new QLabel), m_pageLabel(new QLabel(this)), m_slices(new QTimer(this)) {
    setObjectName(QStringLiteral("PrnPreview"));
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("PrnPreviewBar"));
    const auto add = [&](const char* name, const char* key, auto slot) {
        QAction* a = bar->addAction(text(key));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
    };
    add("PrnFirst", "Tarvo.Print.preview.first", [this] { showPage(0); });
    add("PrnPrevious", "Tarvo.Print.preview.previous", [this] { showPage(m_page - 1); });
    add("PrnNext", "Tarvo.Print.preview.next", [this] { showPage(m_page + 1); });
    add("PrnLast", "Tarvo.Print.preview.last", [this] { showLast(); });
    bar->addSeparator();
    add("PrnZoomOut", "Tarvo.Print.preview.zoomout",
        [this] { setZoom(effectiveZoom() / kZoomStep); });
    add("PrnZoomIn", "Tarvo.Print.preview.zoomin",
        [this] { setZoom(effectiveZoom() * kZoomStep); });
    add("PrnFit", "Tarvo.Print.preview.fit", [this] { setZoom(0); });
    bar->addSeparator();
    add("PrnPrint", "Tarvo.Print.preview.print", [this] {
        m_slices->stop();
        Q_EMIT printRequested();
        if (!m_printing)
            catchUp();
    });
    add("PrnClose", "Tarvo.Print.preview.close", [this] { reject(); });
    bar->addSeparator();
    m_pageLabel->setObjectName(QStringLiteral("PrnPageLabel"));
    bar->addWidget(m_pageLabel);

    m_view->setObjectName(QStringLiteral("PrnPage"));
    m_view->setAlignment(Qt::AlignCenter);
    m_scroll->setObjectName(QStringLiteral("PrnPageArea"));
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(true);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->installEventFilter(this);
    m_scroll->viewport()->installEventFilter(this);
    m_scroll->setFocus();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_scroll);
    m_slices->setObjectName(QStringLiteral("PrnLayoutSlices"));
    connect(m_slices, &QTimer::timeout, this, &PrintPreviewDialog::layOutSlice);
    catchUp();
}

void PrintPreviewDialog::catchUp() {
    if (!m_pages.beginLayout(m_layout) || !m_pages.layOutMore(m_page + 1 - m_pages.pageCount()))
        m_failed = true;
    m_page = std::clamp(m_page, 0, std::max(0, m_pages.pageCount() - 1));
    paintCurrent();
    if (!m_pages.complete() && !m_pages.failed())
        m_slices->start(0);
}

void PrintPreviewDialog::holdForPrint() {
    m_printing = true;
    setEnabled(false);
}

void PrintPreviewDialog::printEnded() {
    m_printing = false;
    setEnabled(true);
    m_scroll->setFocus();
    catchUp();
}

bool PrintPreviewDialog::counting() const {
    return m_slices->isActive();
}

void PrintPreviewDialog::layOutSlice() {
    if (!m_pages.layingOutFor(m_layout)) {
        catchUp();
        return;
    }
    const int known = m_pages.pageCount();
    if (!m_pages.layOutMore(std::numeric_limits<int>::max(), QDeadlineTimer(kSliceMs))) {
        m_slices->stop();
        m_failed = true;
        showCount();
        return;
    }
    if (m_pages.complete()) {
        m_slices->stop();
        if (std::exchange(m_lastWanted, false))
            m_page = std::max(0, m_pages.pageCount() - 1);
        // The count on the page is final now, and a number further down may have widened its
        // column.
        paintCurrent();
        Q_EMIT pagesCounted(m_pages.pageCount());
    } else if (m_pages.pageCount() != known) {
        showCount();
    }
}

void PrintPreviewDialog::showLast() {
    if (counting()) {
        // Which page is last is known once the count is final: the slices go on, and the last
        // page shows when they end.
        m_lastWanted = true;
        return;
    }
    m_page = std::max(0, m_pages.pageCount() - 1);
    paintCurrent();
}

void PrintPreviewDialog::showPage(int page) {
    m_lastWanted = false;
    if (page >= m_pages.pageCount() && !m_pages.complete() &&
        !m_pages.layOutMore(page + 1 - m_pages.pageCount()))
        m_failed = true;
    page = std::clamp(page, 0, std::max(0, m_pages.pageCount() - 1));
    if (page == m_page)
        return;
    m_page = page;
    paintCurrent();
}

void PrintPreviewDialog::showCount() {
    const int count = m_pages.pageCount();
    if (m_pages.failed())
        m_pageLabel->setText(text("Tarvo.Print.preview.unreadable", {count}));
    else if (m_pages.complete())
        m_pageLabel->setText(text("Tarvo.Print.preview.page", {m_page + 1, count}));
    else
        m_pageLabel->setText(text("Tarvo.Print.preview.counting", {m_page + 1, count}));
}

void PrintPreviewDialog::setZoom(double zoom) {
    m_zoom = zoom <= 0 ? 0 : std::clamp(zoom, kMinZoom, kMaxZoom);
    paintCurrent();
}

double PrintPreviewDialog::effectiveZoom() const {
    if (m_zoom > 0)
        return m_zoom;
    const QSizeF paper = m_layout.fullRect(QPageLayout::Point).size() * (logicalDpiX() / 72.0);
    const QSize room = m_scroll->viewport()->size() - QSize(16, 16);
    if (paper.isEmpty() || room.isEmpty())
        return 1;
    return std::clamp(std::min(room.width() / paper.width(), room.height() / paper.height()),
                      kMinZoom, kMaxZoom);
}

void PrintPreviewDialog::paintCurrent() {
    if (m_printing)
        return;
    showCount();
    // While printing lays the pages out for the printer's paper, the page shown stays.
    if (!m_pages.layingOutFor(m_layout))
        return;
    // Pixels of the screen per point of paper at this zoom.
    const double perPoint = effectiveZoom() * logicalDpiX() / 72.0;
    const QRectF paper = m_layout.fullRect(QPageLayout::Point);
    const QRectF printable = m_layout.paintRect(QPageLayout::Point);
    QImage image((paper.size() * perPoint).toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.translate(printable.topLeft() * perPoint);
    p.scale(perPoint * 72.0 / PageRenderer::kDpi, perPoint * 72.0 / PageRenderer::kDpi);
    m_failed = !m_pages.paintPage(p, m_page) || m_failed;
    p.end();
    m_view->setPixmap(QPixmap::fromImage(image));
}

bool PrintPreviewDialog::handleKey(int key) {
    switch (key) {
    case Qt::Key_PageDown:
        showPage(m_page + 1);
        return true;
    case Qt::Key_PageUp:
        showPage(m_page - 1);
        return true;
    case Qt::Key_Home:
        showPage(0);
        return true;
    case Qt::Key_End:
        showLast();
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        setZoom(effectiveZoom() * kZoomStep);
        return true;
    case Qt::Key_Minus:
        setZoom(effectiveZoom() / kZoomStep);
        return true;
    default:
        return false;
    }
}

bool PrintPreviewDialog::eventFilter(QObject* watched, QEvent* event) {
    // A whole page follows the window's size.
    if (event->type() == QEvent::Resize && watched == m_scroll->viewport() && m_zoom <= 0)
        paintCurrent();
    // The scroll area would take the page keys for scrolling within the page.
    if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

void PrintPreviewDialog::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(event->key()))
        QDialog::keyPressEvent(event);
}

} // namespace tarvo::suite
