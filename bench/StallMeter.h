#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

namespace bench {

/// The longest time between two turns of the event loop since the last reset.
class StallMeter : public QObject {
public:
    static double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

    StallMeter() {
        m_turn.setTimerType(Qt::PreciseTimer);
        connect(&m_turn, &QTimer::timeout, this, [this] {
            if (ms(m_sinceTurn) > m_longest) {
                m_longest = ms(m_sinceTurn);
                m_longestEnded = ms(m_sinceReset);
            }
            m_sinceTurn.restart();
        });
        m_sinceTurn.start();
        m_sinceReset.start();
        m_turn.start(1);
    }
    void reset() {
        m_longest = 0;
        m_sinceTurn.restart();
        m_sinceReset.restart();
    }
    /// When the longest gap ended, in ms since the reset: where to look for its cause.
    double longestEnded() const { return m_longestEnded; }
    /// Counts the time since the last turn too: a stall still going on is a stall.
    double longest() const { return std::max(m_longest, ms(m_sinceTurn)); }

private:
    QTimer m_turn;
    QElapsedTimer m_sinceTurn;
    QElapsedTimer m_sinceReset;
    double m_longest = 0;
    double m_longestEnded = 0;
};

} // namespace bench
