// Grid services of the public-services object: sorting, the popup menu, re-selecting rows,
// the tree, the splitter and the delete bracket.
#include "Grid.h"
#include "PopupMenu.h"
#include "Pub.h"

#include <QApplication>
#include <QTreeWidget>

namespace tarvo::suite {

namespace {

Grid* asGrid(QWidget* w) {
    auto* grid = qobject_cast<Grid*>(w);
    if (!w || !grid)
        throw std::runtime_error(
            QCoreApplication::translate("tarvo::suite::Pub", "表格服务只能用于档案列表").toStdString());
    return grid;
}

void sortCurrentColumn(Grid* grid, bool ascending) {
    // Column 0 numbers the rows: sorting by it would only shuffle the numbers.
    if (grid->Col() > 0)
        grid->Sort(grid->Col(), ascending);
}

int clampRow(const Grid* grid, int row) {
    return std::clamp(row, 1, std::max(1, grid->Rows() - 1));
}

} // namespace

void Pub::GridSort(QWidget*, QWidget* grid, int direction) {
    sortCurrentColumn(asGrid(grid), direction != 2);
}

void Pub::GridSortNew(QWidget*, QWidget* grid, QString& item) {
    const QString key = item.toLower();
    if (key == u"asc")
        sortCurrentColumn(asGrid(grid), true);
    else if (key == u"desc")
        sortCurrentColumn(asGrid(grid), false);
}

void Pub::ShowPopupMenu(QWidget* window, QWidget* grid, int& button, int&, float& x, float& y) {
    if (button != 2 || !window)
        return;
    auto* menu = window->findChild<PopupMenu*>(QStringLiteral("PopMenuMgr"));
    Grid* g = asGrid(grid);
    if (!menu || g->Rows() <= 1)
        return;
    const bool english = M_LocaleId().startsWith(u"en", Qt::CaseInsensitive);
    const QPoint at(int(x) / Grid::twipsPerPixel(), int(y) / Grid::twipsPerPixel());
    menu->popup(g->viewport()->mapToGlobal(at),
                {{QStringLiteral("Asc"),
                  english ? QStringLiteral("Sort ascending") : QStringLiteral("升序")},
                 {QStringLiteral("Desc"),
                  english ? QStringLiteral("Sort descending") : QStringLiteral("降序")}});
}

void Pub::MouseEvent(QWidget* window, int phase, int& button, int&, float& x, float&,
                     const QString&) {
    if (!window || button != 1)
        return;
    auto* splitter = window->findChild<QWidget*>(QStringLiteral("PicSeparate"));
    auto* tree = window->findChild<QWidget*>(QStringLiteral("Trv"));
    auto* grid = window->findChild<QWidget*>(QStringLiteral("Grid"));
    if (!splitter || !tree || !grid || phase != 2)
        return;
    // Dragging the splitter: x is where the mouse is on it, so move it by that much.
    const int left =
        std::clamp(splitter->x() + int(x) / Grid::twipsPerPixel(), 60, window->width() - 120);
    splitter->move(left, splitter->y());
    tree->resize(left - tree->x(), tree->height());
    const int gridLeft = left + splitter->width();
    grid->setGeometry(gridLeft, grid->y(), window->width() - gridLeft, grid->height());
}

void Pub::SetGridRow(QWidget* grid, QVariant& key, const QString& keyCaption) {
    Grid* g = asGrid(grid);
    const QString wanted = key.toString();
    if (wanted.isEmpty())
        return;
    int col = -1;
    for (int c = 1; c < g->Cols() && col < 0; ++c)
        if (g->TextMatrix(0, c) == keyCaption)
            col = c;
    if (col < 0)
        return;
    for (int r = 1; r < g->Rows(); ++r) {
        if (g->TextMatrix(r, col) == wanted) {
            g->setRow(r);
            g->scrollTo(g->currentIndex());
            return;
        }
    }
}

void Pub::SetGridRow(QWidget* grid, int& row, int& topRow) {
    Grid* g = asGrid(grid);
    if (g->Rows() <= 1)
        return;
    row = clampRow(g, row);
    topRow = clampRow(g, topRow);
    g->setTopRow(topRow);
    g->setRow(row);
}

void Pub::AddTrvNode(const QVariant& nodeKey, const QVariant& nodeText, QWidget* tree) {
    auto* t = qobject_cast<QTreeWidget*>(tree);
    if (!t)
        return;
    // Nodes come in code order, a parent before its children: a node goes under the last
    // node whose code starts its own, or under the root when none does.
    const QString code = nodeKey.toString().trimmed();
    QTreeWidgetItem* parent = t->topLevelItemCount() > 0 ? t->topLevelItem(0) : nullptr;
    while (parent && parent->childCount() > 0) {
        QTreeWidgetItem* last = parent->child(parent->childCount() - 1);
        const QString lastCode = last->data(0, Qt::UserRole).toString().mid(1);
        if (lastCode.isEmpty() || code.size() <= lastCode.size() || !code.startsWith(lastCode))
            break;
        parent = last;
    }
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(t);
    item->setText(0, nodeText.toString());
    item->setData(0, Qt::UserRole, QStringLiteral("k") + code);
}

void Pub::DeleteStart(QWidget* window) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (window)
        window->setEnabled(false);
}

void Pub::DeleteEnded(QWidget* window) {
    if (window)
        window->setEnabled(true);
    QApplication::restoreOverrideCursor();
}

} // namespace tarvo::suite
