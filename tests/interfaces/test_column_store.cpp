#include "AdoTypes.h"
#include "ColumnStore.h"
#include "Recordset.h"

#include <QDate>
#include <QDateTime>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using namespace tarvo;

namespace {

QByteArray textOfRow(int row) {
    // Lengths that come back round every 97 rows, from empty to past a block's room.
    return QByteArray(row % 97 * 13, char('a' + row % 26)) + "账户";
}

} // namespace

TEST(ColumnStore, CellsOfEveryKindReadBackAcrossManyBlocks) {
    const int rows = 40000;
    const qint64 numbers[] = {
        0, -1, 127, -128, 128, -32769, 70000, qint64(1) << 40, std::numeric_limits<qint64>::min()};
    ColumnStore cells(3);
    const QByteArray huge(200 * 1024, 'z'); // longer than a block: gathered when read
    for (int r = 0; r < rows; ++r) {
        const QByteArray t = r == 777 ? huge : textOfRow(r);
        cells.addText(0, t.constData(), t.size());
        if (r % 5 == 0)
            cells.addNull(1);
        else
            cells.addInteger(1, numbers[r % 9]);
        cells.addReal(2, r + 0.25);
        cells.endRow();
    }
    ASSERT_EQ(cells.rowCount(), rows);
    for (int r = 0; r < rows; ++r) {
        const QByteArray t = r == 777 ? huge : textOfRow(r);
        ASSERT_EQ(cells.kind(r, 0), ColumnStore::Kind::Text);
        ASSERT_EQ(cells.text(r, 0), QString::fromUtf8(t)) << "row " << r;
        if (r % 5 == 0) {
            ASSERT_EQ(cells.kind(r, 1), ColumnStore::Kind::Null);
        } else {
            ASSERT_EQ(cells.kind(r, 1), ColumnStore::Kind::Integer);
            ASSERT_EQ(cells.integer(r, 1), numbers[r % 9]) << "row " << r;
        }
        ASSERT_EQ(cells.real(r, 2), r + 0.25);
    }
    // A store handed on (a refresh swaps its new list in) keeps every cell, its first blocks
    // included; the store it replaces gives its own back.
    ColumnStore older(2);
    older.addText(0, "x", 1);
    older.addInteger(1, 5);
    older.endRow();
    older = std::move(cells);
    const ColumnStore kept(std::move(older));
    ASSERT_EQ(kept.rowCount(), rows);
    for (int r = 0; r < rows; r += r < 200 ? 1 : 997) {
        ASSERT_EQ(kept.text(r, 0), QString::fromUtf8(r == 777 ? huge : textOfRow(r)));
        ASSERT_EQ(kept.real(r, 2), r + 0.25);
    }
}

TEST(ColumnStore, ValuesTakeTheirFieldsTypesWhenRead) {
    ColumnStore cells(6);
    const auto text = [&](int col, const char* s) { cells.addText(col, s, qsizetype(strlen(s))); };
    // As the engines deliver them: bits as integers or "t", dates and amounts as text.
    cells.addInteger(0, 1);
    text(1, "2020-01-05");
    text(2, "2020-01-05 00:00:00");
    text(3, "2020-01-05 08:30:00");
    text(4, "12345678901234.25");
    text(5, "t");
    cells.endRow();
    cells.addInteger(0, 0);
    text(1, "not a date");
    cells.addNull(2);
    cells.addNull(3);
    cells.addInteger(4, 7);
    text(5, "0");
    cells.endRow();
    Recordset rs({{"bFlag", ado::adBoolean, 2},
                  {"dOpen", ado::adDBTimeStamp, 16},
                  {"dMidnight", ado::adDBTimeStamp, 16},
                  {"dWhen", ado::adDBTimeStamp, 16},
                  {"fAmount", ado::adCurrency, 8},
                  {"bText", ado::adBoolean, 2}},
                 std::move(cells));
    rs.MoveFirst();
    EXPECT_EQ(rs.Value("bFlag"), QVariant(true));
    EXPECT_EQ(rs.Value("dOpen"), QVariant(QDate(2020, 1, 5)));
    EXPECT_EQ(rs.Value("dMidnight"), QVariant(QDate(2020, 1, 5)));
    EXPECT_EQ(rs.Value("dWhen").toDateTime(), QDateTime(QDate(2020, 1, 5), QTime(8, 30)));
    EXPECT_DOUBLE_EQ(rs.Value("fAmount").toDouble(), 12345678901234.25);
    EXPECT_EQ(rs.Value("bText"), QVariant(true));
    rs.MoveNext();
    EXPECT_EQ(rs.Value("bFlag"), QVariant(false));
    EXPECT_EQ(rs.Value("dOpen"), QVariant(QString("not a date"))) << "no date: its text";
    EXPECT_TRUE(rs.Value("dMidnight").isNull());
    EXPECT_EQ(rs.Value("fAmount"), QVariant(7.0));
    EXPECT_EQ(rs.Value("bText"), QVariant(false));
    EXPECT_EQ(rs.currentRow(), 1);
    EXPECT_THROW(Recordset({{"a", ado::adVarWChar, 1}}, ColumnStore(2)), RecordsetError);
}

namespace {

/// Every cell of a store as text, kinds told apart.
QStringList cellTexts(const ColumnStore& cells) {
    QStringList out;
    for (int r = 0; r < cells.rowCount(); ++r)
        for (int c = 0; c < cells.columnCount(); ++c)
            switch (cells.kind(r, c)) {
            case ColumnStore::Kind::Null:
                out << "null";
                break;
            case ColumnStore::Kind::Integer:
                out << "i" + QString::number(cells.integer(r, c));
                break;
            case ColumnStore::Kind::Real:
                out << "r" + QString::number(cells.real(r, c), 'g', 17);
                break;
            case ColumnStore::Kind::Text:
                out << "t" + cells.text(r, c);
            }
    return out;
}

ColumnStore filled(int rows) {
    ColumnStore cells(3);
    const QByteArray huge(150 * 1024, 'z');
    for (int r = 0; r < rows; ++r) {
        const QByteArray t = r == 5000 ? huge : textOfRow(r);
        cells.addText(0, t.constData(), t.size());
        if (r % 7 == 0)
            cells.addNull(1);
        else
            cells.addInteger(1, qint64(r) * 100003);
        cells.addReal(2, r / 3.0);
        cells.endRow();
    }
    return cells;
}

} // namespace

TEST(ColumnStore, MovedIntoAFileTheCellsReadAsBeforeAndAFirstRowsCopyStandsAlone) {
    ColumnStore cells = filled(30000);
    const QStringList before = cellTexts(cells);

    ColumnStore first = cells.head(600);
    ASSERT_EQ(first.rowCount(), 600);
    EXPECT_EQ(cellTexts(first), before.mid(0, 600 * 3));

    auto file = std::make_unique<QTemporaryFile>();
    ASSERT_TRUE(file->open());
    ASSERT_TRUE(cells.writeTo(*file));
    EXPECT_GT(file->size(), 30000 * 4) << "the full-size blocks of every column";
    QTemporaryFile* moved = file.get();
    ASSERT_TRUE(cells.readFrom(std::move(file)));
    // Overwriting the memory the blocks had shows whether a cell is still read from there.
    const ColumnStore other = filled(30000);
    EXPECT_EQ(cellTexts(cells), before);
    EXPECT_EQ(cellTexts(first), before.mid(0, 600 * 3)) << "the copy owns its cells";
    EXPECT_TRUE(moved->isOpen());
    EXPECT_EQ(other.rowCount(), 30000);

    // A file another store wrote (of another length) is refused, and the store stays usable.
    ColumnStore shorter = filled(20000);
    auto wrong = std::make_unique<QTemporaryFile>();
    ASSERT_TRUE(wrong->open());
    ASSERT_TRUE(filled(30000).writeTo(*wrong));
    EXPECT_FALSE(shorter.readFrom(std::move(wrong)));
    EXPECT_EQ(cellTexts(shorter).mid(0, 30), cellTexts(filled(20000)).mid(0, 30));
}
