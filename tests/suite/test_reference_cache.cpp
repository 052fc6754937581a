#include "AccountDatabase.h"
#include "ClsCommon.h"
#include "ReferenceCache.h"
#include "TempDatabase.h"

#include <QThread>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::suite;

namespace {

/// Passes everything on to a real connection and counts the requests that would each cost a
/// round trip to a server.
class CountingBackend : public SqlBackend {
public:
    explicit CountingBackend(SqlBackend& real) : m_real(real) {}
    int asked = 0;

    QString kind() const override { return m_real.kind(); }
    QueryResult query(const QString& sql, const QVariantList& params) override {
        ++asked;
        return m_real.query(sql, params);
    }
    StoredResult queryStored(const QString& sql, const QVariantList& params,
                             const RowWatch& watch) override {
        ++asked;
        return m_real.queryStored(sql, params, watch);
    }
    std::vector<StoredResult> queryTogether(const QVector<SqlStatement>& statements) override {
        ++asked;
        return m_real.queryTogether(statements);
    }
    QString hearChangesStatement() const override { return m_real.hearChangesStatement(); }
    QStringList announcedChanges() override { return m_real.announcedChanges(); }
    long long exec(const QString& sql, const QVariantList& params) override {
        ++asked;
        return m_real.exec(sql, params);
    }
    void execScript(const QString& sql) override { m_real.execScript(sql); }
    void begin() override { m_real.begin(); }
    void commit() override { m_real.commit(); }
    void rollback() override { m_real.rollback(); }
    bool tableExists(const QString& table) override { return m_real.tableExists(table); }
    void lockSchema() override { m_real.lockSchema(); }
    void lockValue(const QString& kind, const QString& value) override {
        m_real.lockValue(kind, value);
    }
    int connectionGeneration() const override { return m_real.connectionGeneration(); }

private:
    SqlBackend& m_real;
};

/// The name a kept table gives a code, or "(none)" when no row has it.
QString nameIn(const RecordsetPtr& rows, const QString& codeColumn, const QString& code,
               const QString& nameColumn) {
    if (!rows)
        return QStringLiteral("(not kept)");
    for (int row = 0; row < rows->storedRowCount(); ++row)
        if (rows->valueAt(row, rows->fieldIndex(codeColumn)).toString() == code)
            return rows->valueAt(row, rows->fieldIndex(nameColumn)).toString();
    return QStringLiteral("(none)");
}

struct ReferenceCacheTest : ::testing::Test {
    TempDatabase temp;
    AccountDatabasePtr mine = AccountDatabase::open(temp.name());
    CountingBackend counted{mine->sql()};
    ReferenceCache cache{counted, mine->dictionary()};
    /// Another clerk's program on the same database.
    AccountDatabasePtr other = AccountDatabase::open(temp.name());

    QString currencyName(const QString& code) {
        return nameIn(cache.rows("foreigncurrency"), "cexch_code", code, "cexch_name");
    }
    /// Waits for a change that another connection committed to reach this one: a server's
    /// notification travels on its own.
    bool eventually(const std::function<bool()>& cond) {
        for (int i = 0; i < 100; ++i) {
            if (cond())
                return true;
            QThread::msleep(20);
        }
        return false;
    }
};

} // namespace

TEST_F(ReferenceCacheTest, TheTablesAreReadTogetherOnceAndThenAnsweredFromMemory) {
    ASSERT_EQ(currencyName("CNY"), "人民币");
    const int afterFirst = counted.asked;
    EXPECT_EQ(afterFirst, 1) << "every kept table in one request";
    EXPECT_EQ(currencyName("USD"), "美元");
    EXPECT_EQ(nameIn(cache.rows("aa_bank"), "cBankCode", "103", "cBankName"), "中国农业银行");
    EXPECT_NE(nameIn(cache.rows("code"), "cCode", "100201", "ccode_name"), "(none)");
    EXPECT_EQ(counted.asked, afterFirst);
    const auto stored = mine->sql().query("SELECT count(*) FROM hr_ct007").rows[0][0].toInt();
    EXPECT_EQ(cache.rows("hr_ct007")->storedRowCount(), stored);
    EXPECT_EQ(cache.rows("bank"), nullptr) << "an archive of the clerks' own is not kept";
}

TEST_F(ReferenceCacheTest, WantedTablesComeWithTheNextStatementInItsRequest) {
    cache.want();
    ASSERT_TRUE(cache.wanted());
    const StoredResult own =
        cache.queryWithReads("SELECT cBCode FROM bank WHERE cBCode = ?", {"B001"});
    EXPECT_EQ(counted.asked, 1);
    EXPECT_EQ(own.cells.columnCount(), 1);
    EXPECT_FALSE(cache.wanted());
    EXPECT_EQ(currencyName("CNY"), "人民币");
    EXPECT_EQ(counted.asked, 1);
}

TEST_F(ReferenceCacheTest, AnotherConnectionsChangeIsReadAgain) {
    ASSERT_EQ(currencyName("USD"), "美元");
    other->sql().exec(
        "UPDATE foreigncurrency SET cexch_name = '美国美元' WHERE cexch_code = 'USD'");
    EXPECT_TRUE(eventually([&] { return currencyName("USD") == "美国美元"; }))
        << currencyName("USD").toStdString();
}

TEST_F(ReferenceCacheTest, AChangeOnTheSameConnectionOutsideASaveIsReadAgain) {
    // Another object of the session may write on the shared connection without a save: the
    // engine's count of other connections' commits does not move then.
    ASSERT_EQ(currencyName("USD"), "美元");
    mine->sql().exec("UPDATE foreigncurrency SET cexch_name = '美国美元' WHERE cexch_code = 'USD'");
    EXPECT_TRUE(eventually([&] { return currencyName("USD") == "美国美元"; }))
        << currencyName("USD").toStdString();
    mine->sql().exec("DELETE FROM foreigncurrency WHERE cexch_code = 'USD'");
    EXPECT_TRUE(eventually([&] { return currencyName("USD") == "(none)"; }))
        << currencyName("USD").toStdString();
}

TEST_F(ReferenceCacheTest, AChangeOfOneTableLeavesTheOthersKeptOnAServer) {
    if (!temp.onServer())
        GTEST_SKIP() << "a file tells only that something changed";
    ASSERT_EQ(currencyName("USD"), "美元");
    other->sql().exec("UPDATE aa_bank SET cBankName = '农行' WHERE cBankCode = '103'");
    EXPECT_TRUE(eventually(
        [&] { return nameIn(cache.rows("aa_bank"), "cBankCode", "103", "cBankName") == "农行"; }));
    const int asked = counted.asked;
    EXPECT_EQ(currencyName("USD"), "美元");
    EXPECT_EQ(counted.asked, asked);
}

TEST_F(ReferenceCacheTest, AConnectionMadeAnewReadsAgainWhatChangedWhileItWasGone) {
    if (!temp.onServer())
        GTEST_SKIP() << "a file has no connection to lose";
    ASSERT_EQ(currencyName("USD"), "美元");
    const qlonglong pid = mine->sql().query("SELECT pg_backend_pid()").rows[0][0].toLongLong();
    other->sql().query("SELECT pg_terminate_backend(?::int)", {pid});
    // Made while nothing listened on this session's behalf.
    other->sql().exec(
        "UPDATE foreigncurrency SET cexch_name = '美国美元' WHERE cexch_code = 'USD'");
    EXPECT_TRUE(eventually([&] { return currencyName("USD") == "美国美元"; }));
}

TEST_F(ReferenceCacheTest, ATableTooBigToKeepIsLeftToTheDatabase) {
    other->sql().exec(
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO aa_bank (cBankCode, cBankName) SELECT 'X' || i, 'Bank ' || i FROM n")
            .arg(ReferenceCache::kMostRows));
    EXPECT_EQ(cache.rows("aa_bank"), nullptr);
    EXPECT_EQ(currencyName("CNY"), "人民币") << "the small tables are kept all the same";
}

TEST_F(ReferenceCacheTest, AQueryOfAKeptTableIsKeptUnderItsTextAndDroppedWithTheTable) {
    const QString provinces = "SELECT * FROM hr_ct007 WHERE ilevels = 0 ORDER BY ccodeId";
    const RecordsetPtr first = cache.rowsOf("hr_ct007", provinces);
    ASSERT_TRUE(first);
    const int asked = counted.asked;
    EXPECT_EQ(cache.rowsOf("hr_ct007", provinces)->storedRowCount(), first->storedRowCount());
    EXPECT_EQ(counted.asked, asked);
    cache.forget("HR_CT007");
    EXPECT_EQ(cache.rowsOf("hr_ct007", provinces)->storedRowCount(), first->storedRowCount());
    EXPECT_GT(counted.asked, asked);
}

TEST(ReferenceCacheSave, TheSessionsOwnSaveOfAKeptTableIsSeenAtOnce) {
    TempDatabase temp;
    ClsCommon db;
    db.Init(temp.name());
    ASSERT_TRUE(db.Status());
    const RecordsetPtr before = db.ReferenceRows("aa_bank", "cBankCode", "901");
    ASSERT_TRUE(before);
    EXPECT_EQ(before->RecordCount(), 0);
    QString xml = "<AA_Bank><cBankCode>901</cBankCode><cBankName>测试银行</cBankName></AA_Bank>";
    QString error;
    ASSERT_TRUE(db.Add(xml, "aa_bank", error)) << error.toStdString();
    const RecordsetPtr after = db.ReferenceRows("aa_bank", "cBankCode", "901");
    ASSERT_TRUE(after);
    ASSERT_EQ(after->RecordCount(), 1);
    EXPECT_EQ(after->Value("cBankName").toString(), "测试银行");
}
