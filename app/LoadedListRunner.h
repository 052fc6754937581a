#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace tarvo {
class FrmMain;
}

/// Runs a script's job on the list a host opened (an export), for scripts and scheduled jobs:
/// once the list window has loaded it hands the window to the job and closes it afterwards.
class LoadedListRunner : public QObject {
    Q_OBJECT
public:
    explicit LoadedListRunner(std::function<void(tarvo::FrmMain&)> job, QObject* parent = nullptr);
    bool ran() const { return m_ran; }

private:
    void poll();
    std::function<void(tarvo::FrmMain&)> m_job;
    QTimer m_timer;
    int m_attempts = 0;
    bool m_ran = false;
};
