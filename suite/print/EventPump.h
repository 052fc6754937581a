#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

namespace tarvo::suite {

/// Called between rows of long print work: lets the event loop turn every few dozen
/// milliseconds, so that windows repaint and the desktop never takes the program for hung.
/// Input waits meanwhile, so nothing can change the list while it is printed.
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

} // namespace tarvo::suite
