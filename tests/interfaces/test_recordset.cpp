#include "AdoTypes.h"
#include "Recordset.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

RecordsetPtr banks() {
    auto rs = std::make_shared<Recordset>(QVector<FieldInfo>{
        {"cBankCode", ado::adVarWChar, 10},
        {"cBankName", ado::adVarWChar, 60},
        {"bSysData", ado::adBoolean, 2},
        {"iComAccNoLen", ado::adSmallInt, 2},
        {"dCreated", ado::adDBTimeStamp, 16},
    });
    rs->appendRow({"102", "中国工商银行", true, 19, QDate(2020, 1, 5)});
    rs->appendRow({"105", "中国建设银行", true, QVariant(), QDate(2021, 3, 1)});
    rs->appendRow({"9A", "O'Neil Bank", false, 8, QVariant()});
    rs->appendRow({"910", "示例银行", false, 12, QDate(2022, 7, 9)});
    return rs;
}

QStringList codes(Recordset& rs) {
    QStringList out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        out << rs.Value("cbankcode").toString();
    return out;
}

} // namespace

TEST(Recordset, FieldsAreFoundWithoutRegardToCaseAndUnknownOnesRaise) {
    auto rs = banks();
    EXPECT_EQ(rs->Field("CBANKNAME").definedSize, 60);
    EXPECT_EQ(rs->Field("bsysdata").type, ado::adBoolean);
    EXPECT_EQ(rs->fieldIndex("nope"), -1);
    EXPECT_THROW(rs->Field("nope"), RecordsetError);
    EXPECT_THROW(rs->Value("nope"), RecordsetError);
}

TEST(Recordset, CursorWalksRowsAndRefusesToReadPastTheEnd) {
    auto rs = banks();
    EXPECT_EQ(rs->RecordCount(), 4);
    EXPECT_FALSE(rs->Eof());
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    rs->MoveLast();
    EXPECT_EQ(rs->Value(0).toString(), "910");
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->AbsolutePosition(), 0);
    EXPECT_THROW(rs->Value(0), RecordsetError);
    EXPECT_THROW(rs->MoveNext(), RecordsetError);
    rs->MoveFirst();
    rs->MovePrevious();
    EXPECT_TRUE(rs->Bof());
}

TEST(Recordset, NullValuesStayNull) {
    auto rs = banks();
    rs->MoveFirst();
    rs->MoveNext();
    EXPECT_TRUE(rs->Value("iComAccNoLen").isNull());
}

TEST(Recordset, EmptyRecordSetIsAtBothEnds) {
    Recordset rs;
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.Eof());
    EXPECT_TRUE(rs.Bof());
    EXPECT_EQ(rs.FieldCount(), 0);
}

TEST(Recordset, AppendingARowOfTheWrongWidthIsRefused) {
    auto rs = banks();
    EXPECT_THROW(rs->appendRow({"1"}), RecordsetError);
    EXPECT_EQ(rs->RecordCount(), 4);
}

struct FilterCase {
    const char* filter;
    QStringList expected;
    friend void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.filter; }
};

class RecordsetFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(RecordsetFilter, SelectsTheMatchingRows) {
    auto rs = banks();
    rs->setFilter(QString::fromUtf8(GetParam().filter));
    EXPECT_EQ(codes(*rs), GetParam().expected) << GetParam().filter;
    EXPECT_EQ(rs->RecordCount(), GetParam().expected.size());
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, RecordsetFilter,
    ::testing::Values(
        FilterCase{"cBankCode='105'", {"105"}}, FilterCase{"CBANKCODE = '105'", {"105"}},
        FilterCase{"cBankName='o''neil bank'", {"9A"}},
        FilterCase{"cBankCode <> '105'", {"102", "9A", "910"}},
        FilterCase{"cBankCode like '9*'", {"9A", "910"}},
        FilterCase{"cBankName like '%建设%'", {"105"}},
        FilterCase{"bSysData = true", {"102", "105"}}, FilterCase{"bSysData=0", {"9A", "910"}},
        FilterCase{"iComAccNoLen >= 12", {"102", "910"}}, FilterCase{"iComAccNoLen < 9", {"9A"}},
        FilterCase{"iComAccNoLen = null", {"105"}},
        FilterCase{"dCreated > #2020-12-31#", {"105", "910"}},
        FilterCase{"cBankCode='102' or cBankCode='9A' and bSysData=1", {"102"}},
        FilterCase{"(cBankCode='102' or cBankCode='9A') and bSysData=0", {"9A"}},
        FilterCase{"[cBankCode]='910'", {"910"}}, FilterCase{"   ", {"102", "105", "9A", "910"}},
        // Key lists: matched as a set, with the same case and number rules as one by one.
        FilterCase{"cBankCode='9a' or cBankCode='102' or cBankCode='x'", {"102", "9A"}},
        FilterCase{"iComAccNoLen=8 or iComAccNoLen=12.0 or iComAccNoLen=99", {"9A", "910"}},
        FilterCase{"cBankCode='105' or cBankCode=null", {"105"}},
        FilterCase{"(cBankCode='102' or cBankCode='9A') or bSysData=1", {"102", "105", "9A"}},
        FilterCase{"((((cBankCode='910'))))", {"910"}}));

TEST(Recordset, BadFilterRaisesAndKeepsTheOldOne) {
    auto rs = banks();
    rs->setFilter("bSysData=1");
    for (const char* bad : {"cBankCode='105", "cBankCode=", "nope='1'", "(cBankCode='1'",
                            "cBankCode='1' and", "cBankCode ~ '1'", "iComAccNoLen > null"}) {
        EXPECT_THROW(rs->setFilter(QString::fromUtf8(bad)), RecordsetError) << bad;
        EXPECT_EQ(rs->Filter(), "bSysData=1");
        EXPECT_EQ(rs->RecordCount(), 2);
    }
}

/// A pick list with thousands of chosen rows writes one long or chain; hostile text may nest
/// parentheses without end. Neither may exhaust the stack.
TEST(Recordset, LongChainsWorkAndDeepNestingIsRefused) {
    auto rs = banks();
    QStringList keys;
    for (int i = 0; i < 300000; ++i)
        keys << QStringLiteral("cBankCode='k%1'").arg(i);
    keys << "cBankCode='910'";
    rs->setFilter(keys.join(" or "));
    EXPECT_EQ(codes(*rs), QStringList({"910"}));
    rs->setFilter(keys.join(" and "));
    EXPECT_TRUE(codes(*rs).isEmpty());

    const QString deep = QString(200000, u'(') + "cBankCode='910'" + QString(200000, u')');
    try {
        rs->setFilter(deep);
        ADD_FAILURE() << "200,000 parentheses were accepted";
    } catch (const RecordsetError& e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).contains("嵌套")) << e.what();
    }
    EXPECT_EQ(rs->Filter().size(), keys.join(" and ").size()) << "the old filter stays";
    rs->setFilter(QString(100, u'(') + "cBankCode='910'" + QString(100, u')'));
    EXPECT_EQ(codes(*rs), QStringList({"910"}));
}

TEST(Recordset, CloneSharesRowsButKeepsItsOwnFilterAndCursor) {
    auto rs = banks();
    rs->setFilter("bSysData=1");
    auto clone = rs->Clone();
    EXPECT_EQ(clone->RecordCount(), 4);
    EXPECT_TRUE(clone->Filter().isEmpty());
    clone->setFilter(rs->Filter());
    clone->MoveNext();
    EXPECT_EQ(clone->Value(0).toString(), "105");
    EXPECT_EQ(rs->Value(0).toString(), "102");
    clone->setFilter("cBankCode='910'");
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_EQ(clone->RecordCount(), 1);
}

TEST(Recordset, SettingAFilterMovesToTheFirstVisibleRow) {
    auto rs = banks();
    rs->MoveLast();
    rs->setFilter("cBankCode like '1*'");
    EXPECT_EQ(rs->Value(0).toString(), "102");
    rs->setFilter("");
    EXPECT_EQ(rs->RecordCount(), 4);
    EXPECT_EQ(rs->Value(0).toString(), "102");
}
