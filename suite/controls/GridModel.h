#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QVector>

#include <functional>
#include <memory>

namespace tarvo::suite {

/// Data cells worked out when they are asked for, so that a long list is not held as texts:
/// the grid asks only for the cells it shows (and for a whole column when it sorts or a
/// caller searches).
class GridSource {
public:
    virtual ~GridSource() = default;
    virtual int rowCount() const = 0;
    /// Text of a data cell: row is the source's own row (0 …), col a grid column (1 …).
    virtual QString text(int row, int col) const = 0;
    /// The same text appended as UTF-8 (valid, as a string's is), for a source that holds it
    /// so and can spare the conversion: whole-list work asks for millions of cells.
    virtual void appendUtf8(int row, int col, QByteArray& out) const {
        appendUtf8Of(text(row, col), out);
    }
    /// A text as UTF-8, half a surrogate pair as U+FFFD (as the print data marks it).
    static void appendUtf8Of(QStringView text, QByteArray& out);
};

/// The text matrix behind the list grid. Row 0 is the header row and is served as the
/// horizontal header; rows 1 … are the data rows, each the row of a source or written cell by
/// cell (a written cell wins over its source). While redraw is off, cell writes send no change
/// notifications: the view is told once when redraw comes back on.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    int rows() const { return int(m_order.size()) + 1; }
    int cols() const { return m_cols; }
    void setRows(int rows);
    void setCols(int cols);
    QString text(int row, int col) const;
    /// text(row, col) appended as UTF-8.
    void appendUtf8(int row, int col, QByteArray& out) const;
    void setText(int row, int col, const QString& text);
    /// Swaps in a fresh set of data rows at once: data row i + 1 shows row sourceRows[i] of the
    /// source, and column 0 numbers the rows 1, 2, …. The cells written before are dropped;
    /// the header row stays. A null source leaves the header row alone.
    void setSource(std::shared_ptr<const GridSource> source, QVector<int> sourceRows);
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
    /// Rows a filter hides are ordered too, so that they come back in order.
    void sortRows(int col, bool ascending);

    /// Shows only the data rows whose key keep accepts (the source row, for rows of a source),
    /// numbered 1, 2 … as shown; an empty filter shows every row. A new source or row count
    /// drops the filter.
    void setRowFilter(std::function<bool(int key)> keep);
    /// The key of a shown data row (0 …), or -1.
    int keyAt(int dataRow) const;
    /// The shown data row (0 …) of a key, or -1 when it is not shown.
    int rowOfKey(int key) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static Qt::Alignment toQt(int code);

private:
    static qint64 slot(int key, int col) { return (qint64(key) << 32) | quint32(col); }
    QString cell(int dataRow, int col) const;
    /// The text of a cell by its row's key and its place among the rows numbered.
    QString cellOfKey(int key, int place, int col) const;
    void applyRowFilter();
    void dropWrittenCells(const std::function<bool(int key, int col)>& gone);

private:
    QVector<QString> m_header;
    std::shared_ptr<const GridSource> m_source;
    /// Per data row its key: the source row for keys below the source's row count, otherwise
    /// a row added by setRows. Keys travel with their rows when the rows are sorted.
    QVector<int> m_all;
    /// The keys of the rows shown: m_all, or those of them the filter keeps.
    QVector<int> m_order;
    std::function<bool(int key)> m_keep;
    int m_nextKey = 0;
    /// Cells written by text, by key and column.
    QHash<qint64, QString> m_written;
    /// Column 0 shows the row numbers (after a fill from a source or a sort).
    bool m_numbered = false;
    QVector<int> m_align;
    QVector<int> m_headerAlign;
    int m_cols = 0;
    int m_fixedCols = 0;
    bool m_redraw = true;
    bool m_dirty = false;
};

} // namespace tarvo::suite
