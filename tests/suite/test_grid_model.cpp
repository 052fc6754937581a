#include "Grid.h"
#include "GridModel.h"

#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include <numeric>

using namespace tarvo::suite;

namespace {

/// Rows whose cells tell where they came from; counts the cells it was asked for.
class Rows : public GridSource {
public:
    explicit Rows(QStringList names) : m_names(std::move(names)) {}
    int rowCount() const override { return int(m_names.size()); }
    QString text(int row, int col) const override {
        ++asked;
        return col == 1 ? m_names[row] : QStringLiteral("r%1c%2").arg(row).arg(col);
    }
    mutable int asked = 0;

private:
    QStringList m_names;
};

/// Rows that give their bytes apart from their texts, to tell which of the two a grid asked for.
class ByteRows : public Rows {
public:
    using Rows::Rows;
    void appendUtf8(int row, int col, QByteArray& out) const override {
        out += "b:" + text(row, col).toUtf8();
    }
};

QStringList column(const Grid& g, int col) {
    QStringList out;
    for (int r = 1; r < g.Rows(); ++r)
        out << g.TextMatrix(r, col);
    return out;
}

} // namespace

TEST(GridModel, RowsFromASourceSortWithTheirWrittenCellsAndKeepTheirNumbers) {
    Grid g;
    QAbstractItemModelTester tester(g.model());
    g.setCols(3);
    g.setTextMatrix(0, 1, "名称");
    auto rows = std::make_shared<Rows>(QStringList{"丙", "甲", "10", "乙", "9"});
    g.setSource(rows, {4, 3, 2, 1, 0});
    EXPECT_EQ(g.Rows(), 6);
    EXPECT_EQ(column(g, 1), QStringList({"9", "乙", "10", "甲", "丙"}));
    EXPECT_EQ(column(g, 0), QStringList({"1", "2", "3", "4", "5"}));
    EXPECT_EQ(g.TextMatrix(0, 1), "名称") << "the header row stays";

    g.setTextMatrix(2, 2, "改过");
    g.Sort(1, true);
    EXPECT_EQ(column(g, 1), QStringList({"9", "10", "丙", "甲", "乙"}))
        << "numbers as numbers, then texts";
    EXPECT_EQ(column(g, 2), QStringList({"r4c2", "r2c2", "r0c2", "r1c2", "改过"}))
        << "a written cell moves with its row";
    EXPECT_EQ(column(g, 0), QStringList({"1", "2", "3", "4", "5"}));

    g.setRows(3);
    g.setRows(5);
    EXPECT_EQ(column(g, 1), QStringList({"9", "10", "", ""})) << "added rows start empty";

    g.setSource(std::make_shared<Rows>(QStringList{"丁"}), {0});
    EXPECT_EQ(column(g, 1), QStringList({"丁"}));
    EXPECT_EQ(column(g, 2), QStringList({"r0c2"})) << "a fresh source drops written cells";
    g.setSource(nullptr, {});
    EXPECT_EQ(g.Rows(), 1);
}

TEST(GridModel, CellBytesComeFromTheSourceUnlessTheGridHoldsTheCellItself) {
    Grid g;
    g.setCols(3);
    g.setTextMatrix(0, 1, "名称");
    g.setSource(std::make_shared<ByteRows>(QStringList{"甲", "乙"}), {1, 0});
    g.setTextMatrix(2, 2, "改过");
    g.setRows(4);
    const auto bytes = [&](int row, int col) {
        QByteArray out = "x";
        g.appendTextUtf8(row, col, out);
        return out;
    };
    EXPECT_EQ(bytes(1, 1), "xb:乙");
    EXPECT_EQ(bytes(2, 1), "xb:甲");
    EXPECT_EQ(bytes(2, 2), "x改过") << "a written cell wins over its source";
    EXPECT_EQ(bytes(0, 1), "x名称");
    EXPECT_EQ(bytes(2, 0), "x2");
    EXPECT_EQ(bytes(3, 1), "x") << "a row added past the source";
    EXPECT_EQ(bytes(9, 1), "x");
}

TEST(GridModel, OnlyTheCellsAskedForAreWorkedOut) {
    Grid g;
    g.setCols(3);
    QStringList names;
    for (int i = 0; i < 100000; ++i)
        names << QString::number(i);
    auto rows = std::make_shared<Rows>(names);
    QVector<int> order(100000);
    std::iota(order.begin(), order.end(), 0);
    g.setSource(rows, order);
    EXPECT_EQ(rows->asked, 0);
    EXPECT_EQ(g.TextMatrix(100000, 1), "99999");
    EXPECT_EQ(rows->asked, 1);
}

TEST(GridModel, ARowFilterHidesRowsKeepsTheCurrentRecordAndSortsTheHiddenOnesToo) {
    Grid g;
    QAbstractItemModelTester tester(g.model());
    g.setCols(3);
    g.setSource(std::make_shared<Rows>(QStringList{"丙", "甲", "丁", "乙"}), {0, 1, 2, 3});
    g.setTextMatrix(4, 2, "改过");
    g.setRow(3); // 丁
    g.setRowFilter([](int key) { return key != 1; });
    EXPECT_EQ(column(g, 1), QStringList({"丙", "丁", "乙"}));
    EXPECT_EQ(column(g, 0), QStringList({"1", "2", "3"})) << "the rows shown are numbered";
    EXPECT_EQ(column(g, 2), QStringList({"r0c2", "r2c2", "改过"}));
    EXPECT_EQ(g.TextMatrix(g.Row(), 1), "丁") << "the current row stays on its record";

    g.Sort(1, true);
    EXPECT_EQ(column(g, 1), QStringList({"丙", "丁", "乙"}));
    g.setRowFilter([](int key) { return key == 1 || key == 3; });
    EXPECT_EQ(g.Row(), 1) << "its record hidden, the current row is the first";
    g.setRowFilter(nullptr);
    EXPECT_EQ(column(g, 1), QStringList({"丙", "丁", "甲", "乙"}))
        << "a row hidden while sorting comes back in its place";

    g.setRowFilter([](int) { return false; });
    EXPECT_EQ(g.Rows(), 1);
    EXPECT_EQ(g.Row(), 0);
    g.setSource(std::make_shared<Rows>(QStringList{"戊", "己"}), {1, 0});
    EXPECT_EQ(column(g, 1), QStringList({"己", "戊"})) << "a new source shows every row";
}
