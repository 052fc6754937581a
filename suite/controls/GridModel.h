#pragma once

#include <QAbstractTableModel>
#include <QVector>

namespace tarvo::suite {

/// The text matrix behind the list grid. Row 0 is the header row and is served as the
/// horizontal header; rows 1 … are the data rows. While redraw is off, cell writes send no
/// change notifications: the view is told once when redraw comes back on.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    int rows() const { return int(m_cells.size()); }
    int cols() const { return m_cols; }
    void setRows(int rows);
    void setCols(int cols);
    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    void setRedraw(bool on);
    bool redraw() const { return m_redraw; }

    /// Column alignment codes 0 … 8 (left/centre/right by top/centre/bottom), per column and for
    /// the header cells.
    void setColumnAlignment(int col, int code);
    int columnAlignment(int col) const;
    void setHeaderAlignment(int col, int code);
    /// Columns shown with the fixed-column background.
    void setFixedCols(int n);

    /// Orders the data rows by a column (numbers as numbers), keeping column 0 numbered 1, 2 ….
    void sortRows(int col, bool ascending);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static Qt::Alignment toQt(int code);

private:
    QVector<QVector<QString>> m_cells;
    QVector<int> m_align;
    QVector<int> m_headerAlign;
    int m_cols = 0;
    int m_fixedCols = 0;
    bool m_redraw = true;
    bool m_dirty = false;
};

} // namespace tarvo::suite
