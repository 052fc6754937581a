#include "AccountDatabase.h"
#include "TempDatabase.h"

#include <gtest/gtest.h>

using namespace tarvo;
using suite::Statement;

namespace {

struct StatementBatches : ::testing::Test {
    TempDatabase temp;
    std::shared_ptr<suite::AccountDatabase> db;
    void SetUp() override {
        db = suite::AccountDatabase::open(temp.name());
        sql().execScript("CREATE TABLE batch_t (k varchar(10) PRIMARY KEY, n integer NOT NULL)");
    }
    suite::SqlBackend& sql() { return db->sql(); }
    QStringList keys() {
        QStringList out;
        for (const auto& row : sql().query("SELECT k FROM batch_t ORDER BY k").rows)
            out << row[0].toString();
        return out;
    }
};

} // namespace

/// Each statement of a batch answers in its place; the first that fails is named with the
/// engine's reason, none after it runs, and its transaction is undone.
TEST_F(StatementBatches, AnswersComeInOrderAndAFailureStopsTheRest) {
    {
        suite::Transaction tx(sql());
        const auto answers = sql().queryBatch({
            {"INSERT INTO batch_t (k, n) VALUES (?, ?)", {"a", 1}},
            {"SELECT k, n FROM batch_t WHERE k = ?", {"a"}},
            {"SELECT count(*) FROM batch_t", {}},
        });
        ASSERT_TRUE(answers.ok()) << answers.error.toStdString();
        ASSERT_EQ(answers.results.size(), 3);
        ASSERT_EQ(answers.results[1].rows.size(), 1);
        EXPECT_EQ(answers.results[1].rows[0][1].toInt(), 1);
        EXPECT_EQ(answers.results[2].rows[0][0].toInt(), 1);
        tx.commit();
    }
    {
        suite::Transaction tx(sql());
        const auto answers = sql().queryBatch({
            {"INSERT INTO batch_t (k, n) VALUES (?, ?)", {"b", 2}},
            {"SELECT n FROM batch_t WHERE k = ?", {"b"}},
            {"INSERT INTO batch_t (k, n) VALUES (?, ?)", {"a", 3}},
            {"INSERT INTO batch_t (k, n) VALUES (?, ?)", {"c", 4}},
        });
        EXPECT_EQ(answers.failed, 2);
        EXPECT_FALSE(answers.error.isEmpty());
        ASSERT_EQ(answers.results.size(), 2);
        EXPECT_EQ(answers.results[1].rows.value(0).value(0).toInt(), 2);
    }
    EXPECT_EQ(keys(), QStringList{"a"});
    // The connection works on after the undone transaction.
    sql().exec("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"d", 5});
    EXPECT_EQ(keys(), (QStringList{"a", "d"}));
}

/// A statement left for later runs with the commit at the latest; one that fails fails the
/// transaction with its reason, and nothing of the transaction stays.
TEST_F(StatementBatches, AStatementLeftForLaterThatFailsUndoesItsTransaction) {
    sql().exec("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"a", 1});
    {
        suite::Transaction tx(sql());
        sql().execLater("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"b", 2});
        sql().execLater("UPDATE batch_t SET n = n + 1 WHERE k = ?", {"a"});
        tx.commit();
    }
    EXPECT_EQ(sql().query("SELECT n FROM batch_t WHERE k = ?", {"a"}).rows[0][0].toInt(), 2);
    QString reason;
    try {
        suite::Transaction tx(sql());
        sql().exec("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"c", 3});
        sql().execLater("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"a", 4});
        tx.commit();
    } catch (const suite::DbError& e) {
        reason = e.text();
    }
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(keys(), (QStringList{"a", "b"}));
    // A transaction undone before anything reached the server leaves nothing behind either.
    {
        suite::Transaction tx(sql());
        sql().execLater("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"e", 5});
    }
    EXPECT_EQ(keys(), (QStringList{"a", "b"}));
}

/// A statement that comes again is prepared on the way, with its run: what it answers stays
/// right across the first run, the run that prepares it and the runs after, streamed or not,
/// and a statement the server cannot prepare fails each time without harming the connection.
TEST_F(StatementBatches, AStatementPreparedWithItsRunAnswersAsBefore) {
    for (int i = 0; i < 4; ++i)
        sql().exec("INSERT INTO batch_t (k, n) VALUES (?, ?)", {QString::number(i), i * 10});
    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        const auto r = sql().query("SELECT n FROM batch_t WHERE k = ?", {QString::number(run)});
        ASSERT_EQ(r.rows.size(), 1);
        EXPECT_EQ(r.rows[0][0].toInt(), run * 10);
        const auto stored =
            sql().queryStored("SELECT k, n FROM batch_t WHERE n >= ? ORDER BY k", {run * 10});
        EXPECT_EQ(stored.cells.rowCount(), 4 - run);
    }
    for (int run = 0; run < 3; ++run)
        EXPECT_THROW(sql().query("SELECT nope FROM batch_t WHERE k = ?", {"1"}), suite::DbError)
            << run;
    EXPECT_EQ(sql().query("SELECT count(*) FROM batch_t WHERE n > ?", {5}).rows[0][0].toInt(), 3);
}
