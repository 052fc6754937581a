#include "AccountDatabase.h"
#include "PostgresDatabases.h"

#include <QCoreApplication>
#include <QUrl>
#include <gtest/gtest.h>

using namespace tarvo::suite;

TEST(ServerDatabases, ANameWithQuotesAndBlanksIsCreatedOnceAndDropped) {
    const QString server = qEnvironmentVariable("TARVO_TEST_PG");
    if (server.isEmpty())
        GTEST_SKIP() << "a file needs no creating";
    const QString url = withDatabase(
        server, QStringLiteral("tarvo \"odd\"; name %1").arg(QCoreApplication::applicationPid()));
    EXPECT_TRUE(createDatabase(url));
    EXPECT_FALSE(createDatabase(url)) << "it exists now";
    EXPECT_EQ(AccountDatabase::open(url)
                  ->sql()
                  .query("select count(*) from foreigncurrency where cexch_code='CNY'")
                  .rows[0][0]
                  .toInt(),
              1);
    dropDatabase(url);
    EXPECT_THROW(AccountDatabase::open(url), DbError);
}

TEST(ServerDatabases, AUrlOfSeveralHostsCreatesItsDatabaseOnTheOneThatAnswers) {
    const QString server = qEnvironmentVariable("TARVO_TEST_PG");
    if (server.isEmpty())
        GTEST_SKIP() << "a file needs no creating";
    // The first host refuses at once; the client library goes on to the second.
    const QUrl live(server);
    const QString url =
        QStringLiteral("postgresql://%1@127.0.0.1:1,%2:%3/tarvo_multihost_%4"
                       "?target_session_attrs=read-write&connect_timeout=5")
            .arg(live.userName(), live.host())
            .arg(live.port())
            .arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(createDatabase(url));
    EXPECT_EQ(AccountDatabase::open(url, AccountDatabase::Seed::ReferenceOnly)
                  ->sql()
                  .query("select current_database()")
                  .rows[0][0]
                  .toString(),
              databaseOf(url));
    dropDatabase(url);
}

TEST(ServerDatabases, TheUrlDecidesTheEngine) {
    EXPECT_TRUE(isPostgresUrl("postgresql://u@h:5432/db"));
    EXPECT_TRUE(isPostgresUrl("Postgres://h/db"));
    EXPECT_FALSE(isPostgresUrl("postgres.db"));
    EXPECT_FALSE(isPostgresUrl("/home/u/postgresql/account.db"));
    EXPECT_EQ(databaseOf("postgresql://u:pw@h:5432/acc%20one?sslmode=disable"), "acc one");
    EXPECT_EQ(withDatabase("postgresql://u:pw@h:5432/acc?sslmode=disable", "postgres"),
              "postgresql://u:pw@h:5432/postgres?sslmode=disable");
}

TEST(ServerDatabases, EveryUrlTheProgramTakesNamesItsDatabaseAndServersAsWritten) {
    // Several hosts, IPv6 addresses, a dbname parameter: the hosts and options stay as they
    // are when another database of the same servers is named.
    const QString multi = QStringLiteral(
        "postgresql://tarvo@127.0.0.1:54401,127.0.0.1:54403/mhdb?target_session_attrs=read-write");
    EXPECT_EQ(databaseOf(multi), "mhdb");
    EXPECT_EQ(withDatabase(multi, "postgres"),
              "postgresql://tarvo@127.0.0.1:54401,127.0.0.1:54403/postgres"
              "?target_session_attrs=read-write");
    EXPECT_EQ(databaseOf("postgresql://tarvo@[::1]:5432/acc"), "acc");
    EXPECT_EQ(withDatabase("postgresql://tarvo@[::1]:5432/acc", "x y"),
              "postgresql://tarvo@[::1]:5432/x%20y");
    EXPECT_EQ(withDatabase("postgresql://tarvo@h", "postgres"), "postgresql://tarvo@h/postgres");
    EXPECT_EQ(withDatabase("postgresql://h?port=5433", "postgres"),
              "postgresql://h/postgres?port=5433");
    EXPECT_EQ(databaseOf("postgresql://h/acc?dbname=other"), "other");
    EXPECT_EQ(withDatabase("postgresql://h/acc?dbname=other&port=1", "postgres"),
              "postgresql://h/postgres?port=1");
    EXPECT_EQ(withDatabase("postgresql://h/acc?port=1&dbname=other", "postgres"),
              "postgresql://h/postgres?port=1");
    EXPECT_EQ(withDatabase("postgresql://h/acc?dbname=other", "postgres"), "postgresql://h/postgres");
    // A bad port is the server library's to refuse, not a reason to dial somewhere else.
    EXPECT_EQ(withDatabase("postgresql://h:99999/acc", "postgres"), "postgresql://h:99999/postgres");
    EXPECT_EQ(databaseOf("postgresql://h"), "");
}
