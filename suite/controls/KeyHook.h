#pragma once

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

namespace tarvo::suite {

/// The suite's key hook: reports every key pressed inside a window, before the focused control
/// sees it, as a key-down with its virtual-key code (112 = F1, 46 = Delete, 80 = P …) and a
/// shift state (1 Shift, 2 Ctrl, 4 Alt), and Enter also as a key press of character 13. A
/// handler may consume() the key so that the control never receives it.
class KeyHook : public QObject {
    Q_OBJECT
public:
    explicit KeyHook(QObject* parent = nullptr);

    /// Starts reporting the keys of window and its children; detach() stops.
    void attach(QWidget* window);
    void detach();
    bool isAttached() const { return !m_window.isNull(); }

    /// Called from a keyDown/keyPress handler: the key goes no further.
    void consume() { m_consumed = true; }

    static int virtualKey(const QKeyEvent& event);
    /// Posts a key stroke to a window without waiting, the way a program "sends keys". Hooks
    /// do not report such a key, so a command that sends the key it was started by (F1 for
    /// help) cannot start itself again.
    static void sendKey(QWidget* target, Qt::Key key);
    static bool isSent(const QKeyEvent& event);
    static int shiftState(Qt::KeyboardModifiers modifiers);

Q_SIGNALS:
    void keyDown(int keyCode, int shift);
    void keyPress(int ascii);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    bool m_consumed = false;
    const QEvent* m_lastEvent = nullptr;
    QPointer<QWidget> m_lastReceiver;
};

} // namespace tarvo::suite
