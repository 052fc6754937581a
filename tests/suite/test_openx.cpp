#include "AdoTypes.h"
#include "ConnectedDatabase.h"

#include <QDate>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

struct OpenX : ConnectedDatabase {
    RecordsetPtr open(const QString& text) {
        QString sql = text;
        return db.OpenX(sql);
    }
};

} // namespace

TEST_F(OpenX, TopZeroGivesTheColumnsWithTheirDictionaryTypesAndSizes) {
    auto rs = open("select top 0 * from aa_bank");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(rs->Field("cBankCode").definedSize, 10);
    EXPECT_EQ(rs->Field("cBankCode").type, ado::adVarWChar);
    EXPECT_EQ(rs->Field("cBankName").definedSize, 60);
    EXPECT_EQ(rs->Field("bSysData").type, ado::adBoolean);
    EXPECT_EQ(rs->Field("iComAccNoLen").type, ado::adSmallInt);
}

TEST_F(OpenX, ACrossJoinOfThreeTablesKeepsEachTablesSizes) {
    auto rs = open("select top 0 * from bank,code,aa_bank");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Field("cBAccount").definedSize, 50);
    EXPECT_EQ(rs->Field("ccode_name").definedSize, 100);
    EXPECT_EQ(rs->Field("cBankName").definedSize, 60);
    EXPECT_EQ(rs->Field("fCurBalance").type, ado::adCurrency);
    EXPECT_EQ(rs->Field("dOpenAccDate").type, ado::adDBTimeStamp);
}

TEST_F(OpenX, TopOneReturnsOneRowWithConvertedValues) {
    auto rs = open("select top 1 * from code where cCode like '1002%' and bEnd=1 order by cCode");
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Value("cCode").toString(), "100201");
    EXPECT_EQ(rs->Value("bEnd").typeId(), QMetaType::Bool);
    EXPECT_TRUE(rs->Value("bEnd").toBool());
}

TEST_F(OpenX, TheListQueryOfTheBankAccountArchiveRunsWithBothJoins) {
    auto rs = open("select cBCode,Bank.cBankCode,AA_Bank.cBankName,Code.ccode_name,dOpenAccDate "
                   "from bank Left Join AA_Bank on Bank.cBankCode=AA_Bank.cBankCode  "
                   "Left Join Code on Bank.cCode=Code.cCode  where (1=1) Order By cBCode asc");
    ASSERT_TRUE(rs);
    ASSERT_GT(rs->RecordCount(), 0);
    EXPECT_EQ(rs->FieldAt(1).name, "cBankCode");
    EXPECT_EQ(rs->FieldAt(2).definedSize, 60);
    EXPECT_FALSE(rs->Value("cBankName").toString().isEmpty());
    EXPECT_EQ(rs->Value("dOpenAccDate").typeId(), QMetaType::QDate);
}

TEST_F(OpenX, AccountSettingsQueryAndFilterFindTheDecimals) {
    auto rs = open("select * from AccInformation where cSysID='AA' or cSysID='ST'");
    ASSERT_TRUE(rs);
    rs->setFilter("cSysID='AA' and cID='20' and cName='iStrsPriDecDgt'");
    ASSERT_EQ(rs->RecordCount(), 1);
    EXPECT_EQ(rs->Value("cValue").toString(), "2");
}

TEST_F(OpenX, ExpressionsAreTypedFromTheirValues) {
    auto rs = open("select count(*) as n, 'x' as t from hr_ct007 where ilevels=0");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Field("n").type, ado::adInteger);
    EXPECT_EQ(rs->Value("n").toInt(), 34);
    EXPECT_EQ(rs->Field("t").type, ado::adVarWChar);
}

TEST_F(OpenX, TheServerDialectMeansTheSameOnEveryEngine) {
    auto lower = open("select * from foreigncurrency where cexch_code like 'cn%'");
    auto upper = open("select * from foreigncurrency where cexch_code like 'CN%'");
    ASSERT_TRUE(lower && upper) << db.lastError().toStdString();
    EXPECT_GE(lower->RecordCount(), 1) << "like ignores case";
    EXPECT_EQ(lower->RecordCount(), upper->RecordCount());

    auto bits = open("select count(*) as nLeaves from code where bEnd='1'");
    ASSERT_TRUE(bits) << db.lastError().toStdString();
    EXPECT_EQ(bits->FieldAt(0).name, "nLeaves") << "an alias keeps its spelling";
    EXPECT_EQ(bits->Value(0).toInt(), open("select count(*) from code where bEnd=1")->Value(0));

    auto numbers = open("select i_id from foreigncurrency where iNumCode like '15%' and "
                        "lower(iNumCode) = '156' and iNumCode not like '9%'");
    ASSERT_TRUE(numbers) << db.lastError().toStdString();
    EXPECT_EQ(numbers->RecordCount(), 1) << "numbers read as text under like and lower()";
    auto dates = open("select cBCode from bank where upper(dOpenAccDate) like '2019-%'");
    ASSERT_TRUE(dates) << db.lastError().toStdString();
    EXPECT_EQ(dates->RecordCount(), 1);

    auto text = open("select cBankName from aa_bank where cBankName <> 'a?b' and cBankCode='102'");
    ASSERT_TRUE(text) << db.lastError().toStdString();
    EXPECT_EQ(text->RecordCount(), 1);
}

TEST_F(OpenX, ParametersKeepTheirTypes) {
    auto& sql = db.database()->sql();
    const auto r = sql.query("select cBCode from bank where dOpenAccDate >= ? and fCurBalance > ? "
                             "and iSignFlag = ? and cCode like ?",
                             {"2019-01-01", 100000.5, 0, "1002%"});
    ASSERT_EQ(r.rows.size(), 1);
    EXPECT_EQ(r.rows[0][0].toString(), "02");
}

TEST_F(OpenX, RecordsReadByKeyOneAfterAnotherEachGetTheirOwnRow) {
    auto& sql = db.database()->sql();
    sql.exec("insert into aa_bank (cBankCode, cBankName) values (?, ?)", {"O'1", "引号银行"});
    for (int round = 0; round < 2; ++round) {
        for (const auto& [code, name] : {std::pair{"102", "中国工商银行"}, {"O''1", "引号银行"}}) {
            SCOPED_TRACE(std::string(code) + ", round " + std::to_string(round));
            auto rs = open(QStringLiteral("select * from aa_bank where cBankCode='%1'").arg(code));
            const bool one = rs && rs->RecordCount() == 1;
            EXPECT_TRUE(one) << db.lastError().toStdString();
            if (!one)
                continue;
            EXPECT_EQ(rs->Value("cBankName").toString(), QString::fromUtf8(name));
            EXPECT_EQ(rs->Field("bSysData").type, ado::adBoolean);
        }
    }
    if (temp.onServer()) {
        // Written as a typed literal, the text cannot become a parameter: it runs as written.
        auto rs = open("select cBCode from bank where dOpenAccDate < current_date + "
                       "interval '1 day' and cBCode='02'");
        ASSERT_TRUE(rs) << db.lastError().toStdString();
        EXPECT_EQ(rs->RecordCount(), 1);
    }
}

/// One statement run again with another key: a column no table stands behind is typed from the
/// values of each result, not from the first result the statement gave.
TEST_F(OpenX, AnExpressionIsTypedAnewForEveryResultOfOneStatement) {
    auto& sql = db.database()->sql();
    sql.exec("insert into aa_bank (cBankCode, cBankName) values ('881', '数字'), ('882', '空')");
    auto read = [&](const QString& key) {
        QString text = "select case when cBankCode = '881' then 7 end as v "
                       "from aa_bank where cBankCode = ?";
        return db.OpenXBound(text, {key});
    };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto empty = read("882");
        EXPECT_TRUE(empty) << db.lastError().toStdString();
        if (empty) {
            EXPECT_TRUE(empty->Value("v").isNull());
        }
        auto number = read("881");
        EXPECT_TRUE(number) << db.lastError().toStdString();
        if (!number)
            continue;
        EXPECT_EQ(number->Field("v").type, ado::adInteger);
        EXPECT_EQ(number->Value("v").toInt(), 7);
    }
}

TEST_F(OpenX, MoreStatementsThanTheConnectionKeepsPreparedAllRunAgain) {
    auto& sql = db.database()->sql();
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 230; ++i) {
            const auto r = sql.query(
                QStringLiteral("select count(*) + %1 from aa_bank where cBankCode = ?").arg(i),
                {"102"});
            EXPECT_EQ(r.rows.value(0).value(0).toInt(), i + 1)
                << "statement " << i << ", round " << round;
        }
    }
}

TEST_F(OpenX, AStatementKeptPreparedSeesTheColumnsOfAChangedTable) {
    auto& sql = db.database()->sql();
    sql.execScript("CREATE TABLE tarvo_probe (cKey varchar(10))");
    sql.exec("insert into tarvo_probe (cKey) values (?)", {"a"});
    for (int round = 0; round < 2; ++round) {
        auto rs = open("select * from tarvo_probe where cKey='a'");
        EXPECT_TRUE(rs) << "round " << round << ": " << db.lastError().toStdString();
        if (rs) {
            EXPECT_EQ(rs->FieldCount(), 1) << "round " << round;
        }
    }
    sql.execScript("ALTER TABLE tarvo_probe ADD COLUMN cNote varchar(20)");
    sql.exec("update tarvo_probe set cNote = ? where cKey = ?", {"新列", "a"});
    auto rs = open("select * from tarvo_probe where cKey='a'");
    ASSERT_TRUE(rs) << db.lastError().toStdString();
    ASSERT_EQ(rs->FieldCount(), 2);
    EXPECT_EQ(rs->Value("cNote").toString(), "新列");
}

TEST_F(OpenX, ALongResultComesWholeInItsColumnsTypes) {
    auto& sql = db.database()->sql();
    {
        suite::Transaction tx(sql);
        for (int i = 0; i < 3000; ++i)
            sql.exec("insert into aa_bank (cBankCode, cBankName, iComAccNoLen) values (?, ?, ?)",
                     {QStringLiteral("L%1").arg(i, 5, 10, QLatin1Char('0')),
                      QStringLiteral("长列表银行%1").arg(i), i % 30});
        tx.commit();
    }
    auto rs = open("select cBankCode, cBankName, iComAccNoLen, bSysData, 12.50 as fExact "
                   "from aa_bank where cBankCode like 'L%' order by cBankCode");
    ASSERT_TRUE(rs) << db.lastError().toStdString();
    ASSERT_EQ(rs->RecordCount(), 3000);
    rs->MoveLast();
    EXPECT_EQ(rs->Value("cBankCode").toString(), "L02999");
    EXPECT_EQ(rs->Value("cBankName").toString(), "长列表银行2999");
    EXPECT_EQ(rs->Value("iComAccNoLen"), QVariant(2999 % 30));
    EXPECT_EQ(rs->Value("bSysData"), QVariant(false));
    EXPECT_EQ(rs->Field("fExact").type, ado::adDouble);
    EXPECT_DOUBLE_EQ(rs->Value("fExact").toDouble(), 12.5);
}

TEST_F(OpenX, BadSqlGivesNullAndTheConnectionStaysUsable) {
    EXPECT_EQ(open("select * from no_such_table"), nullptr);
    EXPECT_EQ(open("select cBankCode from aa_bank where (cBankCode='1'"), nullptr);
    EXPECT_FALSE(db.lastError().isEmpty());
    EXPECT_NE(open("select top 1 * from aa_bank"), nullptr);
}

TEST(ClsCommonInit, AnUnusableDatabaseNameLeavesStatusFalse) {
    suite::ClsCommon db;
    db.Init("");
    EXPECT_FALSE(db.Status());
    db.Init("/proc/no/such/dir/account.db");
    EXPECT_FALSE(db.Status());
    QString sql = "select 1";
    EXPECT_EQ(db.OpenX(sql), nullptr);
    QString xml = "<AA_Bank><cBankCode>1</cBankCode></AA_Bank>", err;
    EXPECT_FALSE(db.Add(xml, "aa_bank", err));
    EXPECT_FALSE(err.isEmpty());
}

TEST_F(OpenX, AQueryInChunksHandsOnEveryRowInOrderAndItsReaderMayStopOrFail) {
    const QString all = "select cCode from code order by cCode";
    const RecordsetPtr whole = open(all);
    ASSERT_TRUE(whole);
    ASSERT_GT(whole->RecordCount(), 7);
    QStringList expected;
    for (int r = 0; r < whole->storedRowCount(); ++r)
        expected << whole->valueAt(r, 0).toString();
    const QVector<FieldInfo> fields{open("select top 0 cCode from code")->FieldAt(0)};
    QStringList codes;
    QVector<int> sizes;
    const auto take = [&](const RecordsetPtr& chunk) {
        sizes << chunk->storedRowCount();
        for (int r = 0; r < chunk->storedRowCount(); ++r)
            codes << chunk->valueAt(r, 0).toString();
        return true;
    };
    QString sql = all;
    QString error;
    EXPECT_TRUE(db.OpenXInChunks(sql, fields, 3, take, error)) << error.toStdString();
    EXPECT_EQ(codes, expected);
    ASSERT_FALSE(sizes.isEmpty());
    EXPECT_EQ(sizes.mid(0, sizes.size() - 1).count(3), sizes.size() - 1)
        << "every chunk but the last is whole";
    EXPECT_TRUE(sizes.last() >= 1 && sizes.last() <= 3) << sizes.last();

    sizes.clear();
    EXPECT_TRUE(db.OpenXInChunks(
        sql, fields, 3,
        [&](const RecordsetPtr& chunk) {
            sizes << chunk->storedRowCount();
            return false;
        },
        error));
    EXPECT_EQ(sizes, QVector<int>{3}) << "a reader that stops gets no more";

    // A reader that fails (a full disk) is heard once the statement has ended: the connection
    // answers the next query.
    EXPECT_THROW(
        db.OpenXInChunks(
            sql, fields, 3,
            [](const RecordsetPtr&) -> bool { throw std::runtime_error("the disk is full"); },
            error),
        std::runtime_error);
    const RecordsetPtr again = open(all);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->RecordCount(), whole->RecordCount());

    QString wrong = "select cNothing from code";
    EXPECT_FALSE(db.OpenXInChunks(wrong, fields, 3, take, error));
    EXPECT_FALSE(error.isEmpty());
}
