#include "PortalBusiness.h"

#include "UiText.h"

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

void PortalBusiness::ShowForm(QWidget*& window, const QString&, const QString&, bool, bool) {
    if (!window)
        return;
    QMainWindow portal;
    portal.setObjectName(QStringLiteral("PortalWindow"));
    auto* status = new QLabel(&portal);
    status->setObjectName(QStringLiteral("PortalStatus"));
    portal.statusBar()->addWidget(status);
    // The hosted window names its archive once it has loaded: follow its title.
    const auto describe = [&portal, status, window, login = m_login] {
        const QString archive = window->windowTitle();
        portal.setWindowTitle(uiText("企业门户 — %1", "Portal — %1").arg(archive));
        QStringList parts;
        if (login) {
            parts << uiText("操作员：%1（%2）", "User: %1 (%2)")
                         .arg(login->cUserName(), login->cUserId());
            parts << uiText("账套：%1", "Account: %1").arg(login->cacc_id());
        }
        parts << uiText("档案：%1", "Archive: %1").arg(archive);
        status->setText(parts.join(QStringLiteral("    ")));
    };
    describe();
    QObject::connect(window, &QWidget::windowTitleChanged, status, describe);

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
