#include "CardControl.h"

#include "Edit.h"

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

} // namespace tarvo
