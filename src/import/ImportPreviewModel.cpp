#include "ImportPreviewModel.h"

#include <QColor>
#include <QCoreApplication>

namespace tarvo {

ImportPreviewModel::ImportPreviewModel(const ImportBatch& batch, QObject* parent)
    : QAbstractTableModel(parent), m_batch(batch) {}

void ImportPreviewModel::holdAll() {
    beginResetModel();
    m_allHeld = true;
    endResetModel();
}

void ImportPreviewModel::refresh() {
    beginResetModel();
    m_allHeld = false;
    m_verdictsHeld = false;
    endResetModel();
}

void ImportPreviewModel::holdVerdicts() {
    m_verdictsHeld = true;
    repaintRows();
}

void ImportPreviewModel::verdictsChanged() {
    m_verdictsHeld = false;
    repaintRows();
}

void ImportPreviewModel::repaintRows() {
    if (rowCount() > 1)
        Q_EMIT dataChanged(index(1, 0), index(rowCount() - 1, columnCount() - 1));
}

int ImportPreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || m_allHeld || m_batch.headers().isEmpty()
               ? 0
               : 1 + int(m_batch.data().size());
}

int ImportPreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || m_allHeld || m_batch.headers().isEmpty()
               ? 0
               : FixedCols + int(m_batch.headers().size());
}

QVariant ImportPreviewModel::data(const QModelIndex& index, int role) const {
    const int col = index.column();
    if (index.row() == 0) {
        // The window's texts, translated where the window's are.
        if (role == Qt::DisplayRole && col == ColReason)
            return QCoreApplication::translate("tarvo::FrmImport", "导入到");
        return {};
    }
    const int r = index.row() - 1;
    const bool checked = !m_verdictsHeld && r < m_batch.verdicts().size();
    if (role == Qt::BackgroundRole && checked) {
        static const QColor kColours[] = {QColor(0xE3, 0xF4, 0xE1), QColor(0xE1, 0xEC, 0xF8),
                                          QColor(0xF2, 0xF2, 0xF2), QColor(0xFB, 0xE3, 0xE1)};
        return kColours[m_batch.verdicts()[r].kind];
    }
    if (role == Qt::ToolTipRole && col == ColReason && checked)
        return m_batch.reasonText(r);
    if (role != Qt::DisplayRole)
        return {};
    switch (col) {
    case ColLine:
        return QString::number(m_batch.data()[r].first);
    case ColVerdict:
        return checked ? m_batch.verdictText(r) : QString();
    case ColReason:
        return checked ? m_batch.reasonText(r) : QString();
    default:
        return m_batch.data()[r].second.value(col - FixedCols);
    }
}

QVariant ImportPreviewModel::headerData(int section, Qt::Orientation orientation,
                                        int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || m_allHeld)
        return {};
    switch (section) {
    case ColLine:
        return QCoreApplication::translate("tarvo::FrmImport", "行号");
    case ColVerdict:
        return QCoreApplication::translate("tarvo::FrmImport", "结果");
    case ColReason:
        return QCoreApplication::translate("tarvo::FrmImport", "说明");
    default:
        return m_batch.headers().value(section - FixedCols);
    }
}

} // namespace tarvo
