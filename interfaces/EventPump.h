#pragma once

#include "SessionContext.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <exception>
#include <functional>
#include <optional>
#include <thread>

namespace tarvo {

/// Called between rows of long work (a print, an import's check): lets the event loop turn
/// every few dozen milliseconds, so that windows repaint and the desktop never takes the
/// program for hung. Input waits meanwhile, so nothing can change the rows while they are
/// worked on.
/// Every pump of a thread counts from the last turn any of them gave, so that steps of one
/// piece of work, each pumping on its own, never add their waits up.
class EventPump {
public:
    void operator()() {
        QElapsedTimer& since = sinceLastTurn();
        if (since.isValid() && since.elapsed() < kEveryMs)
            return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        since.start();
    }

private:
    static constexpr qint64 kEveryMs = 40;
    static QElapsedTimer& sinceLastTurn() {
        thread_local QElapsedTimer since;
        return since;
    }
};

/// Runs work on a thread of its own, in this thread's session, while this one waits in an event
/// loop, so that windows repaint and the desktop never takes the program for hung; input waits
/// meanwhile. Without an application there is no loop: this thread only waits. What the work
/// throws is thrown here.
inline void runAside(const std::function<void()>& work) {
    std::optional<QEventLoop> loop;
    if (QCoreApplication::instance())
        loop.emplace();
    std::exception_ptr failed;
    std::thread worker(carryingSession([&] {
        try {
            work();
        } catch (...) {
            failed = std::current_exception();
        }
        if (loop)
            QMetaObject::invokeMethod(&*loop, &QEventLoop::quit, Qt::QueuedConnection);
    }));
    if (loop)
        loop->exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (failed)
        std::rethrow_exception(failed);
}

} // namespace tarvo
