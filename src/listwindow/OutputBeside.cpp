#include "OutputBeside.h"

#include "ArchiveSession.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace tarvo {

namespace {

bool isInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

OutputBeside::OutputBeside(QWidget* window) : QObject(window), m_window(window) {}

OutputBeside::~OutputBeside() {
    stopAndWait();
    if (m_busy)
        qApp->removeEventFilter(this);
}

void OutputBeside::begin() {
    if (std::exchange(m_busy, true))
        return;
    qApp->installEventFilter(this);
}

void OutputBeside::end() {
    if (!std::exchange(m_busy, false))
        return;
    qApp->removeEventFilter(this);
    Q_EMIT ended();
}

void OutputBeside::run(BesideWork::Work work, Status status, Then then) {
    begin();
    status(-1);
    // The window answers, but what was asked for is not done yet.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_work = new BesideWork(carryingArchiveSession(std::move(work)), this);
    connect(m_work, &BesideWork::progressed, this, std::move(status));
    connect(m_work, &BesideWork::ended, this,
            [this, then = std::move(then)](bool stopped, const QString& error) {
                m_work->deleteLater();
                m_work = nullptr;
                QApplication::restoreOverrideCursor();
                then(stopped, error);
            });
}

void OutputBeside::stop() {
    if (m_work)
        m_work->stop();
}

void OutputBeside::stopAndWait() {
    if (!m_work)
        return;
    delete m_work.data();
    QApplication::restoreOverrideCursor();
}

bool OutputBeside::eventFilter(QObject* watched, QEvent* event) {
    if (!isInput(event->type()))
        return false;
    // A menu's or toolbar's action of the window is as much its input as a key.
    QObject* owner = watched;
    if (auto* action = qobject_cast<QAction*>(watched))
        owner = action->parent();
    const auto* widget = qobject_cast<const QWidget*>(owner);
    if (!widget || widget->window() != m_window->window())
        return false;
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        stop();
    return true;
}

} // namespace tarvo
