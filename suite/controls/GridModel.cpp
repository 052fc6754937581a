#include "GridModel.h"

#include <QBrush>
#include <QCollator>
#include <QPalette>

#include <algorithm>

namespace tarvo::suite {

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {
    setRows(1);
}

void GridModel::setRows(int rows) {
    rows = std::max(rows, 1);
    beginResetModel();
    m_cells.resize(rows);
    for (auto& r : m_cells)
        r.resize(m_cols);
    endResetModel();
}

void GridModel::setCols(int cols) {
    cols = std::max(cols, 1);
    beginResetModel();
    m_cols = cols;
    for (auto& r : m_cells)
        r.resize(cols);
    m_align.resize(cols, 1);
    m_headerAlign.resize(cols, 4);
    endResetModel();
}

QString GridModel::text(int row, int col) const {
    if (row < 0 || row >= m_cells.size() || col < 0 || col >= m_cols)
        return {};
    return m_cells[row][col];
}

void GridModel::setText(int row, int col, const QString& text) {
    if (row < 0 || row >= m_cells.size() || col < 0 || col >= m_cols)
        return;
    m_cells[row][col] = text;
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
    if (col < 0 || col >= m_cols || m_cells.size() <= 2)
        return;
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setNumericMode(true);
    Q_EMIT layoutAboutToBeChanged();
    std::stable_sort(m_cells.begin() + 1, m_cells.end(),
                     [&](const QVector<QString>& a, const QVector<QString>& b) {
                         bool okA = false, okB = false;
                         const double x = a[col].toDouble(&okA), y = b[col].toDouble(&okB);
                         const int c = okA && okB ? (x < y ? -1 : (x > y ? 1 : 0))
                                                  : collator.compare(a[col], b[col]);
                         return ascending ? c < 0 : c > 0;
                     });
    for (int r = 1; r < m_cells.size(); ++r)
        m_cells[r][0] = QString::number(r);
    Q_EMIT layoutChanged();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_cells.size()) - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_cols;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_cells[index.row() + 1][index.column()];
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
        return m_cells[0][section];
    if (role == Qt::TextAlignmentRole)
        return int(toQt(m_headerAlign[section]));
    return {};
}

} // namespace tarvo::suite
