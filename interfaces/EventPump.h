#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

namespace tarvo {

/// Called between rows of long work (a print, an import's check): lets the event loop turn
/// every few dozen milliseconds, so that windows repaint and the desktop never takes the
/// program for hung. Input waits meanwhile, so nothing can change the rows while they are
/// worked on.
class EventPump {
public:
    EventPump() { m_since.start(); }
    void operator()() {
        if (m_since.elapsed() < kEveryMs)
            return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_since.start();
    }

private:
    static constexpr qint64 kEveryMs = 40;
    QElapsedTimer m_since;
};

} // namespace tarvo
