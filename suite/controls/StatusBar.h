#pragma once

#include <QStatusBar>

class QLabel;

namespace tarvo::suite {

/// The suite's status bar: numbered panels (1-based) and a clock that can show the time.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr, int panels = 4);

    int PanelCount() const { return int(m_panels.size()); }
    QString PanelText(int index) const;
    void setPanelText(int index, const QString& text);

    /// 0: the clock panel is empty; 1: it shows TimeText, refreshed every second.
    int ClockMode() const { return m_clockMode; }
    void setClockMode(int mode);
    QString TimeText() const;
    void setTimeText(const QString& text);

Q_SIGNALS:
    /// The user clicked the status bar.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QList<QLabel*> m_panels;
    QLabel* m_clock;
    int m_clockMode = 0;
    int m_timer = 0;
};

} // namespace tarvo::suite
