#include "RowStepKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace tarvo::suite {

bool stepRowsFromSearchBox(QObject* watched, QEvent* event, const QObject* box, QObject* rows) {
    if (watched != box || event->type() != QEvent::KeyPress)
        return false;
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QCoreApplication::sendEvent(rows, event);
        return true;
    default:
        return false;
    }
}

} // namespace tarvo::suite
