#include "PopupMenu.h"

#include <QMenu>
#include <QWidget>

namespace tarvo::suite {

PopupMenu::PopupMenu(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("PopMenuMgr"));
}

void PopupMenu::popup(const QPoint& globalPos, const QVector<Item>& items) {
    QMenu menu(qobject_cast<QWidget*>(parent()));
    menu.setObjectName(QStringLiteral("PopupMenu"));
    for (const Item& item : items) {
        QAction* a = menu.addAction(item.caption);
        a->setData(item.key);
    }
    if (QAction* chosen = menu.exec(globalPos))
        Q_EMIT ItemClick(chosen->data().toString());
}

} // namespace tarvo::suite
