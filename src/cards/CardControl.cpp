#include "CardControl.h"

#include "CardWidgets.h"
#include "Edit.h"
#include "ErrorHandling.h"

#include <QApplication>
#include <QResizeEvent>

namespace tarvo {

ControlList CardControl::controls() const {
    return findChildren<QWidget*>();
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

QWidget* CardControl::activeControl() const {
    QWidget* focus = QApplication::focusWidget();
    return focus && isAncestorOf(focus) ? focus : nullptr;
}

void CardControl::styleControls(IPub& pub, int helpId) {
    for (QWidget* control : controls()) {
        skipErrors([&] {
            QFont f = control->font();
            f.setFamily(pub.FontName());
            f.setPointSizeF(pub.FontSize());
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
