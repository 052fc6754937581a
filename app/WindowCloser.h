#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

/// Closes every window the host shows, one at a time, and goes on closing those that show
/// later, for as long as it lives: a host that is done, or has said it cannot go on, must end,
/// even when a window opens only after it gave up (an import's preview still reading a long
/// file, say). A window that asks before it closes is answered "yes", leaving without saving.
class WindowCloser : public QObject {
    Q_OBJECT
public:
    explicit WindowCloser(QObject* parent = nullptr);

private:
    void tick();
    /// Closes w from the event loop: its question, if it asks one, runs an event loop of its
    /// own, which this tick must stay free to answer.
    void closeLater(QWidget* w);
    QTimer m_timer;
    QPointer<QWidget> m_closing;
    int m_waited = 0;
};
