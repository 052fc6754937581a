#include "AccountDatabase.h"
#include "ConnectedDatabase.h"
#include "DecimalText.h"
#include "SuiteContext.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTest>
#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <thread>

using namespace tarvo;

namespace {

const QString kBank = QStringLiteral(
    "<AA_Bank><cBankCode>901</cBankCode><cBankName>测试银行</cBankName><bIndFixLen>1</bIndFixLen>"
    "<iIndAccNoLen>19</iIndAccNoLen><iIndAutoInputLen>6</iIndAutoInputLen>"
    "<cIndUnitcode>123</cIndUnitcode><bComdFixLen>0</bComdFixLen><iComAccNoLen></iComAccNoLen>"
    "</AA_Bank>");

QString account(const QString& code, const QString& bankCode, const QString& extra = {}) {
    return QStringLiteral("<Bank><cBCode>%1</cBCode><cBAccount>6222%1</cBAccount><cAccName>示例"
                          "</cAccName><dOpenAccDate>2024-03-05</dOpenAccDate><cCurrencyName>人民币"
                          "</cCurrencyName><bBflag>0</bBflag><bPwdMng>1</bPwdMng><cBName>支行"
                          "</cBName><cBankCode>%2</cBankCode>%3<fCurBalance>1,234.50</fCurBalance>"
                          "<iAccProperty>2</iAccProperty><iSignFlag>0</iSignFlag></Bank>")
        .arg(code, bankCode, extra);
}

struct SaveService : ConnectedDatabase {
    QVariant value(const QString& text, const QString& field) {
        QString sql = text;
        auto rs = db.OpenX(sql);
        return rs && !rs->Eof() ? rs->Value(field) : QVariant(QStringLiteral("<no row>"));
    }
    bool add(const QString& xml, const QString& archive, QString& err) {
        QString x = xml;
        return db.Add(x, archive, err);
    }
    bool modify(const QString& xml, const QString& archive, QString& err) {
        QString x = xml;
        return db.Modify(x, archive, err);
    }
    bool remove(const QString& key, const QString& field, const QString& archive, QString& err) {
        QVariant k = key;
        return db.Delete(k, field, archive, err, QStringLiteral("demo"));
    }
};

} // namespace

TEST_F(SaveService, AddStoresEveryColumnWithItsType) {
    QString err;
    ASSERT_TRUE(add(kBank, "aa_bank", err)) << err.toStdString();
    const QString row = "select * from aa_bank where cBankCode='901'";
    EXPECT_EQ(value(row, "cBankName").toString(), "测试银行");
    EXPECT_EQ(value(row, "bIndFixLen").toBool(), true);
    EXPECT_EQ(value(row, "iIndAccNoLen").toInt(), 19);
    EXPECT_TRUE(value(row, "iComAccNoLen").isNull());
    EXPECT_EQ(value(row, "bSysData").toBool(), false);
    EXPECT_EQ(value("select cAction, cUserId from tarvo_audit where cKeyValue='901'", "cAction")
                  .toString(),
              "Add");

    ASSERT_TRUE(add(account("B1", "901"), "bank", err)) << err.toStdString();
    EXPECT_DOUBLE_EQ(
        value("select fCurBalance from bank where cBCode='B1'", "fCurBalance").toDouble(), 1234.5);
    EXPECT_EQ(value("select dOpenAccDate from bank where cBCode='B1'", "dOpenAccDate").toDate(),
              QDate(2024, 3, 5));
}

TEST_F(SaveService, EscapedEntitiesAreStoredAsTheirCharacters) {
    QString err;
    ASSERT_TRUE(add(QStringLiteral("<AA_Bank><cBankCode>A&amp;B</cBankCode><cBankName>&lt;甲&gt; "
                                   "&quot;乙&quot; &apos;丙&apos; &#x4E01;</cBankName></AA_Bank>"),
                    "aa_bank", err))
        << err.toStdString();
    EXPECT_EQ(value("select cBankName from aa_bank where cBankCode='A&B'", "cBankName").toString(),
              "<甲> \"乙\" '丙' 丁");
}

TEST_F(SaveService, ModifyChangesOnlyTheGivenColumns) {
    QString err;
    ASSERT_TRUE(add(kBank, "aa_bank", err));
    ASSERT_TRUE(modify("<AA_Bank><cBankCode>901</cBankCode><cBankName>改名银行</cBankName>"
                       "</AA_Bank>",
                       "aa_bank", err))
        << err.toStdString();
    EXPECT_EQ(value("select * from aa_bank where cBankCode='901'", "cBankName").toString(),
              "改名银行");
    EXPECT_EQ(value("select * from aa_bank where cBankCode='901'", "iIndAccNoLen").toInt(), 19);
}

struct Refusal {
    const char* what;
    const char* archive;
    QString xml;
    bool modify;
    const char* reasonPart;
};

TEST_F(SaveService, RefusalsExplainAndChangeNothing) {
    QString err;
    ASSERT_TRUE(add(kBank, "aa_bank", err));
    const QString longName(61, QChar(u'银'));
    const Refusal cases[] = {
        {"duplicate key", "aa_bank", kBank, false, "已存在"},
        {"modify missing", "aa_bank",
         "<AA_Bank><cBankCode>999</cBankCode><cBankName>x</cBankName></AA_Bank>", true, "不存在"},
        {"unknown archive", "person_x", "<person_x><a>1</a></person_x>", false, "没有提供"},
        {"root of another archive", "aa_bank", account("B9", "901"), false, "不是档案"},
        {"unknown column", "aa_bank",
         "<AA_Bank><cBankCode>902</cBankCode><cBankName>x</cBankName><cNope>1</cNope></AA_Bank>",
         false, "没有字段"},
        {"too long", "aa_bank",
         "<AA_Bank><cBankCode>902</cBankCode><cBankName>" + longName + "</cBankName></AA_Bank>",
         false, "最多 60"},
        {"not a number", "aa_bank",
         "<AA_Bank><cBankCode>902</cBankCode><cBankName>x</cBankName><iIndAccNoLen>1a"
         "</iIndAccNoLen></AA_Bank>",
         false, "整数"},
        {"out of range", "aa_bank",
         "<AA_Bank><cBankCode>902</cBankCode><cBankName>x</cBankName><iIndAccNoLen>99999"
         "</iIndAccNoLen></AA_Bank>",
         false, "整数"},
        {"bad bit", "aa_bank",
         "<AA_Bank><cBankCode>902</cBankCode><cBankName>x</cBankName><bIndFixLen>2</bIndFixLen>"
         "</AA_Bank>",
         false, "0 或 1"},
        {"bad amount", "bank", account("B2", "901").replace("1,234.50", "12,34"), false, "数字"},
        {"amount beyond 15 integer digits", "bank",
         account("B2", "901").replace("1,234.50", "1,000,000,000,000,000"), false, "超出范围"},
        {"amount with a fifth decimal", "bank", account("B2", "901").replace("1,234.50", "1.23451"),
         false, "超出范围"},
        {"amount in exponent form", "bank", account("B2", "901").replace("1,234.50", "1e5"), false,
         "数字"},
        {"bad date", "bank", account("B2", "901").replace("2024-03-05", "2024-02-30"), false,
         "日期"},
        {"required empty", "aa_bank",
         "<AA_Bank><cBankCode>902</cBankCode><cBankName>  </cBankName></AA_Bank>", false,
         "不能为空"},
        {"required missing", "aa_bank", "<AA_Bank><cBankCode>902</cBankCode></AA_Bank>", false,
         "不能为空"},
        {"key missing", "aa_bank", "<AA_Bank><cBankName>x</cBankName></AA_Bank>", true, "缺少"},
        {"unknown bank", "bank", account("B3", "NOPE"), false, "银行档案中没有编码为“NOPE”的银行"},
        {"malformed", "aa_bank", "<AA_Bank><cBankCode>902</cBankCode>", false, "格式不正确"},
        {"fixed length without length", "aa_bank",
         "<AA_Bank><cBankCode>902</cBankCode><cBankName>x</cBankName><bComdFixLen>1</bComdFixLen>"
         "<iComAccNoLen></iComAccNoLen></AA_Bank>",
         false, "1 到 40"},
        {"fixed length of 41", "aa_bank",
         "<AA_Bank><cBankCode>902</cBankCode><cBankName>x</cBankName><bComdFixLen>1</bComdFixLen>"
         "<iComAccNoLen>41</iComAccNoLen></AA_Bank>",
         false, "1 到 40"},
        {"fixed length ticked on a bank without length", "aa_bank",
         "<AA_Bank><cBankCode>901</cBankCode><bComdFixLen>1</bComdFixLen></AA_Bank>", true,
         "1 到 40"},
    };
    for (const Refusal& c : cases) {
        const QString before = snapshot();
        QString reason;
        const bool ok = c.modify ? modify(c.xml, QString::fromLatin1(c.archive), reason)
                                 : add(c.xml, QString::fromLatin1(c.archive), reason);
        EXPECT_FALSE(ok) << c.what;
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.reasonPart)))
            << c.what << ": " << reason.toStdString();
        EXPECT_EQ(snapshot(), before) << c.what;
    }
}

/// numeric(19,4) holds 19 digits, a double 15 to 17: amounts travel as decimal text, and an
/// engine that cannot keep every digit refuses rather than rounds.
TEST_F(SaveService, AmountsComeBackDigitForDigitOrAreRefused) {
    QString err;
    ASSERT_TRUE(add(kBank, "aa_bank", err));
    const auto shown = [&](const QString& code) {
        const QVariant v =
            value("select fCurBalance from bank where cBCode='" + code + "'", "fCurBalance");
        return suite::DecimalText::fromVariant(v)->formatted(4);
    };
    const QList<std::pair<QString, QString>> everywhere{
        {"1,234.50", "1,234.5000"},
        {"-0.0001", "-0.0001"},
        {"99,999,999,999.9999", "99,999,999,999.9999"},
        {"-123456789012345", "-123,456,789,012,345.0000"}};
    int n = 0;
    for (const auto& [typed, expected] : everywhere) {
        const QString code = QStringLiteral("E%1").arg(++n);
        const bool stored = add(account(code, "901").replace("1,234.50", typed), "bank", err);
        EXPECT_TRUE(stored) << typed.toStdString() << ": " << err.toStdString();
        if (stored) {
            EXPECT_EQ(shown(code), expected) << typed.toStdString();
        }
    }

    const QStringList long_{"12,345,678,901,234.5678", "123,456,789,012,345.6789",
                            "-999,999,999,999,999.9999"};
    for (const QString& typed : long_) {
        const QString code = QStringLiteral("L%1").arg(++n);
        const QString before = snapshot();
        const bool stored = add(account(code, "901").replace("1,234.50", typed), "bank", err);
        if (!temp.onServer()) {
            EXPECT_FALSE(stored) << typed.toStdString();
            EXPECT_TRUE(err.contains("有效数字超过 15 位")) << err.toStdString();
            EXPECT_EQ(snapshot(), before);
            continue;
        }
        EXPECT_TRUE(stored) << typed.toStdString() << ": " << err.toStdString();
        if (stored) {
            EXPECT_EQ(shown(code), typed);
        }
        // Saved back as shown, it stays what it was.
        ASSERT_TRUE(modify(account(code, "901").replace("1,234.50", shown(code)), "bank", err));
        EXPECT_EQ(shown(code), typed);
    }
}

TEST_F(SaveService, DeleteRemovesTheRecordAndRecordsWhoDidIt) {
    QString err;
    ASSERT_TRUE(add(kBank, "aa_bank", err));
    ASSERT_TRUE(remove("901", "cbankcode", "AA_Bank", err)) << err.toStdString();
    EXPECT_EQ(value("select * from aa_bank where cBankCode='901'", "cBankCode").toString(),
              "<no row>");
    EXPECT_EQ(value("select * from tarvo_audit where cAction='Delete'", "cUserId").toString(),
              "demo");
}

TEST_F(SaveService, DeleteRefusalsChangeNothing) {
    QString err;
    ASSERT_TRUE(add(kBank, "aa_bank", err));
    ASSERT_TRUE(add(account("B1", "901"), "bank", err)) << err.toStdString();
    struct {
        const char* key;
        const char* field;
        const char* archive;
        const char* reasonPart;
    } cases[] = {
        {"901", "cBankCode", "aa_bank", "已被 1 个本单位开户银行使用"},
        {"105", "cBankCode", "aa_bank", "系统预置"},
        {"nope", "cBankCode", "aa_bank", "不存在"},
        {"901", "cBankName", "aa_bank", "关键字段"},
        {"1", "x", "nosuch", "没有提供"},
    };
    for (const auto& c : cases) {
        const QString before = snapshot();
        QString reason;
        EXPECT_FALSE(remove(QString::fromUtf8(c.key), QString::fromLatin1(c.field),
                            QString::fromLatin1(c.archive), reason))
            << c.key;
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.reasonPart)))
            << c.key << ": " << reason.toStdString();
        EXPECT_EQ(snapshot(), before) << c.key;
    }
    ASSERT_TRUE(remove("B1", "cBCode", "bank", err));
    EXPECT_TRUE(remove("901", "cBankCode", "aa_bank", err)) << "no longer used";
}

TEST_F(SaveService, KeysWithQuotesAreStoredAndFoundSafely) {
    QString err;
    ASSERT_TRUE(add("<AA_Bank><cBankCode>1' OR ''='</cBankCode><cBankName>n</cBankName>"
                    "</AA_Bank>",
                    "aa_bank", err))
        << err.toStdString();
    EXPECT_FALSE(remove("x", "cBankCode", "aa_bank", err));
    EXPECT_TRUE(remove("1' OR ''='", "cBankCode", "aa_bank", err)) << err.toStdString();
    EXPECT_EQ(value("select count(*) as n from aa_bank where bSysData=1", "n").toInt(), 25);
}

/// The same number typed once with blanks, once with hyphens, is one account entered twice.
TEST_F(SaveService, AnAccountNumberAlreadyUsedIsRefusedNamingItsAccount) {
    QString err;
    ASSERT_TRUE(add(kBank, "aa_bank", err));
    const auto withNumber = [](const QString& code, const QString& number) {
        return account(code, "901").replace("6222" + code, number);
    };
    ASSERT_TRUE(add(withNumber("A1", "6222 0200 1234-5678"), "bank", err)) << err.toStdString();
    for (const char* typed : {"6222020012345678", "6222-0200-1234-5678", " 6222 0200 12345678 ",
                              "6-2-2-2-0-2-0-0-1-2-3-4-5-6-7-8"}) {
        const QString before = snapshot();
        EXPECT_FALSE(add(withNumber("A2", QString::fromUtf8(typed)), "bank", err)) << typed;
        EXPECT_TRUE(err.contains("“A1”")) << err.toStdString();
        EXPECT_EQ(snapshot(), before);
    }
    ASSERT_TRUE(add(withNumber("A2", "6222020012345679"), "bank", err)) << err.toStdString();
    EXPECT_FALSE(modify(withNumber("A2", "6222 0200 1234 5678"), "bank", err));
    EXPECT_TRUE(err.contains("“A1”")) << err.toStdString();

    // An account keeps its own number however it is spaced, and may change it to a free one.
    EXPECT_TRUE(modify(withNumber("A1", "6222-0200-1234-5678"), "bank", err)) << err.toStdString();
    EXPECT_TRUE(modify(withNumber("A1", "6222020099999999"), "bank", err)) << err.toStdString();
    EXPECT_TRUE(modify(withNumber("A2", "6222 0200 1234 5678"), "bank", err)) << err.toStdString();
    // A digit more or less is another number.
    EXPECT_TRUE(add(withNumber("A3", "62220200123456780"), "bank", err)) << err.toStdString();
}

/// Two clerks saving one number at the same moment: the second save waits for the first and
/// is refused, on a server as on a file.
TEST_F(SaveService, OneNumberSavedFromTwoConnectionsAtOnceIsStoredOnce) {
    QString err;
    ASSERT_TRUE(add(kBank, "aa_bank", err)) << err.toStdString();
    auto first = suite::AccountDatabase::open(temp.name());
    suite::SqlBackend& sql = first->sql();
    std::optional<suite::Transaction> tx(std::in_place, sql);
    sql.lockValue("bank.cBAccount", "62220001");
    sql.exec("insert into bank (cBCode, cBAccount, cAccName, cCurrencyName, cBName, cBankCode) "
             "values ('A1', '6222 0001', '先到', '人民币', '支行', '901')");
    bool stored = true;
    QString reason;
    std::promise<void> connected;
    std::thread second([&] {
        suite::ClsCommon other;
        other.Init(temp.name());
        connected.set_value();
        QString xml = account("A2", "901").replace("6222A2", "6222-0001");
        stored = other.Add(xml, "bank", reason);
    });
    connected.get_future().wait();
    // A server says when the second save waits for the first; a file's lock cannot be watched
    // from outside, and a second save that comes after the commit must be refused all the same.
    if (temp.onServer()) {
        auto watch = suite::AccountDatabase::open(temp.name());
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return watch->sql()
                       .query("select count(*) from pg_stat_activity where wait_event_type = "
                              "'Lock' and datname = current_database()")
                       .rows[0][0]
                       .toInt() > 0;
        }, 30000));
    }
    tx->commit();
    tx.reset();
    second.join();
    EXPECT_FALSE(stored);
    EXPECT_TRUE(reason.contains("“A1”")) << reason.toStdString();
    EXPECT_EQ(value("select count(*) as n from bank where cBAccount like '6222%0001'", "n").toInt(),
              1);
}

/// A clerk working in English reads why a save was refused in English, captions included.
TEST_F(SaveService, ReasonsFollowTheSessionLanguage) {
    // Translations are installed into the application, as in every host.
    int argc = 1;
    char name[] = "test_suite_srvtrans";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QString err;
    ASSERT_TRUE(add(kBank, "aa_bank", err)) << err.toStdString();
    ASSERT_TRUE(add(account("E1", "901"), "bank", err)) << err.toStdString();
    ASSERT_TRUE(suite::setSessionLanguage("en-US"));
    const auto restore = qScopeGuard([] { suite::setSessionLanguage("zh-CN"); });
    EXPECT_FALSE(add("<AA_Bank><cBankCode>902</cBankCode></AA_Bank>", "aa_bank", err));
    EXPECT_EQ(err, "\"Bank Name\" cannot be empty");
    EXPECT_FALSE(add(account("E2", "901").replace("6222E2", "6222 E1"), "bank", err));
    EXPECT_EQ(err, "The bank account number \"6222 E1\" is already used by the account with code "
                   "\"E1\"; the same number cannot be entered twice");
    EXPECT_FALSE(add("<AA_Bank><cBankCode>903</cBankCode><x/></AA_Bank>", "aa_bank", err));
    EXPECT_TRUE(err.startsWith("The archive \"aa_bank\" has no field") ||
                err.startsWith("The data to save is malformed"))
        << err.toStdString();
    EXPECT_FALSE(add(account("E3", "999"), "bank", err));
    EXPECT_EQ(err, "The bank archive has no bank with the code \"999\"");
    EXPECT_FALSE(remove("901", "cBankCode", "aa_bank", err));
    EXPECT_EQ(err, "\"901\" is used by 1 company bank accounts and cannot be deleted");
    try {
        suite::AccountDatabase::open("host=db.example dbname=books");
        ADD_FAILURE() << "a connection string was taken for a database file";
    } catch (const suite::DbError& e) {
        EXPECT_TRUE(e.text().endsWith("is not a database file; write a database on a server as "
                                      "postgresql://user@host:port/database"))
            << e.text().toStdString();
    }
    suite::setSessionLanguage("zh-CN");
    EXPECT_FALSE(add("<AA_Bank><cBankCode>902</cBankCode></AA_Bank>", "aa_bank", err));
    EXPECT_EQ(err, "“银行名称”不能为空");
}

TEST_F(SaveService, TheDuplicateCheckUsesItsIndex) {
    auto account = suite::AccountDatabase::open(temp.name());
    suite::SqlBackend& sql = account->sql();
    const QString lookup =
        "SELECT cBCode FROM bank WHERE replace(replace(cBAccount, ' ', ''), '-', '') = '1'";
    QString plan;
    if (temp.onServer()) {
        // A seeded handful of rows makes a sequential scan cheaper; the planner must still be
        // able to use the index.
        sql.execScript("SET enable_seqscan = off");
        for (const auto& row : sql.query("EXPLAIN " + lookup).rows)
            plan += row.value(0).toString();
    } else {
        for (const auto& row : sql.query("EXPLAIN QUERY PLAN " + lookup).rows)
            plan += row.value(row.size() - 1).toString();
    }
    EXPECT_TRUE(plan.contains("ix_bank_accno")) << plan.toStdString();
}
