#include "PortalBusiness.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QStatusBar>

namespace tarvo::suite {

namespace {

/// Ends the portal's wait when the hosted window closes, or the portal window itself does.
class CloseWatcher : public QObject {
public:
    explicit CloseWatcher(QEventLoop& loop) : m_loop(loop) {}
    bool closed() const { return m_closed; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close || event->type() == QEvent::Hide ||
            event->type() == QEvent::DeferredDelete) {
            m_closed = true;
            m_loop.quit();
        }
        return false;
    }

private:
    QEventLoop& m_loop;
    bool m_closed = false;
};

} // namespace

PortalBusiness::PortalBusiness(LoginPtr login) : m_login(std::move(login)) {}

void PortalBusiness::ShowForm(QWidget*& window, const QString& subsystem, const QString& formKey,
                              bool, bool) {
    if (!window)
        return;
    QMainWindow portal;
    portal.setObjectName(QStringLiteral("PortalWindow"));
    portal.setWindowTitle(QStringLiteral("企业门户 — %1").arg(window->windowTitle()));
    auto* status =
        new QLabel(QStringLiteral("%1  %2  %3")
                       .arg(m_login ? m_login->cUserName() : QString(), subsystem, formKey),
                   &portal);
    portal.statusBar()->addWidget(status);

    QPointer<QWidget> hosted = window;
    const Qt::WindowFlags flags = window->windowFlags();
    portal.setCentralWidget(window);
    portal.resize(window->size().expandedTo(QSize(900, 600)));

    QEventLoop loop;
    CloseWatcher watcher(loop);
    window->installEventFilter(&watcher);
    portal.installEventFilter(&watcher);
    portal.show();
    window->show();
    if (onShown)
        onShown(&portal);
    if (!watcher.closed())
        loop.exec();

    // Give the window back as it came, so that its owner decides what becomes of it.
    if (hosted) {
        hosted->removeEventFilter(&watcher);
        portal.takeCentralWidget();
        hosted->setParent(nullptr, flags);
        hosted->hide();
    }
    window = hosted.data();
}

} // namespace tarvo::suite
