#include "ImportPreviewModel.h"

#include <QColor>
#include <QCoreApplication>

namespace tarvo {

ImportPreviewModel::ImportPreviewModel(const ImportPreviewRows& rows, bool mappingRow,
                                       QObject* parent)
    : QAbstractTableModel(parent), m_rows(rows), m_first(mappingRow ? 1 : 0) {}

void ImportPreviewModel::holdAll() {
    beginResetModel();
    m_allHeld = true;
    m_shown.clear();
    endResetModel();
}

void ImportPreviewModel::refresh() {
    beginResetModel();
    m_allHeld = false;
    m_verdictsHeld = false;
    m_narrowed = false;
    m_shown.clear();
    endResetModel();
    if (m_refusedOnly)
        narrow();
}

void ImportPreviewModel::holdVerdicts() {
    // The narrowed rows stay as they are until the verdicts are in again.
    m_verdictsHeld = true;
    repaintRows();
}

void ImportPreviewModel::verdictsChanged() {
    m_verdictsHeld = false;
    if (m_refusedOnly)
        narrow();
    else
        repaintRows();
}

void ImportPreviewModel::setRefusedOnly(bool refusedOnly) {
    if (refusedOnly == m_refusedOnly)
        return;
    m_refusedOnly = refusedOnly;
    narrow();
}

void ImportPreviewModel::narrow() {
    if (empty())
        return;
    // The rows after the mapping row go, and those wanted come: the view keeps the combos.
    if (const int before = dataRows(); before > 0) {
        beginRemoveRows({}, m_first, m_first + before - 1);
        m_narrowed = true;
        m_shown.clear();
        endRemoveRows();
    }
    m_narrowed = true;
    m_shown.clear();
    QVector<int> shown;
    if (m_refusedOnly && !m_verdictsHeld)
        for (int r = 0; r < m_rows.size(); ++r)
            if (m_rows.checked(r) && m_rows.kind(r) == ImportPreviewRows::Refused)
                shown << r;
    if (const int after = m_refusedOnly ? int(shown.size()) : m_rows.size(); after > 0) {
        beginInsertRows({}, m_first, m_first + after - 1);
        m_narrowed = m_refusedOnly;
        m_shown = std::move(shown);
        endInsertRows();
    }
    m_narrowed = m_refusedOnly;
}

void ImportPreviewModel::repaintRows() {
    if (rowCount() > m_first)
        Q_EMIT dataChanged(index(m_first, 0), index(rowCount() - 1, columnCount() - 1));
}

bool ImportPreviewModel::empty() const {
    return m_allHeld || m_rows.headers().isEmpty();
}

int ImportPreviewModel::dataRows() const {
    return m_narrowed ? int(m_shown.size()) : m_rows.size();
}

int ImportPreviewModel::rowAt(int modelRow) const {
    const int r = modelRow - m_first;
    if (r < 0)
        return -1;
    return m_narrowed ? m_shown.value(r, -1) : r;
}

int ImportPreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || empty() ? 0 : m_first + dataRows();
}

int ImportPreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || empty() ? 0 : FixedCols + int(m_rows.headers().size());
}

QVariant ImportPreviewModel::data(const QModelIndex& index, int role) const {
    const int col = index.column();
    const int r = rowAt(index.row());
    if (r < 0) {
        // The window's texts, translated where the window's are.
        if (m_first > 0 && index.row() == 0 && role == Qt::DisplayRole && col == ColReason)
            return QCoreApplication::translate("tarvo::FrmImport", "导入到");
        return {};
    }
    const bool checked = !m_verdictsHeld && m_rows.checked(r);
    if (role == Qt::BackgroundRole && checked) {
        static const QColor kColours[] = {QColor(0xE3, 0xF4, 0xE1), QColor(0xE1, 0xEC, 0xF8),
                                          QColor(0xF2, 0xF2, 0xF2), QColor(0xFB, 0xE3, 0xE1),
                                          QColor(0xFB, 0xF0, 0xD6)};
        return kColours[m_rows.kind(r)];
    }
    if (role == Qt::ToolTipRole && col == ColReason && checked)
        return m_rows.reasonText(r);
    if (role != Qt::DisplayRole)
        return {};
    switch (col) {
    case ColLine: {
        const int line = m_rows.line(r);
        return line > 0 ? QString::number(line) : QString();
    }
    case ColVerdict:
        return checked ? m_rows.verdictText(r) : QString();
    case ColReason:
        return checked ? m_rows.reasonText(r) : QString();
    default:
        return m_rows.cell(r, col - FixedCols);
    }
}

QVariant ImportPreviewModel::headerData(int section, Qt::Orientation orientation,
                                        int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || m_allHeld)
        return {};
    switch (section) {
    case ColLine:
        return m_rows.lineCaption();
    case ColVerdict:
        return QCoreApplication::translate("tarvo::ImportPreview", "结果");
    case ColReason:
        return QCoreApplication::translate("tarvo::ImportPreview", "说明");
    default:
        return m_rows.headers().value(section - FixedCols);
    }
}

} // namespace tarvo
