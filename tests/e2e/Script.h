#pragma once

#include <QTimer>

#include <functional>
#include <vector>

/// Drives a user's session through modal windows: each step waits until its condition holds,
/// then acts. Steps may open modal windows; the script goes on inside them.
class Script {
public:
    struct Step {
        const char* what;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    explicit Script(std::vector<Step> steps) : m_steps(std::move(steps)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(20);
    }
    bool finished() const { return m_next == m_steps.size(); }
    /// The step the script waits on, for a failure message.
    const char* waitingOn() const { return finished() ? "" : m_steps[m_next].what; }

private:
    void poll() {
        if (finished() || !m_steps[m_next].ready())
            return;
        // Move on before acting, and act from an event of its own: the action may open a modal
        // window, whose steps this timer must still be free to run.
        const size_t current = m_next++;
        QTimer::singleShot(0, [this, current] { m_steps[current].act(); });
    }
    std::vector<Step> m_steps;
    size_t m_next = 0;
    QTimer m_timer;
};
