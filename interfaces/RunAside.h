#pragma once

#include "SessionContext.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <exception>
#include <functional>
#include <optional>
#include <thread>

namespace tarvo {

/// Runs work on a thread of its own, in this thread's session, while this one waits in an event
/// loop, so that windows repaint and the desktop never takes the program for hung; input waits
/// meanwhile, queued where it does not wake the loop, and reaches the windows once the work has
/// ended. The loop sleeps until the work ends or a window has something to do: a timer of 0 ms
/// turning meanwhile would keep it polling and take the processor from the work. Without an
/// application there is no loop: this thread only waits. What the work throws is thrown here.
/// Only for a window whose next step needs the work's result before it can go on (a card's save
/// decides whether the card closes): work that can end in a slot runs as a worker instead
/// (BesideWork), and data and reader code never turns an event loop.
/// Nothing the waiting thread's events run may touch what the work uses.
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
