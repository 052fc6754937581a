#include "Grid.h"
#include "GridModel.h"
#include "LocateDialog.h"
#include "ModalWatch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tarvo::suite;

namespace {

/// 300 accounts; "alpha" stands in three of them, in three spellings; column 3 is hidden.
void fillGrid(Grid& grid) {
    grid.setCols(4);
    grid.setRows(301);
    for (int c = 1; c < 4; ++c)
        grid.setTextMatrix(0, c, QStringList{"", "编码", "账户名称", "备注"}[c]);
    for (int r = 1; r < 301; ++r) {
        grid.setTextMatrix(r, 0, QString::number(r));
        grid.setTextMatrix(r, 1, QStringLiteral("%1").arg(r, 3, 10, QChar('0')));
        grid.setTextMatrix(r, 2, QStringLiteral("账户%1").arg(r));
        grid.setTextMatrix(r, 3, "alpha");
    }
    grid.setTextMatrix(5, 2, "Alpha");
    grid.setTextMatrix(150, 2, "alpha beta");
    grid.setTextMatrix(290, 2, " ALPHA ");
    grid.setColWidth(3, 0);
    grid.resize(400, 200);
    grid.show();
}

void click(QDialog& d, const char* button) {
    QTest::mouseClick(d.findChild<QPushButton*>(button), Qt::LeftButton);
}

} // namespace

TEST(LocateDialog, FindsTheNextMatchWrappingOnceAndScrollsToIt) {
    Grid grid;
    fillGrid(grid);
    grid.setRow(200);
    grid.setCol(2);
    QStringList columns;
    QString startColumn;
    QList<int> found;
    bool shown = false;
    auto watch = whenModal<QDialog>([&](QDialog& d) {
        auto* column = d.findChild<QComboBox*>("LocateColumn");
        for (int i = 0; i < column->count(); ++i)
            columns << column->itemText(i);
        startColumn = column->currentText();
        QTest::keyClicks(d.findChild<QLineEdit*>("LocateText"), "alpha");
        for (int i = 0; i < 3; ++i) {
            click(d, "FindNext");
            found << grid.Row();
            shown = shown || grid.viewport()->rect().intersects(
                                 grid.visualRect(grid.gridModel()->index(289, 2)));
        }
        QTest::mouseClick(d.findChild<QCheckBox*>("LocateWhole"), Qt::LeftButton);
        for (int i = 0; i < 2; ++i) {
            click(d, "FindNext");
            found << grid.Row();
        }
        click(d, "CloseButton");
    });
    LocateDialog::run(nullptr, &grid);
    EXPECT_EQ(columns, QStringList({"编码", "账户名称"})) << "hidden and untitled columns left out";
    EXPECT_EQ(startColumn, "账户名称");
    EXPECT_EQ(found, QList<int>({290, 5, 150, 290, 5}));
    EXPECT_TRUE(shown) << "row 290 scrolled into view";
}

TEST(LocateDialog, ReportsWhatItCannotFindAndKeepsTheRow) {
    Grid grid;
    fillGrid(grid);
    grid.setRow(42);
    QString message;
    auto watch = whenModal<QDialog>([&](QDialog& d) {
        d.findChild<QLineEdit*>("LocateText")->insert("账户999");
        auto box = whenModal<QMessageBox>([&](QMessageBox& b) {
            message = b.text();
            b.accept();
        });
        click(d, "FindNext");
        click(d, "CloseButton");
    });
    LocateDialog::run(nullptr, &grid);
    EXPECT_EQ(message, "找不到“账户999”。");
    EXPECT_EQ(grid.Row(), 42);
}

TEST(LocateDialog, TakesTypedTextAtOnceAndStandsClearOfTheRowItFinds) {
    Grid grid;
    fillGrid(grid);
    grid.move(100, 100);
    grid.setRow(1);
    grid.setCol(1);
    QString column, typedInto;
    bool covered = true;
    auto watch = whenModal<QDialog>([&](QDialog& d) {
        column = d.findChild<QComboBox*>("LocateColumn")->currentText();
        // Put the dialog over the row it will find, as a window manager may.
        const QRect row = grid.visualRect(grid.gridModel()->index(1, 1));
        d.move(grid.viewport()->mapToGlobal(row.topLeft()) - QPoint(10, 10));
        QTest::keyClicks(QApplication::focusWidget(), "002");
        typedInto = QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const QRect cell = grid.visualRect(grid.gridModel()->index(grid.Row() - 1, 1));
        const QRect found(grid.viewport()->mapToGlobal(cell.topLeft()), cell.size());
        covered = d.frameGeometry().intersects(found);
        click(d, "CloseButton");
    });
    LocateDialog::run(nullptr, &grid);
    EXPECT_EQ(column, "编码") << "the column the user stands on";
    EXPECT_EQ(typedInto, "LocateText");
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_FALSE(covered) << "the found row stays visible";
}
