#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QVector>

namespace tarvo::suite {

/// The popup menu of a list: shows items at a point and reports the key of the one chosen.
class PopupMenu : public QObject {
    Q_OBJECT
public:
    struct Item {
        QString key;
        QString caption;
    };
    explicit PopupMenu(QObject* parent = nullptr);

    /// Shows the menu at a screen position and returns when it closes.
    void popup(const QPoint& globalPos, const QVector<Item>& items);

Q_SIGNALS:
    void ItemClick(const QString& key);
};

} // namespace tarvo::suite
