#include "GridModel.h"

#include "DecimalText.h"
#include "Utf8Append.h"

#include <QBrush>
#include <QCollator>
#include <QPalette>

#include <QSet>

#include <algorithm>
#include <numeric>
#include <vector>

namespace tarvo::suite {

namespace {

/// The number a cell shows, also an amount shown with thousands separators.
bool readNumber(const QString& text, double& number) {
    bool ok = false;
    number = text.toDouble(&ok);
    if (ok || !text.contains(u','))
        return ok;
    const auto amount = DecimalText::parse(text);
    if (amount)
        number = amount->plain().toDouble(&ok);
    return ok;
}

} // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::dropWrittenCells(const std::function<bool(int key, int col)>& gone) {
    for (auto it = m_written.begin(); it != m_written.end();) {
        if (gone(int(it.key() >> 32), int(quint32(it.key()))))
            it = m_written.erase(it);
        else
            ++it;
    }
}

void GridModel::setRows(int rows) {
    const int data = std::max(rows, 1) - 1;
    beginResetModel();
    m_keep = nullptr;
    m_order = m_all;
    if (data < m_order.size()) {
        m_order.resize(data);
        if (!m_written.isEmpty()) {
            const QSet<int> kept(m_order.cbegin(), m_order.cend());
            dropWrittenCells([&](int key, int) { return !kept.contains(key); });
        }
    }
    m_order.reserve(data);
    while (m_order.size() < data)
        m_order.push_back(m_nextKey++);
    m_all = m_order;
    endResetModel();
}

void GridModel::setCols(int cols) {
    cols = std::max(cols, 1);
    beginResetModel();
    m_cols = cols;
    m_header.resize(cols);
    dropWrittenCells([&](int, int col) { return col >= cols; });
    m_align.resize(cols, 1);
    m_headerAlign.resize(cols, 4);
    endResetModel();
}

void GridModel::setSource(std::shared_ptr<const GridSource> source, QVector<int> sourceRows) {
    beginResetModel();
    m_written.clear();
    m_source = std::move(source);
    m_all = m_source ? std::move(sourceRows) : QVector<int>();
    m_order = m_all;
    m_keep = nullptr;
    m_nextKey = m_source ? m_source->rowCount() : 0;
    m_numbered = true;
    endResetModel();
}

QString GridModel::cell(int dataRow, int col) const {
    return cellOfKey(m_order[dataRow], dataRow, col);
}

QString GridModel::cellOfKey(int key, int place, int col) const {
    const auto it = m_written.constFind(slot(key, col));
    if (it != m_written.cend())
        return *it;
    if (col == 0)
        return m_numbered ? QString::number(place + 1) : QString();
    if (m_source && key < m_source->rowCount())
        return m_source->text(key, col);
    return {};
}

QString GridModel::text(int row, int col) const {
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return {};
    return row == 0 ? m_header[col] : cell(row - 1, col);
}

void GridSource::appendUtf8Of(QStringView text, QByteArray& out) {
    ::tarvo::suite::appendUtf8(out, text);
}

void GridModel::appendUtf8(int row, int col, QByteArray& out) const {
    const int key = row >= 1 && row < rows() && col >= 1 && col < m_cols && m_source
                        ? m_order[row - 1]
                        : -1;
    if (key >= 0 && key < m_source->rowCount() && !m_written.contains(slot(key, col)))
        m_source->appendUtf8(key, col, out);
    else
        GridSource::appendUtf8Of(text(row, col), out);
}

void GridModel::setText(int row, int col, const QString& text) {
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols)
        return;
    if (row == 0)
        m_header[col] = text;
    else
        m_written.insert(slot(m_order[row - 1], col), text);
    if (!m_redraw) {
        m_dirty = true;
    } else if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex i = index(row - 1, col);
        Q_EMIT dataChanged(i, i, {Qt::DisplayRole});
    }
}

void GridModel::setRedraw(bool on) {
    m_redraw = on;
    if (on && m_dirty) {
        m_dirty = false;
        if (rowCount() > 0)
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1), {Qt::DisplayRole});
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    }
}

void GridModel::setColumnAlignment(int col, int code) {
    if (col >= 0 && col < m_cols)
        m_align[col] = code;
}

int GridModel::columnAlignment(int col) const {
    return col >= 0 && col < m_cols ? m_align[col] : 1;
}

void GridModel::setHeaderAlignment(int col, int code) {
    if (col >= 0 && col < m_cols)
        m_headerAlign[col] = code;
}

void GridModel::setFixedCols(int n) {
    m_fixedCols = n;
}

Qt::Alignment GridModel::toQt(int code) {
    Qt::Alignment h = Qt::AlignLeft;
    if (code >= 3 && code <= 5)
        h = Qt::AlignHCenter;
    else if (code >= 6 && code <= 8)
        h = Qt::AlignRight;
    const int v = code % 3;
    return h | (v == 0 ? Qt::AlignTop : v == 1 ? Qt::AlignVCenter : Qt::AlignBottom);
}

void GridModel::sortRows(int col, bool ascending) {
    const int n = int(m_all.size());
    if (col < 0 || col >= m_cols || n <= 1)
        return;
    // Each row's key worked out once, not at every comparison: a long list is sorted in
    // n log n comparisons of ready keys.
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    struct Key {
        bool isNumber;
        double number;
        QCollatorSortKey text;
    };
    std::vector<Key> keys;
    keys.reserve(size_t(n));
    for (int r = 0; r < n; ++r) {
        const QString t = cellOfKey(m_all[r], r, col);
        double x = 0;
        const bool ok = readNumber(t, x);
        keys.push_back({ok, x, collator.sortKey(t)});
    }
    std::vector<int> perm(static_cast<size_t>(n));
    std::iota(perm.begin(), perm.end(), 0);
    std::stable_sort(perm.begin(), perm.end(), [&](int a, int b) {
        const Key& x = keys[size_t(a)];
        const Key& y = keys[size_t(b)];
        const int c = x.isNumber && y.isNumber
                          ? (x.number < y.number ? -1 : (x.number > y.number ? 1 : 0))
                          : x.text.compare(y.text);
        return ascending ? c < 0 : c > 0;
    });
    Q_EMIT layoutAboutToBeChanged();
    QVector<int> order(n);
    for (int i = 0; i < n; ++i)
        order[i] = m_all[perm[size_t(i)]];
    m_all = std::move(order);
    applyRowFilter();
    dropWrittenCells([](int, int c) { return c == 0; });
    m_numbered = true;
    Q_EMIT layoutChanged();
}

void GridModel::setRowFilter(std::function<bool(int key)> keep) {
    beginResetModel();
    m_keep = std::move(keep);
    applyRowFilter();
    endResetModel();
}

void GridModel::applyRowFilter() {
    if (!m_keep) {
        m_order = m_all;
        return;
    }
    m_order.clear();
    for (const int key : std::as_const(m_all))
        if (m_keep(key))
            m_order.push_back(key);
}

int GridModel::keyAt(int dataRow) const {
    return dataRow >= 0 && dataRow < m_order.size() ? m_order[dataRow] : -1;
}

int GridModel::rowOfKey(int key) const {
    return int(m_order.indexOf(key));
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_order.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_cols;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return cell(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return int(toQt(m_align[index.column()]));
    case Qt::BackgroundRole:
        if (index.column() < m_fixedCols)
            return QPalette().brush(QPalette::Button);
        return {};
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_cols)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_header[section];
    if (role == Qt::TextAlignmentRole)
        return int(toQt(m_headerAlign[section]));
    return {};
}

} // namespace tarvo::suite
