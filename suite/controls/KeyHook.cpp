#include "KeyHook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace tarvo::suite {

KeyHook::KeyHook(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("MoxFrmKeyHook"));
}

void KeyHook::attach(QWidget* window) {
    detach();
    m_window = window;
    // Application-wide, so keys reach us whichever child has the focus; eventFilter keeps
    // only those of our window.
    qApp->installEventFilter(this);
}

void KeyHook::detach() {
    if (m_window)
        qApp->removeEventFilter(this);
    m_window.clear();
}

int KeyHook::virtualKey(const QKeyEvent& e) {
    const int k = e.key();
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return 112 + (k - Qt::Key_F1);
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return 65 + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return 48 + (k - Qt::Key_0);
    switch (k) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    default:
        return 0;
    }
}

int KeyHook::shiftState(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) |
           (m & Qt::AltModifier ? 4 : 0);
}

namespace {
// Marks key events this suite posted itself; no keyboard produces these native values.
constexpr quint32 kSentScanCode = 0x54415256;
} // namespace

void KeyHook::sendKey(QWidget* target, Qt::Key key) {
    if (!target)
        return;
    QCoreApplication::postEvent(
        target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, kSentScanCode, 0, 0));
}

bool KeyHook::isSent(const QKeyEvent& event) {
    return event.nativeScanCode() == kSentScanCode;
}

bool KeyHook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        // A press has finished travelling once its key comes up.
        m_lastEvent = nullptr;
        return false;
    }
    if (event->type() != QEvent::KeyPress || !m_window)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != m_window->window() || !m_window->isEnabled())
        return false;
    // A key the focused control does not take travels on to its parent as the same event:
    // report it once, where it starts.
    const bool propagating =
        event == m_lastEvent && m_lastReceiver && w == m_lastReceiver->parentWidget();
    m_lastEvent = event;
    m_lastReceiver = w;
    if (propagating)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (isSent(*key))
        return false;
    const int vk = virtualKey(*key);
    if (vk == 0)
        return false;
    m_consumed = false;
    Q_EMIT keyDown(vk, shiftState(key->modifiers()));
    if (!m_consumed && vk == 13)
        Q_EMIT keyPress(13);
    if (m_consumed)
        key->accept();
    return m_consumed;
}

} // namespace tarvo::suite
