#include "AccountDatabase.h"
#include "PostgresDatabases.h"

#include <QCoreApplication>
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

TEST(ServerDatabases, TheUrlDecidesTheEngine) {
    EXPECT_TRUE(isPostgresUrl("postgresql://u@h:5432/db"));
    EXPECT_TRUE(isPostgresUrl("Postgres://h/db"));
    EXPECT_FALSE(isPostgresUrl("postgres.db"));
    EXPECT_FALSE(isPostgresUrl("/home/u/postgresql/account.db"));
    EXPECT_EQ(databaseOf("postgresql://u:pw@h:5432/acc%20one?sslmode=disable"), "acc one");
    EXPECT_EQ(withDatabase("postgresql://u:pw@h:5432/acc?sslmode=disable", "postgres"),
              "postgresql://u:pw@h:5432/postgres?sslmode=disable");
}
