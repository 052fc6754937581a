#include "StatusBar.h"

#include <QLabel>
#include <QTime>

namespace tarvo::suite {

StatusBar::StatusBar(QWidget* parent, int panels) : QStatusBar(parent), m_clock(new QLabel(this)) {
    setObjectName(QStringLiteral("Stb"));
    setSizeGripEnabled(false);
    for (int i = 0; i < panels; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        label->setMinimumWidth(80);
        addWidget(label, i == 0 ? 2 : 1);
        m_panels << label;
        auto* link = new QLabel(this);
        link->setObjectName(QStringLiteral("Panel%1Link").arg(i + 1));
        link->setTextFormat(Qt::RichText);
        link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        connect(link, &QLabel::linkActivated, this, [this, i] { Q_EMIT panelLinkClicked(i + 1); });
        // Hidden before it is added, so that the bar does not show it.
        link->hide();
        addWidget(link);
        m_links << link;
        m_linkTexts << QString();
    }
    m_clock->setObjectName(QStringLiteral("Clock"));
    addPermanentWidget(m_clock);
}

QString StatusBar::PanelText(int index) const {
    return index >= 1 && index <= m_panels.size() ? m_panels[index - 1]->text() : QString();
}

void StatusBar::setPanelText(int index, const QString& text) {
    if (index >= 1 && index <= m_panels.size())
        m_panels[index - 1]->setText(text);
}

QString StatusBar::PanelLink(int index) const {
    return m_linkTexts.value(index - 1);
}

void StatusBar::setPanelLink(int index, const QString& text) {
    if (index < 1 || index > m_links.size())
        return;
    QLabel* link = m_links[index - 1];
    m_linkTexts[index - 1] = text;
    link->setText(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()));
    link->setVisible(!text.isEmpty());
}

void StatusBar::setClockMode(int mode) {
    m_clockMode = mode;
    if (mode == 1 && !m_timer) {
        m_timer = startTimer(1000);
    } else if (mode != 1) {
        if (m_timer)
            killTimer(m_timer);
        m_timer = 0;
        m_clock->clear();
    }
}

QString StatusBar::TimeText() const {
    return m_clock->text();
}

void StatusBar::setTimeText(const QString& text) {
    m_clock->setText(text);
}

void StatusBar::mousePressEvent(QMouseEvent* event) {
    QStatusBar::mousePressEvent(event);
    Q_EMIT clicked();
}

void StatusBar::timerEvent(QTimerEvent*) {
    m_clock->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
}

} // namespace tarvo::suite
