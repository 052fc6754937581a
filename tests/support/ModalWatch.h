#pragma once

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>

/// Runs act on the modal window of type T once it is on top and active (so that focus and keys
/// reach it) and, for a window that reads beside itself (its "reading" property), once it has
/// read what it shows; act must close it. Start the watch
/// before the call that shows the window (its event loop blocks the test); the watch ends when
/// the returned handle goes. Record what act sees and assert after the modal call returns: a
/// failing check inside act would leave the window open.
template <class T> [[nodiscard]] std::shared_ptr<QTimer> whenModal(std::function<void(T&)> act) {
    auto timer = std::make_shared<QTimer>();
    timer->setInterval(10);
    QObject::connect(timer.get(), &QTimer::timeout, [t = timer.get(), act] {
        auto* w = qobject_cast<T*>(QApplication::activeModalWidget());
        if (w && w->isActiveWindow() && !w->property("reading").toBool()) {
            t->stop();
            act(*w);
        }
    });
    timer->start();
    return timer;
}
