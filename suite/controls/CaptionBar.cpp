#include "CaptionBar.h"

#include <QHBoxLayout>
#include <QLabel>

namespace tarvo::suite {

CaptionBar::CaptionBar(QWidget* parent) : QWidget(parent), m_label(new QLabel(this)) {
    setObjectName(QStringLiteral("MoxFrmCaptionMgr"));
    m_label->setObjectName(QStringLiteral("CaptionText"));
    m_label->setAlignment(Qt::AlignCenter);
    QFont f = m_label->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    f.setBold(true);
    m_label->setFont(f);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_label);
}

QString CaptionBar::Caption() const {
    return m_label->text();
}

void CaptionBar::setCaption(const QString& text) {
    m_label->setText(text);
}

} // namespace tarvo::suite
