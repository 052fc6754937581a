// What a connection to a server takes for granted instead of asking again: its settings come
// with the connection, and what the process learnt of a database (its dictionary, its tables'
// columns) serves the next connection to it, but never a database made anew under the same name
// nor a column added since.
#include "AccountDatabase.h"
#include "PostgresBackend.h"
#include "PostgresDatabases.h"
#include "TempDatabase.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace tarvo::suite;

namespace {

QString serverOrSkip() {
    return qEnvironmentVariable("TARVO_TEST_PG");
}

} // namespace

TEST(ServerSessionSetup, DatesAndStringsAreOursWhateverTheDatabaseSetsForItsSessions) {
    TempDatabase temp;
    if (!temp.onServer())
        GTEST_SKIP() << "settings of PostgreSQL sessions";
    {
        PostgresBackend admin(temp.name());
        admin.execScript("ALTER DATABASE " + admin.quotedName(databaseOf(temp.name())) +
                         " SET DateStyle = 'SQL, DMY'");
    }
    auto db = AccountDatabase::open(temp.name());
    EXPECT_EQ(db->sql().query("SHOW DateStyle").rows[0][0].toString(), "ISO, YMD");
    EXPECT_EQ(db->sql().query("SELECT DATE '2026-03-05'::text").rows[0][0].toString(),
              "2026-03-05");
    EXPECT_EQ(db->sql().query("SHOW standard_conforming_strings").rows[0][0].toString(), "on");
}

TEST(ServerSessionSetup, ADatabaseDroppedAndMadeAgainUnderItsNameIsFilledAgain) {
    const QString server = serverOrSkip();
    if (server.isEmpty())
        GTEST_SKIP() << "a database on a server";
    const QString url = withDatabase(
        server, QStringLiteral("tarvo_made_again_%1").arg(QCoreApplication::applicationPid()));
    dropDatabase(url);
    ASSERT_TRUE(createDatabase(url));
    // Twice, so that the process knows it.
    AccountDatabase::open(url, AccountDatabase::Seed::ReferenceOnly);
    AccountDatabase::open(url, AccountDatabase::Seed::ReferenceOnly)
        ->sql()
        .exec("INSERT INTO aa_bank (cBankCode, cBankName) VALUES ('ZZ1', '旧库银行')");
    dropDatabase(url);
    ASSERT_TRUE(createDatabase(url));
    auto db = AccountDatabase::open(url, AccountDatabase::Seed::ReferenceOnly);
    EXPECT_EQ(db->sql().query("SELECT count(*) FROM aa_bank WHERE cBankCode = 'ZZ1'").rows[0][0].toInt(),
              0);
    EXPECT_GT(db->sql().query("SELECT count(*) FROM foreigncurrency").rows[0][0].toInt(), 0);
    EXPECT_NE(db->dictionary().find("bank", "cBAccount"), nullptr);
    db.reset();
    dropDatabase(url);
}

TEST(ServerSessionSetup, AColumnAddedWhileTheProgramRunsIsNamedByItsTable) {
    TempDatabase temp;
    if (!temp.onServer())
        GTEST_SKIP() << "the origin of a server's result columns";
    auto first = AccountDatabase::open(temp.name());
    const QueryResult before = first->sql().query("SELECT cBankCode FROM aa_bank");
    ASSERT_EQ(before.columns.size(), 1);
    EXPECT_EQ(before.columns[0].originTable.toLower(), "aa_bank");
    first->sql().execScript("ALTER TABLE aa_bank ADD COLUMN cLateNote varchar(20)");
    auto second = AccountDatabase::open(temp.name());
    const QueryResult after = second->sql().query("SELECT b.cLateNote AS note FROM aa_bank b");
    ASSERT_EQ(after.columns.size(), 1);
    EXPECT_EQ(after.columns[0].originTable.toLower(), "aa_bank");
    EXPECT_EQ(after.columns[0].originColumn.toLower(), "clatenote");
}

TEST(ServerSessionSetup, TwoDatabasesWhoseTablesShareOidsNameTheirColumnsApart) {
    const QString server = serverOrSkip();
    if (server.isEmpty())
        GTEST_SKIP() << "two databases on one server";
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString firstUrl = withDatabase(server, "tarvo_oids_first_" + pid);
    const QString copyUrl = withDatabase(server, "tarvo_oids_copy_" + pid);
    dropDatabase(copyUrl);
    dropDatabase(firstUrl);
    ASSERT_TRUE(createDatabase(firstUrl));
    {
        PostgresBackend first(firstUrl);
        first.execScript("CREATE TABLE ledger_note (cCode varchar(10), cText varchar(20))");
    }
    {
        // A copy keeps the oids of the tables it copies.
        PostgresBackend admin(server);
        admin.execScript("CREATE DATABASE " + admin.quotedName(databaseOf(copyUrl)) +
                         " TEMPLATE " + admin.quotedName(databaseOf(firstUrl)));
    }
    PostgresBackend copy(copyUrl);
    copy.execScript("ALTER TABLE ledger_note RENAME TO bank_note; "
                    "ALTER TABLE bank_note RENAME COLUMN cText TO cRemark");
    PostgresBackend first(firstUrl);
    const QueryResult inFirst = first.query("SELECT cCode, cText FROM ledger_note");
    const QueryResult inCopy = copy.query("SELECT cCode, cRemark FROM bank_note");
    ASSERT_EQ(inFirst.columns.size(), 2);
    ASSERT_EQ(inCopy.columns.size(), 2);
    EXPECT_EQ(inFirst.columns[1].originTable, "ledger_note");
    EXPECT_EQ(inFirst.columns[1].originColumn, "ctext");
    EXPECT_EQ(inCopy.columns[0].originTable, "bank_note");
    EXPECT_EQ(inCopy.columns[1].originTable, "bank_note");
    EXPECT_EQ(inCopy.columns[1].originColumn, "cremark");
    dropDatabase(copyUrl);
    dropDatabase(firstUrl);
}
