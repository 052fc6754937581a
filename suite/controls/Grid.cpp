#include "Grid.h"

#include "GridHeader.h"
#include "GridModel.h"
#include "KeyHook.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

namespace tarvo::suite {

Grid::Grid(QWidget* parent) : QTableView(parent), m_model(new GridModel(this)) {
    setObjectName(QStringLiteral("Grid"));
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    verticalHeader()->hide();
    // A fixed row height: sizing rows to their contents costs seconds on long lists.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setHorizontalHeader(new GridHeader(this));
    setCols(2);
}

QModelIndex Grid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Home and End go to the first and last record, with or without Ctrl. Across the columns
    // the grid stays where it is, so the code the clerk reads a row by stays in sight.
    if ((action == MoveHome || action == MoveEnd) && m_model->rowCount() > 0) {
        const int col = currentIndex().isValid() ? currentIndex().column()
                                                 : std::min(m_fixedCols, m_model->cols() - 1);
        return m_model->index(action == MoveHome ? 0 : m_model->rowCount() - 1, col);
    }
    return QTableView::moveCursor(action, modifiers);
}

int Grid::twipsPerPixel() {
    return 15;
}

int Grid::Rows() const {
    return m_model->rows();
}

void Grid::setRows(int rows) {
    m_model->setRows(rows);
}

int Grid::Cols() const {
    return m_model->cols();
}

void Grid::setCols(int cols) {
    m_model->setCols(cols);
    for (int c = 0; c < m_model->cols(); ++c)
        if (!isColumnHidden(c) && columnWidth(c) <= 0)
            setColumnWidth(c, 80);
}

void Grid::setFixedCols(int cols) {
    m_fixedCols = cols;
    m_model->setFixedCols(cols);
}

QString Grid::TextMatrix(int row, int col) const {
    return m_model->text(row, col);
}

void Grid::appendTextUtf8(int row, int col, QByteArray& out) const {
    m_model->appendUtf8(row, col, out);
}

void Grid::setTextMatrix(int row, int col, const QString& text) {
    m_model->setText(row, col, text);
}

void Grid::setSource(std::shared_ptr<const GridSource> source, QVector<int> sourceRows) {
    m_model->setSource(std::move(source), std::move(sourceRows));
}

int Grid::ColWidth(int col) const {
    if (col < 0 || col >= Cols() || isColumnHidden(col))
        return 0;
    const int pixels = columnWidth(col);
    const auto given = m_givenTwips.constFind(col);
    if (given != m_givenTwips.cend() && std::max(1, *given / twipsPerPixel()) == pixels)
        return *given;
    return pixels * twipsPerPixel();
}

void Grid::setColWidth(int col, int twips) {
    if (col < 0 || col >= Cols())
        return;
    if (twips <= 0) {
        setColumnHidden(col, true);
        return;
    }
    setColumnHidden(col, false);
    m_givenTwips.insert(col, twips);
    setColumnWidth(col, std::max(1, twips / twipsPerPixel()));
}

int Grid::ColAlignment(int col) const {
    return m_model->columnAlignment(col);
}

void Grid::setColAlignment(int col, int code) {
    m_model->setColumnAlignment(col, code);
}

void Grid::setHeaderAlignment(int col, int code) {
    m_model->setHeaderAlignment(col, code);
}

void Grid::setAllowUserResizing(int mode) {
    m_allowResizing = mode;
    horizontalHeader()->setSectionResizeMode(mode ? QHeaderView::Interactive : QHeaderView::Fixed);
}

int Grid::Row() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

void Grid::setRow(int row) {
    if (row < 1 || row >= Rows())
        return;
    const int col = std::max(0, currentIndex().isValid() ? currentIndex().column() : 1);
    setCurrentIndex(m_model->index(row - 1, std::min(col, Cols() - 1)));
}

int Grid::Col() const {
    return currentIndex().isValid() ? currentIndex().column() : 0;
}

void Grid::setCol(int col) {
    if (col < 0 || col >= Cols())
        return;
    const int row = currentIndex().isValid() ? currentIndex().row() : 0;
    if (m_model->rowCount() > 0)
        setCurrentIndex(m_model->index(row, col));
}

int Grid::TopRow() const {
    const int r = rowAt(0);
    return r < 0 ? (Rows() > 1 ? 1 : 0) : r + 1;
}

void Grid::setTopRow(int row) {
    if (row < 1 || row >= Rows())
        return;
    verticalScrollBar()->setValue(row - 1);
    scrollTo(m_model->index(row - 1, 0), QAbstractItemView::PositionAtTop);
}

bool Grid::Redraw() const {
    return m_model->redraw();
}

void Grid::setRedraw(bool on) {
    m_model->setRedraw(on);
    setUpdatesEnabled(on);
}

void Grid::Sort(int col, bool ascending) {
    m_model->sortRows(col, ascending);
    static_cast<GridHeader*>(horizontalHeader())
        ->setSortMark(col, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    setRow(1);
}

void Grid::setRowFilter(std::function<bool(int key)> keep) {
    const int key = m_model->keyAt(Row() - 1);
    const int col = std::max(1, Col());
    m_model->setRowFilter(std::move(keep));
    const int row = m_model->rowOfKey(key);
    if (m_model->rowCount() == 0)
        return;
    setCurrentIndex(m_model->index(std::max(row, 0), std::min(col, Cols() - 1)));
    scrollTo(currentIndex());
}

void Grid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    Q_EMIT DblClick();
}

void Grid::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    const int button = event->button() == Qt::LeftButton    ? 1
                       : event->button() == Qt::RightButton ? 2
                                                            : 4;
    const QPointF p = event->position() * twipsPerPixel();
    Q_EMIT MouseUp(button, KeyHook::shiftState(event->modifiers()), float(p.x()), float(p.y()));
}

} // namespace tarvo::suite
