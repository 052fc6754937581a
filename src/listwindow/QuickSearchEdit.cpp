#include "QuickSearchEdit.h"

#include <QKeyEvent>

namespace tarvo {

QuickSearchEdit::QuickSearchEdit(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("txtQuickSearch"));
    setClearButtonEnabled(true);
}

void QuickSearchEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        if (text().isEmpty())
            break;
        clear();
        event->accept();
        return;
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Q_EMIT leaveToList();
        event->accept();
        return;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void QuickSearchEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    Q_EMIT focused();
}

} // namespace tarvo
