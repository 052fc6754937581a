#include "AccountDatabase.h"
#include "ConnectedDatabase.h"
#include "SaveService.h"

#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>

using namespace tarvo;
using namespace std::chrono_literals;

namespace {

const QString kBank = QStringLiteral(
    "<AA_Bank><cBankCode>901</cBankCode><cBankName>测试银行</cBankName><bComdFixLen>0</bComdFixLen>"
    "</AA_Bank>");

QString account(const QString& code, const QString& number, const QString& extra = {}) {
    return QStringLiteral("<Bank><cBCode>%1</cBCode><cBAccount>%2</cBAccount><cAccName>示例"
                          "</cAccName><cCurrencyName>人民币</cCurrencyName><cBName>支行</cBName>"
                          "<cBankCode>901</cBankCode>%3</Bank>")
        .arg(code, number, extra);
}

/// A clerk whose save stays open: the save runs inside a transaction of the test's own, so that
/// everything it takes on the server stays taken until the test ends that transaction.
struct OpenSave {
    std::shared_ptr<suite::AccountDatabase> db;
    std::optional<suite::Transaction> tx;

    explicit OpenSave(const QString& name) : db(suite::AccountDatabase::open(name)) {
        tx.emplace(db->sql());
    }
    bool add(const QString& xml, QString& reason) {
        return suite::SaveService(*db, QStringLiteral("demo")).add(xml, "bank", reason);
    }
    bool modify(const QString& xml, QString& reason) {
        return suite::SaveService(*db, QStringLiteral("demo")).modify(xml, "bank", reason);
    }
};

struct ConcurrentSaves : ConnectedDatabase {
    void SetUp() override {
        ConnectedDatabase::SetUp();
        QString reason;
        QString bank = kBank;
        ASSERT_TRUE(db.Add(bank, "aa_bank", reason)) << reason.toStdString();
    }
    bool add(const QString& xml, QString& reason) {
        QString x = xml;
        return db.Add(x, "bank", reason);
    }
    /// Saves on a connection of its own, beside the test's thread.
    std::future<std::pair<bool, QString>> saveAside(const QString& xml, bool modify) {
        return std::async(std::launch::async, [name = temp.name(), xml, modify] {
            suite::ClsCommon other;
            other.Init(name);
            QString x = xml, reason;
            const bool stored =
                modify ? other.Modify(x, "bank", reason) : other.Add(x, "bank", reason);
            return std::pair(stored, reason);
        });
    }
    int rows(const QString& where) {
        QString sql = "select count(*) as n from bank where " + where;
        const auto rs = db.OpenX(sql);
        return rs ? rs->Value("n").toInt() : -1;
    }
};

} // namespace

/// Nothing a save takes on the server (its row, its number's lock, the history's numbering, the
/// audit, the commit token) holds up the save of another account, an add or a modify.
TEST_F(ConcurrentSaves, SavesOfOtherAccountsFinishWhileOneStaysOpen) {
    if (!temp.onServer())
        GTEST_SKIP() << "a file has one writer at a time";
    QString reason;
    ASSERT_TRUE(add(account("M1", "6222 0001"), reason)) << reason.toStdString();
    ASSERT_TRUE(add(account("M2", "6222 0002"), reason)) << reason.toStdString();
    OpenSave open(temp.name());
    ASSERT_TRUE(open.add(account("A1", "6222 1001"), reason)) << reason.toStdString();
    ASSERT_TRUE(open.modify(account("M1", "6222 0001").replace("示例", "改一"), reason))
        << reason.toStdString();

    auto added = saveAside(account("A2", "6222 1002"), false);
    ASSERT_EQ(added.wait_for(20s), std::future_status::ready) << "the add waited for the open save";
    const auto [addStored, addReason] = added.get();
    EXPECT_TRUE(addStored) << addReason.toStdString();
    auto modified = saveAside(account("M2", "6222 0002").replace("示例", "改二"), true);
    ASSERT_EQ(modified.wait_for(20s), std::future_status::ready)
        << "the modify waited for the open save";
    const auto [modifyStored, modifyReason] = modified.get();
    EXPECT_TRUE(modifyStored) << modifyReason.toStdString();

    open.tx->commit();
    EXPECT_EQ(rows("cBCode in ('A1', 'A2')"), 2);
    EXPECT_EQ(rows("cAccName in ('改一', '改二')"), 2);
    // Each change has a number of its own in the history, whichever committed first.
    QString sql = "select count(distinct iChange) as n from tarvo_history where cKeyValue in "
                  "('A1', 'A2', 'M1', 'M2')";
    EXPECT_EQ(db.OpenX(sql)->Value("n").toInt(), 6);
}

/// Two clerks giving new accounts one number: the second save waits for the first and is then
/// refused with the reason that names the first account, and the number is stored once.
TEST_F(ConcurrentSaves, OneNumberGivenTwoNewAccountsAtOnceIsStoredOnce) {
    if (!temp.onServer())
        GTEST_SKIP() << "a file has one writer at a time";
    QString reason;
    OpenSave open(temp.name());
    ASSERT_TRUE(open.add(account("A1", "6222 0200 0001"), reason)) << reason.toStdString();
    auto second = saveAside(account("A2", "6222-0200-0001"), false);
    auto watch = suite::AccountDatabase::open(temp.name());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return watch->sql()
                       .query("select count(*) from pg_stat_activity where wait_event_type = "
                              "'Lock' and datname = current_database()")
                       .rows[0][0]
                       .toInt() > 0;
        },
        30000));
    EXPECT_NE(second.wait_for(0s), std::future_status::ready);
    open.tx->commit();
    const auto [stored, why] = second.get();
    EXPECT_FALSE(stored);
    EXPECT_TRUE(why.contains("银行账号“6222-0200-0001”已被编码为“A1”的账户使用"))
        << why.toStdString();
    EXPECT_EQ(rows("replace(replace(cBAccount, ' ', ''), '-', '') = '622202000001'"), 1);
}

/// The record is written in the same round trip as the questions of its checks: a check that
/// refuses after the server took the write leaves nothing of it, and the connection saves on.
TEST_F(ConcurrentSaves, ARefusalAfterTheWriteWentThroughLeavesNothing) {
    QString reason;
    ASSERT_TRUE(add(account("A1", "6222 0001"), reason)) << reason.toStdString();
    ASSERT_TRUE(add(account("A2", "6222 0002"), reason)) << reason.toStdString();
    const struct {
        const char* what;
        QString xml;
        bool modify;
        const char* reasonPart;
    } cases[] = {
        {"a ledger account with sub-accounts", account("A3", "6222 0003", "<cCode>1002</cCode>"),
         false, "不是末级科目"},
        {"another account's number", account("A2", "62220001"), true, "“A1”"},
        {"a number of another account added", account("A4", "6222-0001"), false, "“A1”"},
        {"a record that is not stored", account("A9", "6222 0009"), true, "不存在"},
    };
    for (const auto& c : cases) {
        const QString before = snapshot();
        QString x = c.xml;
        EXPECT_FALSE(c.modify ? db.Modify(x, "bank", reason) : db.Add(x, "bank", reason)) << c.what;
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.reasonPart)))
            << c.what << ": " << reason.toStdString();
        EXPECT_EQ(snapshot(), before) << c.what;
    }
    EXPECT_TRUE(add(account("A3", "6222 0003", "<cCode>100201</cCode>"), reason))
        << reason.toStdString();
}
