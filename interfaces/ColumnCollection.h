#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>

namespace tarvo {

/// One list column of a column set-up.
struct ColumnItem {
    QString cFld;      ///< select-list item, possibly qualified ("AA_Bank.cBankName")
    QString Caption;   ///< header text
    int iAlign = 1;    ///< grid alignment code (1 left-centre, 4 centre-centre, 7 right-centre)
    QVariant bDisp;    ///< shown; may be Null
    int iColWidth = 0; ///< twips; written back by the list window
    QString cOrder;    ///< "asc", "desc" or empty
};

/// The column collection of a column set-up: items 1 to Count, in list order.
class ColumnCollection {
public:
    explicit ColumnCollection(QVector<ColumnItem> items = {}) : m_items(std::move(items)) {}
    int Count() const { return int(m_items.size()); }
    /// 1-based, like the collection the list window walks.
    ColumnItem& Item(int index) { return m_items[index - 1]; }
    const ColumnItem& Item(int index) const { return m_items[index - 1]; }
    const QVector<ColumnItem>& items() const { return m_items; }

private:
    QVector<ColumnItem> m_items;
};

using ColumnCollectionPtr = std::shared_ptr<ColumnCollection>;

} // namespace tarvo
