#include "CardControl.h"

#include "BuildVariant.h"
#include "CardWidgets.h"
#include "Edit.h"
#include "ErrorHandling.h"

#include <QApplication>
#include <QLabel>
#include <QResizeEvent>

namespace tarvo {

ControlList CardControl::controls() const {
    return findChildren<QWidget*>();
}

void CardControl::fitCaptions() {
    for (QLabel* label : findChildren<QLabel*>()) {
        // A taller font than the design's keeps its descenders.
        const int tall = label->fontMetrics().height();
        if (label->height() < tall)
            label->setGeometry(label->x(), label->y() - (tall - label->height()) / 2,
                               label->width(), tall);
        const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 4;
        const int more = needed - label->width();
        if (more <= 0 || label->text().isEmpty())
            continue;
        const QRect caption = label->geometry();
        QWidget* field = nullptr;
        for (QWidget* w :
             label->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect r = w->geometry();
            const bool sameLine = r.top() < caption.bottom() && r.bottom() > caption.top();
            if (w != label && sameLine && r.left() >= caption.left() + caption.width() / 2 &&
                (!field || r.left() < field->x()))
                field = w;
        }
        if (field && field->width() - more < field->width() / 2)
            continue; // no room to take: keep the field usable
        label->resize(needed, label->height());
        if (field)
            field->setGeometry(field->x() + more, field->y(), field->width() - more,
                               field->height());
    }
}

void CardControl::reportEditsChangedByUser() {
    for (suite::Edit* edit : findChildren<suite::Edit*>())
        connect(edit, &suite::Edit::UserChange, this, &CardControl::ActiveSaveBtn);
}

void CardControl::placeTwips(QWidget* control, int left, int top, int width, int height) {
    control->setProperty("tarvo.twips", QRect(left, top, width, height));
    control->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
}

int CardControl::pixels(int twips) {
    return twips / 15;
}

void CardControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize fixed(pixels(kWidthTwips), pixels(kHeightTwips));
    if (event->size() != fixed)
        resize(fixed);
}

void CardControl::layOut(IPub& pub, const char* layoutKey) {
    if (isEarlierBuild())
        pub.UCtrlLayout(controls(), QString::fromLatin1(layoutKey));
    else
        pub.SetConPosition(controls());
}

QWidget* CardControl::activeControl() const {
    QWidget* focus = QApplication::focusWidget();
    return focus && isAncestorOf(focus) ? focus : nullptr;
}

void CardControl::styleControls(IPub& pub, int helpId) {
    for (QWidget* control : controls()) {
        skipErrors([&] {
            QFont f = control->font();
            f.setFamily(isEarlierBuild() ? pub.m_FontName() : pub.FontName());
            f.setPointSizeF(isEarlierBuild() ? pub.m_FontSize() : pub.FontSize());
            f.setStyleStrategy(QFont::PreferNoShaping);
            control->setFont(f);
        });
        if (auto* edit = qobject_cast<suite::Edit*>(control)) {
            if (edit->Property() == 1)
                edit->setProperty(0);
            edit->setHelpContextId(helpId);
        } else if (auto* label = qobject_cast<suite::Label*>(control);
                   label && label->Tag() == u"1") {
            QPalette p = label->palette();
            p.setColor(QPalette::WindowText, QColor::fromRgb(pub.MustInputColor()));
            label->setPalette(p);
        }
    }
}

void CardControl::reportKeyDown(IPub* pub, int keyCode, int shift) {
    QWidget* active = activeControl();
    if (active && pub && pub->ConKeyDown(active, keyCode, shift))
        Q_EMIT ActiveSaveBtn();
}

} // namespace tarvo
