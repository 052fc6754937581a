// The public-services object's print services over a real grid and a real database.
#include "AccountDatabase.h"
#include "ClsCommon.h"
#include "Grid.h"
#include "IListWindow.h"
#include "PrintControl.h"
#include "PrintData.h"
#include "PrintDataReader.h"
#include "PrintStyle.h"
#include "Pub.h"
#include "SuiteContext.h"
#include "TempDatabase.h"

#include <QFile>
#include <QScopeGuard>
#include <QWidget>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::suite;

namespace {

/// A list window as the print services see it: a grid with a header row, its fields' types.
class ListStub : public QWidget, public IListWindow {
public:
    ListStub() : grid(new Grid(this)) {
        grid->setCols(5);
        const char* heads[] = {"序号", "编码", "银行账号", "当前余额", "开户日期"};
        const int widths[] = {600, 1000, 0, 1500, 1200};
        const int aligns[] = {4, 1, 1, 7, 4};
        for (int c = 0; c < 5; ++c) {
            grid->setTextMatrix(0, c, QString::fromUtf8(heads[c]));
            grid->setColWidth(c, widths[c]);
            grid->setColAlignment(c, aligns[c]);
        }
        grid->setRows(3);
        const char* rows[2][5] = {{"1", "007", "6222021234567890123", "1250000.5", "2024-01-31"},
                                  {"2", "<&>\x01", "0200000000000000011", "-3", ""}};
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 5; ++c)
                grid->setTextMatrix(r + 1, c, QString::fromUtf8(rows[r][c]));
    }
    QVector<ListField> listFields() const override {
        return {{"cBCode", "编码", 202},
                {"cBAccount", "银行账号", 202},
                {"fCurBalance", "当前余额", 6},
                {"dOpenAccDate", "开户日期", 135}};
    }
    QString archiveName() const override { return "bank"; }
    QString currentField() const override { return {}; }
    void showFilter(const QString&) override {}
    Grid* grid;
};

struct PrintServicesTest : ::testing::Test {
    TempDatabase temp;
    ClsCommonPtr db = std::make_shared<ClsCommon>();
    Pub pub;
    ListStub list;
    void SetUp() override {
        db->Init(temp.name());
        ASSERT_TRUE(db->Status());
        setCurrentUser("demo");
    }
    PrintStyle style() {
        QString xml;
        pub.GetPrnStyleFile(true, {}, xml, "Bank", db, list.grid);
        auto parsed = PrintStyle::fromXml(xml);
        EXPECT_TRUE(parsed) << xml.toStdString();
        return parsed.value_or(PrintStyle{});
    }
    void dropStyleTable() {
        AccountDatabase::open(temp.name())->sql().exec("DROP TABLE tarvo_print_style");
    }
};

} // namespace

TEST_F(PrintServicesTest, StyleDataAndTypesDescribeTheShownColumnsInGridOrder) {
    const PrintStyle s = style();
    QStringList captions;
    for (const PrintColumn& c : s.columns)
        captions << c.caption;
    EXPECT_EQ(captions, QStringList({"序号", "编码", "当前余额", "开户日期"}))
        << "the hidden account column is left out";
    EXPECT_EQ(s.columns[2].kind, CellKind::Number);
    EXPECT_EQ(s.columns[2].decimals, 2) << "amounts take the account's decimals";
    EXPECT_EQ(s.columns[2].align, Qt::AlignRight);
    EXPECT_TRUE(s.columns[2].grouped);
    EXPECT_FALSE(s.columns[0].grouped) << "row numbers are counts, printed without separators";
    EXPECT_EQ(s.columns[3].kind, CellKind::Date);
    EXPECT_EQ(s.columns[1].kind, CellKind::Text);
    EXPECT_EQ(s.columns[1].widthTwips, list.grid->ColWidth(1));

    QString data;
    pub.GetPrnDataFile(true, data, {}, {}, "银行账号", "001", "demo", "演示", nullptr, db,
                       list.grid);
    PrintDataReader reader(data);
    PrintDataHeader header;
    ASSERT_TRUE(reader.readHeader(header));
    EXPECT_EQ(header.title, "银行账号");
    EXPECT_EQ(header.userName, "演示");
    QStringList cells;
    ASSERT_TRUE(reader.next(cells));
    EXPECT_EQ(cells, QStringList({"1", "007", "1250000.5", "2024-01-31"}));
    ASSERT_TRUE(reader.next(cells));
    EXPECT_EQ(cells, QStringList({"2", QStringLiteral("<&>\uFFFD"), "-3", ""}))
        << "markup characters survive, a control character XML cannot hold is marked";
    EXPECT_FALSE(reader.next(cells));
    EXPECT_FALSE(reader.hasError());

    // Without printed row numbers the serial column goes from style, data and types alike.
    list.setProperty("tarvo.printRowNumbers", false);
    EXPECT_EQ(style().columns.size(), 3);
    auto rs = std::make_shared<Recordset>();
    QString sql = "select top 0 cBCode, cBAccount, fCurBalance, dOpenAccDate from bank";
    rs = db->OpenX(sql);
    ASSERT_TRUE(rs);
    QString types, sizes;
    pub.GetTypeSize(types, sizes, rs, list.grid);
    EXPECT_EQ(types.split(',').size(), 3);
    EXPECT_EQ(types.split(',')[0].toInt(), rs->FieldAt(0).type);
    EXPECT_EQ(sizes.split(',')[0].toInt(), rs->FieldAt(0).definedSize);
}

TEST_F(PrintServicesTest, AStoredPageSetUpIsPreferredAndColumnsStillFollowTheGrid) {
    PrintStyle mine = style();
    mine.page = QPageLayout(QPageSize(QPageSize::A3), QPageLayout::Portrait,
                            QMarginsF(20, 25, 20, 25), QPageLayout::Millimeter);
    mine.fitWidth = true;
    mine.columns.removeLast();
    pub.SavePrnStyle(db, "bank", mine.toXml());

    list.grid->setColWidth(2, 2200);
    const PrintStyle next = style();
    EXPECT_EQ(next.page.pageSize().id(), QPageSize::A3);
    EXPECT_NEAR(next.page.margins(QPageLayout::Millimeter).top(), 25, 0.01);
    EXPECT_TRUE(next.fitWidth);
    EXPECT_EQ(next.columns.size(), 5) << "the grid's columns, not the stored ones";

    setCurrentUser("admin");
    EXPECT_EQ(style().page.pageSize().id(), QPageSize::A4) << "another user's set-up is theirs";
    EXPECT_FALSE(style().fitWidth);
}

TEST_F(PrintServicesTest, StylesAreStoredInDatabasesThatPredateThemAndBadStylesAreRefused) {
    dropStyleTable();
    EXPECT_EQ(style().page.pageSize().id(), QPageSize::A4);
    PrintStyle mine = style();
    mine.page.setOrientation(QPageLayout::Portrait);
    pub.SavePrnStyle(db, "BANK", mine.toXml());
    EXPECT_EQ(style().page.orientation(), QPageLayout::Portrait);

    EXPECT_THROW(pub.SavePrnStyle(db, "bank", "<PrintStyle"), std::runtime_error);
    EXPECT_EQ(style().page.orientation(), QPageLayout::Portrait) << "the good style stays";
}

TEST_F(PrintServicesTest, AmountsTakeTheAccountsDecimalsWithOrWithoutAStoredStyleOrItsTable) {
    AccountDatabase::open(temp.name())
        ->sql()
        .exec("UPDATE AccInformation SET cValue = '3' WHERE cSysID = 'AA' AND cID = '20' AND "
              "cName = 'iStrsPriDecDgt'");
    EXPECT_EQ(style().columns[2].decimals, 3);
    PrintStyle mine = style();
    mine.title = "月末银行账户";
    pub.SavePrnStyle(db, "bank", mine.toXml());
    const PrintStyle stored = style();
    EXPECT_EQ(stored.title, "月末银行账户");
    EXPECT_EQ(stored.columns[2].decimals, 3) << "a stored style keeps the account's decimals";
    dropStyleTable();
    EXPECT_EQ(style().columns[2].decimals, 3) << "the setting is read without the style table";
}

TEST_F(PrintServicesTest, TheListsOwnDataFileIsTakenAsWrittenAndAnyChangeToItIsCheckedAgain) {
    QString styleXml;
    pub.GetPrnStyleFile(true, {}, styleXml, "Bank", db, list.grid);
    QString file;
    pub.GetPrnDataFile(false, file, {}, {}, "银行账号", "001", "demo", "演示", nullptr, db,
                       list.grid);
    const auto cleanUp = qScopeGuard([&] { QFile::remove(file); });
    PrintControl control;
    EXPECT_EQ(control.SetDataStyleXML(file, false, styleXml, true, "Default"), 0);

    // A style of other columns is refused even for a file written whole.
    PrintStyle narrower = style();
    narrower.columns.removeLast();
    QString narrowerXml = narrower.toXml();
    EXPECT_EQ(control.SetDataStyleXML(file, false, narrowerXml, true, "Default"), 3);

    // The same size, a row's cell closed early: what changed is read through and refused.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    const qsizetype at = bytes.indexOf("</C><C>");
    ASSERT_GE(at, 0);
    bytes.replace(at, 7, "</C></R");
    ASSERT_TRUE(f.seek(0));
    ASSERT_EQ(f.write(bytes), bytes.size());
    f.close();
    EXPECT_EQ(control.SetDataStyleXML(file, false, styleXml, true, "Default"), 3);
}
