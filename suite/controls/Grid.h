#pragma once

#include <QHash>
#include <QTableView>

#include <functional>
#include <memory>

namespace tarvo::suite {

class GridModel;
class GridSource;

/// The list grid: a text matrix with a header row (row 0), fixed columns, widths in twips
/// (0 hides a column), alignment codes, a current row and a redraw switch, over a table view
/// with a fixed row height so that long lists stay fast.
class Grid : public QTableView {
    Q_OBJECT
public:
    explicit Grid(QWidget* parent = nullptr);

    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int rows) { m_fixedRows = rows; }
    int FixedCols() const { return m_fixedCols; }
    void setFixedCols(int cols);

    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    /// TextMatrix(row, col) appended as UTF-8, without a string in between where the grid's
    /// source holds its cells so.
    void appendTextUtf8(int row, int col, QByteArray& out) const;
    /// Takes a fresh set of data rows at once (see GridModel::setSource).
    void setSource(std::shared_ptr<const GridSource> source, QVector<int> sourceRows);

    /// Width in twips; 0 hides the column.
    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    int ColAlignment(int col) const;
    void setColAlignment(int col, int code);
    void setHeaderAlignment(int col, int code);

    /// 0 = no user resizing, 1 = columns may be resized.
    int AllowUserResizing() const { return m_allowResizing; }
    void setAllowUserResizing(int mode);

    /// Current data row (1 …) or 0 when there is none; setting it selects the row.
    int Row() const;
    void setRow(int row);
    int Col() const;
    void setCol(int col);
    /// The selected row; the grid selects whole rows, so it equals Row.
    int RowSel() const { return Row(); }
    /// First data row visible at the top.
    int TopRow() const;
    void setTopRow(int row);

    bool Redraw() const;
    void setRedraw(bool on);

    /// Sorts the data rows by a column; the serial numbers in column 0 stay 1, 2, ….
    void Sort(int col, bool ascending);
    /// Shows only the data rows whose key keep accepts (see GridModel::setRowFilter). The
    /// current row stays on its record while that is shown, else moves to the first row.
    void setRowFilter(std::function<bool(int key)> keep);

    GridModel* gridModel() const { return m_model; }
    static int twipsPerPixel();

Q_SIGNALS:
    void DblClick();
    /// Mouse released over the grid: button (1 left, 2 right, 4 middle), shift state, position.
    void MouseUp(int button, int shift, float x, float y);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    GridModel* m_model;
    int m_fixedRows = 1;
    int m_fixedCols = 0;
    int m_allowResizing = 1;
    /// The width in twips each column was last given: a column the user has not resized since
    /// gives it back exactly, not rounded through its pixels.
    QHash<int, int> m_givenTwips;
};

} // namespace tarvo::suite
