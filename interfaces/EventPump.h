#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <atomic>
#include <exception>
#include <functional>
#include <initializer_list>
#include <optional>
#include <thread>
#include <vector>

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

/// Runs each piece of work on a thread of its own, side by side, while this one waits in an
/// event loop, so that windows repaint and the desktop never takes the program for hung; input
/// waits meanwhile. Without an application there is no loop: this thread only waits. What a
/// piece throws is thrown here once every piece has ended.
inline void runAside(std::initializer_list<std::function<void()>> works) {
    std::optional<QEventLoop> loop;
    if (QCoreApplication::instance())
        loop.emplace();
    std::atomic<std::size_t> running = works.size();
    std::vector<std::exception_ptr> failed(works.size());
    std::vector<std::thread> workers;
    workers.reserve(works.size());
    for (const std::function<void()>& work : works)
        workers.emplace_back([&, &failure = failed[workers.size()]] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            if (--running == 0 && loop)
                QMetaObject::invokeMethod(&*loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    if (loop)
        loop->exec(QEventLoop::ExcludeUserInputEvents);
    for (std::thread& worker : workers)
        worker.join();
    for (const std::exception_ptr& failure : failed)
        if (failure)
            std::rethrow_exception(failure);
}

inline void runAside(const std::function<void()>& work) {
    runAside({work});
}

} // namespace tarvo
