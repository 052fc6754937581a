#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <functional>
#include <thread>

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

/// Runs work on a thread of its own while this one waits in an event loop, so that windows
/// repaint and the desktop never takes the program for hung; input waits meanwhile.
inline void runAside(const std::function<void()>& work) {
    QEventLoop loop;
    std::thread worker([&] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
}

/// The wait cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace tarvo::suite
