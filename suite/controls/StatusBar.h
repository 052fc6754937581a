#pragma once

#include <QStatusBar>

class QLabel;

namespace tarvo::suite {

/// The suite's status bar: numbered panels (1-based), each with a link that can follow its text,
/// and a clock that can show the time.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr, int panels = 4);

    int PanelCount() const { return int(m_panels.size()); }
    QString PanelText(int index) const;
    void setPanelText(int index, const QString& text);
    /// The link shown after a panel's text ("" hides it); a click on it is panelLinkClicked.
    QString PanelLink(int index) const;
    void setPanelLink(int index, const QString& text);

    /// 0: the clock panel is empty; 1: it shows TimeText, refreshed every second.
    int ClockMode() const { return m_clockMode; }
    void setClockMode(int mode);
    QString TimeText() const;
    void setTimeText(const QString& text);

Q_SIGNALS:
    /// The user clicked the status bar.
    void clicked();
    void panelLinkClicked(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QList<QLabel*> m_panels;
    QList<QLabel*> m_links;
    QStringList m_linkTexts;
    QLabel* m_clock;
    int m_clockMode = 0;
    int m_timer = 0;
};

} // namespace tarvo::suite
