#pragma once

#include "ImportPreviewRows.h"

#include <QAbstractTableModel>
#include <QVector>

namespace tarvo {

/// The rows of the import preview, read from the import when shown: a file of a hundred
/// thousand rows costs no item per cell. With a mapping row, row 0 holds the combos that map
/// the file's columns; then each data row with its row number in the file, its verdict and
/// why, and its cells. The rows can be narrowed to the refused ones.
class ImportPreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// Columns before the file's own.
    enum : int { ColLine, ColVerdict, ColReason, FixedCols };

    ImportPreviewModel(const ImportPreviewRows& rows, bool mappingRow, QObject* parent = nullptr);

    /// Shows nothing until refresh() while the import reads a file on another thread.
    void holdAll();
    /// Takes in a new file.
    void refresh();
    /// Shows no verdicts while the import works them out on another thread; the rows and
    /// columns stay, and the combos with them.
    void holdVerdicts();
    /// Takes in new verdicts.
    void verdictsChanged();
    /// Shows only the refused rows, or every row again. The mapping row stays either way.
    void setRefusedOnly(bool refusedOnly);
    bool refusedOnly() const { return m_refusedOnly; }
    /// The data row shown at a row of the model; -1 for the mapping row.
    int rowAt(int modelRow) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const ImportPreviewRows& m_rows;
    const int m_first;
    bool m_allHeld = false;
    bool m_verdictsHeld = false;
    bool m_refusedOnly = false;
    /// The rows shown are m_shown's, not every row.
    bool m_narrowed = false;
    QVector<int> m_shown;

    bool empty() const;
    int dataRows() const;
    void repaintRows();
    /// Shows the rows setRefusedOnly asks for.
    void narrow();
};

} // namespace tarvo
