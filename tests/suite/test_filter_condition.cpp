#include "AccountDatabase.h"
#include "ClsCommon.h"
#include "FilterCondition.h"
#include "PostgresBackend.h"
#include "PostgresDatabases.h"
#include "TempDatabase.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace tarvo::suite;
using enum FilterOp;

namespace {

const FilterField kName{"cAccName", "账户名称", 202};
const FilterField kBankName{"AA_Bank.cBankName", "所属银行", 202};
const FilterField kBankCode{"Bank.cBankCode", "所属银行编码", 202};
const FilterField kBalance{"fCurBalance", "余额", 6};
const FilterField kSign{"iSignFlag", "签约标志", 3};
const FilterField kOpened{"dOpenAccDate", "开户日期", 135};
const FilterField kSuspended{"bBflag", "是否暂封", 11};

QString built(const QVector<FilterRow>& rows) {
    const auto r = FilterCondition::build(rows);
    EXPECT_TRUE(r.ok()) << r.error.toStdString();
    return r.condition;
}

QString one(const FilterField& f, FilterOp op, const QString& value = {}) {
    return built({{f, op, value}});
}

} // namespace

TEST(FilterCondition, TypedTextCannotLeaveItsLiteral) {
    EXPECT_EQ(one(kName, Equal, "O'Brien"), "(cAccName = 'O''Brien')");
    EXPECT_EQ(one(kName, Equal, "x' OR '1'='1"), "(cAccName = 'x'' OR ''1''=''1')");
    EXPECT_EQ(one(kName, NotEqual, "张三"), "(cAccName IS NULL OR cAccName <> '张三')");
    EXPECT_EQ(one(kName, Contains, "50%_a\\b'"),
              "(lower(cAccName) LIKE lower('%50\\%\\_a\\\\b''%') ESCAPE '\\')");
    EXPECT_EQ(one(kName, StartsWith, "%1"), "(lower(cAccName) LIKE lower('\\%1%') ESCAPE '\\')");
    EXPECT_EQ(one(kName, NotContains, "户"),
              "(cAccName IS NULL OR lower(cAccName) NOT LIKE lower('%户%') ESCAPE '\\')");
    EXPECT_EQ(one(kName, IsEmpty), "(cAccName IS NULL OR cAccName = '')");
    EXPECT_EQ(one(kName, IsNotEmpty), "(cAccName IS NOT NULL AND cAccName <> '')");
    EXPECT_EQ(one(kBalance, IsEmpty), "(fCurBalance IS NULL)");
    EXPECT_EQ(one(kSuspended, Equal, "1"), "(bBflag = 1)");
    EXPECT_EQ(one(kOpened, LessOrEqual, "2020-01-06"), "(dOpenAccDate <= '2020-01-06')");
}

TEST(FilterCondition, NumbersDatesAndBitsAreCheckedBeforeTheyAreWritten) {
    const QList<std::pair<QString, QString>> integers{
        {"12", "12"}, {" +7 ", "7"}, {"-3", "-3"}, {"１２", "12"}};
    for (const auto& [typed, written] : integers)
        EXPECT_EQ(one(kSign, Greater, typed), "(iSignFlag > " + written + ")")
            << typed.toStdString();
    const QList<std::pair<QString, QString>> decimals{
        {"12.50", "12.50"}, {".5", "0.5"}, {"-.5", "-0.5"}, {"5.", "5"}, {"－3", "-3"}};
    for (const auto& [typed, written] : decimals)
        EXPECT_EQ(one(kBalance, Less, typed), "(fCurBalance < " + written + ")")
            << typed.toStdString();

    const QList<std::pair<FilterField, QString>> refused{{kSign, "12abc"},
                                                         {kSign, "1.5"},
                                                         {kSign, "1e3"},
                                                         {kSign, "0x10"},
                                                         {kSign, "99999999999999999999"},
                                                         {kSign, "1; delete from bank"},
                                                         {kSign, "--1"},
                                                         {kBalance, "1,000"},
                                                         {kBalance, "1.2.3"},
                                                         {kBalance, "NaN"},
                                                         {kBalance, "inf"},
                                                         {kOpened, "2020-13-01"},
                                                         {kOpened, "06/01/2020"},
                                                         {kOpened, "2020-01-06' OR '1'='1"},
                                                         {kSuspended, "2"},
                                                         {kSuspended, "yes"},
                                                         {kName, QString::fromUtf8("a\0b", 3)},
                                                         {kName, "x\ty"}};
    for (const auto& [field, typed] : refused) {
        const auto r = FilterCondition::build({{kName, Equal, "a"}, {field, Equal, typed}});
        EXPECT_EQ(r.badRow, 1) << typed.toStdString();
        EXPECT_TRUE(r.condition.isEmpty()) << typed.toStdString();
        EXPECT_TRUE(r.error.startsWith("第2行") && r.error.contains(field.caption))
            << r.error.toStdString();
    }
}

TEST(FilterCondition, BlankLinesAreLeftOutAndOrGroupsTheWhole) {
    EXPECT_EQ(built({{kName, Equal, ""}, {kSign, Greater, "  "}, {kOpened, Equal, ""}}), "");
    EXPECT_EQ(built({{kName, Equal, "a", true}, {kSign, Equal, "1"}}),
              "((cAccName = 'a') OR (iSignFlag = 1))");
    EXPECT_EQ(built({{kName, Equal, "a"}, {kSign, Equal, "1", true}, {kName, IsEmpty, ""}}),
              "((cAccName = 'a') AND (iSignFlag = 1) OR (cAccName IS NULL OR cAccName = ''))");
    // The join of a blank line and of the last line join nothing.
    EXPECT_EQ(built({{kName, Equal, "a"}, {kSign, Equal, "", true}, {kSign, Equal, "2", true}}),
              "(cAccName = 'a') AND (iSignFlag = 2)");
}

TEST(FilterCondition, TheDescriptionNamesTheLinesThatCountInWords) {
    EXPECT_EQ(FilterCondition::describe({{kName, Contains, "工行"},
                                         {kBalance, Greater, "  ", true},
                                         {kSuspended, Equal, "1", true},
                                         {kOpened, IsEmpty, ""}}),
              "账户名称 包含 “工行” 并且 是否暂封 等于 “是” 或者 开户日期 为空");
    EXPECT_EQ(FilterCondition::describe({{kName, Contains, ""}}), "");
}

TEST(FilterCondition, EachKindOffersOnlyTheOperatorsThatFitIt) {
    EXPECT_EQ(FilterCondition::operatorsFor(FilterKind::Text).size(), 11);
    EXPECT_EQ(FilterCondition::operatorsFor(FilterKind::Bit), (QVector<FilterOp>{Equal, NotEqual}));
    const auto refused = FilterCondition::build({{kName, Equal, "a"}, {kSuspended, Greater, "1"}});
    EXPECT_EQ(refused.badRow, 1);
    EXPECT_TRUE(refused.condition.isEmpty()) << "no half of a refused filter is handed on";
    for (const FilterField& f : {kSign, kBalance, kOpened}) {
        const auto ops = FilterCondition::operatorsFor(filterKind(f.adoType));
        EXPECT_TRUE(ops.contains(IsEmpty) && ops.contains(GreaterOrEqual));
        for (auto like : {Contains, NotContains, StartsWith}) {
            EXPECT_FALSE(ops.contains(like));
            EXPECT_FALSE(FilterCondition::build({{f, like, "2020-01-06"}}).ok());
        }
    }
}

/// The built conditions run on the engine under the list's own join and pick the right rows.
TEST(FilterCondition, ConditionsRunAndCountTheRightRows) {
    TempDatabase temp;
    auto db = AccountDatabase::open(temp.name());
    SqlBackend& sql = db->sql();
    sql.exec("DELETE FROM bank");
    sql.exec("INSERT INTO aa_bank (cBankCode, cBankName) VALUES ('T01', 'O''Neil Bank')");
    const QList<QVariantList> rows{{"A1", "张三's 账户", "T01", "2020-01-06", 100.50, 0, 1},
                                   {"A2", "利率50%专户", "102", "2021-05-01", 2000, 1, 0},
                                   {"A3", "普通_户", "102", QVariant(), QVariant(), 0, 0},
                                   {"A4", "Back\\slash", "105", "2022-03-15", 0, 0, 0},
                                   {"A5", QVariant(), "104", "2019-12-31", -20, 1, 0},
                                   {"A6", "", "104", "2021-01-01", 150, 0, 0},
                                   {"A7", "5000专户", "105", "2020-06-30", 5000, 0, 0}};
    for (const auto& r : rows)
        sql.exec("INSERT INTO bank (cBCode, cBAccount, cCurrencyName, cBName, cAccName, "
                 "cBankCode, dOpenAccDate, fCurBalance, bBflag, iSignFlag) "
                 "VALUES (?, ?, '人民币', '测试', ?, ?, ?, ?, ?, ?)",
                 QVariantList{r[0], r[0]} + r.mid(1));

    const auto count = [&](const QString& condition) {
        return sql
            .query("select count(*) from bank Left Join AA_Bank on "
                   "Bank.cBankCode=AA_Bank.cBankCode where " +
                   condition)
            .rows[0][0]
            .toInt();
    };
    const QList<std::pair<QVector<FilterRow>, int>> cases{
        {{{kBankName, Equal, "O'Neil Bank"}}, 1},
        {{{kName, Contains, "'s"}}, 1},
        {{{kName, Contains, "50%"}}, 1},
        {{{kName, Contains, "_"}}, 1},
        {{{kName, Contains, "\\"}}, 1},
        {{{kName, Contains, "back"}}, 1},
        {{{kName, StartsWith, "利率"}}, 1},
        {{{kName, NotContains, "专户"}}, 5},
        {{{kName, NotEqual, "普通_户"}}, 6},
        {{{kName, IsEmpty, ""}}, 2},
        {{{kName, IsNotEmpty, ""}}, 5},
        {{{kName, Equal, "x' OR '1'='1"}}, 0},
        {{{kName, Contains, "%' OR 1=1 --"}}, 0},
        {{{kBalance, Greater, "150"}}, 2},
        {{{kBalance, GreaterOrEqual, "150"}}, 3},
        {{{kBalance, Equal, "100.50"}}, 1},
        {{{kBalance, Less, "0"}}, 1},
        {{{kBalance, NotEqual, "0"}}, 6},
        {{{kBalance, IsEmpty, ""}}, 1},
        {{{kOpened, GreaterOrEqual, "2021-01-01"}}, 3},
        {{{kOpened, Equal, "2020-01-06"}}, 1},
        {{{kOpened, IsEmpty, ""}}, 1},
        {{{kSuspended, Equal, "1"}}, 2},
        {{{kSuspended, NotEqual, "1"}}, 5},
        {{{kSign, Equal, "1"}}, 1},
        {{{kBankCode, Equal, "102", true}, {kName, Contains, "back"}}, 3}};
    for (const auto& [filter, expected] : cases) {
        const QString condition = built(filter);
        EXPECT_EQ(count(condition), expected) << condition.toStdString();
    }
    // The caller appends to an OR condition; the parentheses keep the OR inside.
    EXPECT_EQ(count(built({{kBankCode, Equal, "102", true}, {kName, Contains, "back"}}) +
                    " and bBflag = 0"),
              2);
}

/// No value or message ever hands QString::arg more values than its text has places for.
TEST(FilterCondition, MessagesAndFormsFormatWithoutWarnings) {
    static QStringList warnings;
    warnings.clear();
    const auto previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg)
                warnings << text;
        });
    built({{kName, IsEmpty, ""}, {kBalance, IsNotEmpty, ""}, {kName, IsNotEmpty, ""}});
    built({{kOpened, IsEmpty, ""}});
    const auto bit = FilterCondition::build({{kSuspended, Equal, "2"}});
    const auto op = FilterCondition::build({{kSuspended, Greater, "1"}});
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join("\n").toStdString();
    EXPECT_EQ(bit.error, "第1行：“是否暂封”只能选择“是”或“否”。");
    EXPECT_TRUE(op.error.startsWith("第1行：“是否暂封”不能使用")) << op.error.toStdString();
}

/// A server, database or role may turn backslash escapes on; a typed backslash must stay text
/// all the same, in the filter's literals and in the values bound to a query.
TEST(FilterCondition, BackslashesStayTextOnALenientServer) {
    TempDatabase temp;
    if (!temp.onServer())
        GTEST_SKIP() << "a setting of PostgreSQL servers";
    {
        PostgresBackend admin(temp.name());
        admin.execScript("ALTER DATABASE " + admin.quotedName(databaseOf(temp.name())) +
                         " SET standard_conforming_strings = off");
    }
    const QString hostile = "\\' or 1=1) --";
    const QString separator = temp.name().contains(u'?') ? "&" : "?";
    for (const QString& url : {temp.name(), temp.name() + separator +
                                                "options=-c%20standard_conforming_strings%3Doff"}) {
        SCOPED_TRACE(url.toStdString());
        ClsCommon db;
        db.Init(url);
        EXPECT_TRUE(db.Status()) << db.lastError().toStdString();
        if (!db.Status())
            continue;
        SqlBackend& sql = db.database()->sql();
        EXPECT_EQ(sql.query("SHOW standard_conforming_strings").rows[0][0].toString(), "on");
        const int total = sql.query("select count(*) from bank").rows[0][0].toInt();
        for (FilterOp op : {Equal, Contains, NotEqual}) {
            const QString condition = built({{kName, op, hostile}});
            const auto r = sql.query("select count(*) from bank where " + condition);
            EXPECT_EQ(r.rows[0][0].toInt(), op == NotEqual ? total : 0) << condition.toStdString();
        }
        QString lookup = "select top 1 * from aa_bank where (cBankCode=? or cBankName=?) and (1=1)";
        const auto rs = db.OpenXBound(lookup, {hostile, hostile});
        EXPECT_NE(rs, nullptr) << db.lastError().toStdString();
        if (rs) {
            EXPECT_EQ(rs->RecordCount(), 0);
        }
    }
}
