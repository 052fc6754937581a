#pragma once

#include "WorkProgress.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <functional>
#include <thread>

namespace tarvo {

/// Long work on a thread of its own, beside the window that started it: the window stays in
/// its own event loop and hears of the work through queued signals, holding back meanwhile the
/// commands that must wait for it. The work runs in the session of the thread that started it
/// (what else it needs of that thread it takes along itself) and is asked at every step
/// whether to stop.
class BesideWork : public QObject {
    Q_OBJECT
public:
    using Work = std::function<void(const WorkProgress&)>;

    /// Starts the work at once.
    explicit BesideWork(Work work, QObject* parent = nullptr);
    /// Stops the work and waits for its thread.
    ~BesideWork() override;

    /// Asks the work to stop at its next step; ended(true, …) follows.
    void stop();
    /// Stops the work and waits until its thread is gone: what it used is free again at once.
    /// No signal follows.
    void stopAndWait();
    bool running() const { return m_thread.joinable(); }

Q_SIGNALS:
    /// The steps the work said it has done, now and then while it runs.
    void progressed(qint64 done);
    /// Once the work has returned: stopped when it was asked to stop, error what it threw.
    void ended(bool stopped, const QString& error);

private:
    std::atomic<bool> m_stopAsked = false;
    std::atomic<qint64> m_done = -1;
    qint64 m_shown = -1;
    QTimer m_progress;
    std::thread m_thread;

    void finish(const QString& error);
};

} // namespace tarvo
