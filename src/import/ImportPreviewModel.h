#pragma once

#include "ImportBatch.h"

#include <QAbstractTableModel>

namespace tarvo {

/// The rows of the import preview, read from the batch when shown: a file of a hundred
/// thousand rows costs no item per cell. Row 0 holds the combos that map the file's columns;
/// then each data row with its row number in the file, its verdict and why, and its cells.
class ImportPreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// Columns before the file's own.
    enum : int { ColLine, ColVerdict, ColReason, FixedCols };

    explicit ImportPreviewModel(const ImportBatch& batch, QObject* parent = nullptr);

    /// Shows nothing until refresh() while the batch reads a file on another thread.
    void holdAll();
    /// Takes in a new file.
    void refresh();
    /// Shows no verdicts while the batch works them out on another thread; the rows and
    /// columns stay, and the combos with them.
    void holdVerdicts();
    /// Takes in new verdicts.
    void verdictsChanged();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const ImportBatch& m_batch;
    bool m_allHeld = false;
    bool m_verdictsHeld = false;

    void repaintRows();
};

} // namespace tarvo
