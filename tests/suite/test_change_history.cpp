#include "ClsCommon.h"
#include "ClsHistory.h"
#include "RunAside.h"
#include "SuiteContext.h"
#include "TempDatabase.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

const QString kBank = QStringLiteral(
    "<AA_Bank><cBankCode>901</cBankCode><cBankName>测试银行</cBankName><bComdFixLen>0</bComdFixLen>"
    "</AA_Bank>");

QString account(const QString& name, const QString& balance, const QString& opened) {
    return QStringLiteral("<Bank><cBCode>H1</cBCode><cBAccount>6222 0001</cBAccount><cAccName>%1"
                          "</cAccName><dOpenAccDate>%3</dOpenAccDate><cCurrencyName>人民币"
                          "</cCurrencyName><bBflag>0</bBflag><cBName>支行</cBName><cBankCode>901"
                          "</cBankCode><fCurBalance>%2</fCurBalance></Bank>")
        .arg(name, balance, opened);
}

/// One history row as the history service gives it: action, field caption, before, after.
using Row = std::tuple<QString, QString, QString, QString>;

struct ChangeHistory : ::testing::Test {
    TempDatabase temp;
    std::shared_ptr<suite::ClsCommon> db = std::make_shared<suite::ClsCommon>();
    ClsCommonPtr common = db;
    suite::ClsHistory service;

    void SetUp() override {
        suite::setCurrentUser(QStringLiteral("demo"));
        db->Init(temp.name());
        ASSERT_TRUE(db->Status());
        QString err;
        ASSERT_TRUE(save(kBank, "aa_bank", false, err)) << err.toStdString();
    }
    bool save(const QString& xml, const QString& archive, bool modify, QString& err) {
        QString x = xml;
        return modify ? db->Modify(x, archive, err) : db->Add(x, archive, err);
    }
    RecordsetPtr history(const QString& archive, const QVariant& key) {
        QString err;
        RecordsetPtr rs = service.History(common, archive, key, err);
        EXPECT_TRUE(rs) << err.toStdString();
        return rs;
    }
    QVector<Row> rows(const QString& archive, const QVariant& key) {
        QVector<Row> out;
        for (RecordsetPtr rs = history(archive, key); rs && !rs->Eof(); rs->MoveNext())
            out.push_back({rs->Value("cAction").toString(), rs->Value("cField").toString(),
                           rs->Value("cOldValue").toString(), rs->Value("cNewValue").toString()});
        return out;
    }
    int count() {
        QString sql = QStringLiteral("select count(*) as n from tarvo_history");
        return db->OpenX(sql)->Value("n").toInt();
    }
};

} // namespace

TEST_F(ChangeHistory, AModifyRecordsOnlyTheFieldsItChangedWithTheirOldAndNewValues) {
    QString err;
    ASSERT_TRUE(save(account("旧名", "1234.5", "2024-03-05"), "bank", false, err))
        << err.toStdString();
    const int afterAdd = count();
    // The same amount and date written another way, and the same name, change nothing.
    ASSERT_TRUE(save(account("旧名", "1,234.50", "2024/3/5"), "bank", true, err));
    EXPECT_EQ(count(), afterAdd);

    ASSERT_TRUE(save(account("新名", "1,234.50", "2024/3/5"), "bank", true, err));
    ASSERT_TRUE(save(account("新名", "99", "2024-03-05"), "bank", true, err));
    const QVector<Row> got = rows("bank", "H1");
    ASSERT_GE(got.size(), 2);
    EXPECT_EQ(got[0], Row("Modify", "当前余额", "1234.5", "99"));
    EXPECT_EQ(got[1], Row("Modify", "账户名称", "旧名", "新名"));
    // The add before them lists what the record was given, flags as ticked or not.
    const QVector<Row> added = got.mid(2);
    EXPECT_TRUE(added.contains(Row("Add", "账户名称", "", "旧名")));
    EXPECT_TRUE(added.contains(Row("Add", "是否暂封", "", "否")));
    for (const Row& r : added)
        EXPECT_EQ(std::get<0>(r), "Add");

    RecordsetPtr rs = history("bank", "H1");
    EXPECT_EQ(rs->Value("cUserId").toString(), "demo");
    EXPECT_EQ(rs->Value("cKeyValue").toString(), "H1");
    const QDateTime when =
        QDateTime::fromString(rs->Value("dWhen").toString(), "yyyy-MM-dd HH:mm:ss");
    ASSERT_TRUE(when.isValid()) << rs->Value("dWhen").toString().toStdString();
    EXPECT_LT(std::abs(when.secsTo(QDateTime::currentDateTime())), 120);
}

TEST_F(ChangeHistory, ADeletedRecordKeepsItsHistoryEndingInTheValuesItHeld) {
    QString err;
    ASSERT_TRUE(save("<AA_Bank><cBankCode>901</cBankCode><cBankName>改名银行</cBankName>"
                     "</AA_Bank>",
                     "aa_bank", true, err));
    QVariant key = QStringLiteral("901");
    ASSERT_TRUE(db->Delete(key, "cBankCode", "aa_bank", err, "admin")) << err.toStdString();

    RecordsetPtr rs = history("aa_bank", "901");
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Value("cAction").toString(), "Delete");
    EXPECT_EQ(rs->Value("cUserId").toString(), "admin");
    const QVector<Row> got = rows("aa_bank", "901");
    EXPECT_TRUE(got.contains(Row("Delete", "银行名称", "改名银行", "")));
    EXPECT_TRUE(got.contains(Row("Delete", "银行编码", "901", "")));
    EXPECT_TRUE(got.contains(Row("Modify", "银行名称", "测试银行", "改名银行")));
    EXPECT_TRUE(got.contains(Row("Add", "银行名称", "", "测试银行")));
    // The add lists what the database filled in as well.
    EXPECT_TRUE(got.contains(Row("Add", "系统预置", "", "否")));
    // Newest first: the delete, then the modify, then the add.
    EXPECT_EQ(std::get<0>(got.last()), "Add");

    // The archive's history holds it too, and another archive's history does not.
    EXPECT_EQ(rows("aa_bank", QVariant()).size(), got.size());
    EXPECT_TRUE(rows("bank", QVariant()).isEmpty());
}

TEST_F(ChangeHistory, RefusedSavesAndDeletesRecordNothing) {
    QString err;
    ASSERT_TRUE(save(account("甲", "1", "2024-03-05"), "bank", false, err));
    const int before = count();
    // Another account with the same number, a modify of a record that is not there, an amount
    // too long, a bank still in use.
    EXPECT_FALSE(save(account("乙", "1", "2024-03-05").replace("H1", "H2"), "bank", false, err));
    EXPECT_FALSE(save(account("乙", "1", "2024-03-05").replace("H1", "H9"), "bank", true, err));
    EXPECT_FALSE(save(account("乙", "12345678901234567890", "2024-03-05"), "bank", true, err));
    QVariant key = QStringLiteral("901");
    EXPECT_FALSE(db->Delete(key, "cBankCode", "aa_bank", err, "demo"));
    EXPECT_EQ(count(), before);
}

TEST_F(ChangeHistory, QuotesMarkupAndChineseComeBackAsTyped) {
    const QString name = QStringLiteral("O'Brien \"银行\" <甲>&乙 ‘丙’ 𠀀");
    QString xml = kBank;
    xml.replace("测试银行", name.toHtmlEscaped()).replace("901", "9'1");
    QString err;
    ASSERT_TRUE(save(xml, "aa_bank", false, err)) << err.toStdString();
    EXPECT_TRUE(rows("aa_bank", "9'1").contains(Row("Add", "银行名称", "", name)));
    EXPECT_TRUE(rows("aa_bank", "9' OR '1'='1").isEmpty());
}

TEST_F(ChangeHistory, CaptionsFollowTheSessionLanguage) {
    suite::setSessionLanguage("en-US");
    const QVector<Row> got = rows("aa_bank", "901");
    suite::setSessionLanguage("zh-CN");
    EXPECT_TRUE(got.contains(Row("Add", "Bank Name", "", "测试银行")));
}

TEST_F(ChangeHistory, WorkRunAsideSavesUnderTheSessionsOperatorAndReadsInItsLanguage) {
    suite::setCurrentUser(QStringLiteral("clerk07"));
    suite::setSessionLanguage("en-US");
    QString err;
    bool saved = false;
    QVector<Row> got;
    runAside([&] {
        saved = save(account("甲", "1", "2024-03-05"), "bank", false, err);
        got = rows("bank", "H1");
    });
    suite::setSessionLanguage("zh-CN");
    suite::setCurrentUser(QStringLiteral("demo"));
    ASSERT_TRUE(saved) << err.toStdString();
    EXPECT_TRUE(got.contains(Row("Add", "Account Name", "", "甲")));
    EXPECT_EQ(history("bank", "H1")->Value("cUserId").toString(), "clerk07");
}

TEST_F(ChangeHistory, AnUnknownArchiveOrNoConnectionIsExplained) {
    QString err;
    EXPECT_FALSE(service.History(common, "nosuch", QVariant(), err));
    EXPECT_FALSE(err.isEmpty());
    ClsCommonPtr unconnected = std::make_shared<suite::ClsCommon>();
    err.clear();
    EXPECT_FALSE(service.History(unconnected, "bank", QVariant(), err));
    EXPECT_FALSE(err.isEmpty());
}

/// The fields of one save share its change's number, counted from one in the order saved, and a
/// later save's number is higher: the history groups and orders changes by them.
TEST_F(ChangeHistory, TheFieldsOfOneSaveShareOneNumberAfterTheChangesBefore) {
    QString err;
    ASSERT_TRUE(save(account("旧名", "1", "2024-03-05"), "bank", false, err)) << err.toStdString();
    ASSERT_TRUE(save(account("新名", "2", "2024-03-06"), "bank", true, err)) << err.toStdString();
    QString sql = QStringLiteral(
        "select count(distinct iChange) as changes, count(*) as n, min(iSeq) as first, max(iSeq) "
        "as last, min(iChange) as number from tarvo_history where cAction = 'Modify'");
    const RecordsetPtr modify = db->OpenX(sql);
    EXPECT_EQ(modify->Value("changes").toInt(), 1);
    EXPECT_EQ(modify->Value("n").toInt(), 3);
    EXPECT_EQ(modify->Value("first").toInt(), 1);
    EXPECT_EQ(modify->Value("last").toInt(), 3);
    sql = QStringLiteral("select count(distinct iChange) as changes, max(iChange) as number from "
                         "tarvo_history where cAction = 'Add' and cArchive = 'bank'");
    const RecordsetPtr add = db->OpenX(sql);
    EXPECT_EQ(add->Value("changes").toInt(), 1);
    EXPECT_LT(add->Value("number").toLongLong(), modify->Value("number").toLongLong());
}
