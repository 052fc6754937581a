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

/// Statements sent together each run as if alone: one that fails leaves the others to run and
/// is reported once all have; outside a transaction a batch sent as one unit keeps nothing when
/// one of them fails. Both answer in order and alike when prepared on their second run.
TEST_F(StatementBatches, TogetherEachStandsAloneAndABatchAsOne) {
    sql().exec("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"a", 1});
    QString reason;
    try {
        sql().queryTogether({{"INSERT INTO batch_t (k, n) VALUES (?, ?)", {"b", 2}},
                             {"INSERT INTO batch_t (k, n) VALUES (?, ?)", {"a", 3}},
                             {"INSERT INTO batch_t (k, n) VALUES (?, ?)", {"c", 4}}});
    } catch (const suite::DbError& e) {
        reason = e.text();
    }
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(keys(), (QStringList{"a", "b", "c"}));

    const auto answers = sql().queryBatch({{"INSERT INTO batch_t (k, n) VALUES (?, ?)", {"d", 5}},
                                           {"INSERT INTO batch_t (k, n) VALUES (?, ?)", {"a", 6}}});
    EXPECT_EQ(answers.failed, 1);
    EXPECT_EQ(keys(), (QStringList{"a", "b", "c"}));

    for (int run = 0; run < 3; ++run) {
        SCOPED_TRACE(run);
        const auto results =
            sql().queryTogether({{"SELECT n FROM batch_t WHERE k = ?", {"c"}},
                                 {"SELECT k FROM batch_t WHERE n < ? ORDER BY k", {3}}});
        ASSERT_EQ(results.size(), 2u);
        ASSERT_EQ(results[0].cells.rowCount(), 1);
        EXPECT_EQ(results[0].cells.integer(0, 0), 4);
        ASSERT_EQ(results[1].cells.rowCount(), 2);
        EXPECT_EQ(results[1].cells.text(1, 0), "b");
    }
}

/// A question asked ahead goes to a server with the next statement; its answer serves the first
/// asker only, and the question asked again (or after the connection wrote) reaches the server.
/// A file asks when asked.
TEST_F(StatementBatches, AnAnswerAskedAheadServesOneAskerBeforeAnyWrite) {
    const auto other = suite::AccountDatabase::open(temp.name());
    sql().exec("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"a", 1});
    const QString ask = "SELECT n FROM batch_t WHERE k = ?";
    const auto n = [&] { return sql().query(ask, {"a"}).rows.value(0).value(0).toInt(); };

    sql().askAhead({{ask, {"a"}}});
    sql().query("SELECT count(*) FROM batch_t");
    other->sql().exec("UPDATE batch_t SET n = 2 WHERE k = ?", {"a"});
    EXPECT_EQ(n(), temp.onServer() ? 1 : 2);
    EXPECT_EQ(n(), 2);

    sql().askAhead({{ask, {"a"}}});
    sql().query("SELECT count(*) FROM batch_t");
    other->sql().exec("UPDATE batch_t SET n = 3 WHERE k = ?", {"a"});
    sql().exec("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"b", 1});
    EXPECT_EQ(n(), 3);
}

/// A question asked ahead that fails harms neither the statement it went with nor the
/// connection; its asker hears the same failure as when asking the server itself.
TEST_F(StatementBatches, AFailedQuestionAskedAheadFailsItsAskerAsAsking) {
    const QString bad = "SELECT nope FROM batch_t WHERE k = ?";
    QString direct, ahead;
    try {
        sql().query(bad, {"a"});
    } catch (const suite::DbError& e) {
        direct = e.text();
    }
    sql().askAhead({{bad, {"a"}}});
    EXPECT_EQ(sql().query("SELECT count(*) FROM batch_t").rows[0][0].toInt(), 0);
    try {
        sql().query(bad, {"a"});
    } catch (const suite::DbError& e) {
        ahead = e.text();
    }
    EXPECT_FALSE(direct.isEmpty());
    EXPECT_EQ(ahead, direct);
}

/// A statement nobody waits for has run before the next one, and its failure is let go.
TEST_F(StatementBatches, AStatementLeftUnansweredRunsBeforeTheNext) {
    sql().exec("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"a", 1});
    sql().execUnanswered("UPDATE batch_t SET n = ? WHERE k = ?", {9, "a"});
    sql().execUnanswered("INSERT INTO batch_t (k, n) VALUES (?, ?)", {"a", 2});
    EXPECT_EQ(sql().query("SELECT n FROM batch_t WHERE k = ?", {"a"}).rows[0][0].toInt(), 9);
    // The connection goes on as before: statements sent together, a transaction.
    sql().execUnanswered("UPDATE batch_t SET n = n + 1 WHERE k = ?", {"a"});
    const auto together = sql().queryTogether({{"SELECT n FROM batch_t WHERE k = ?", {"a"}}});
    EXPECT_EQ(together[0].cells.integer(0, 0), 10);
    {
        suite::Transaction tx(sql());
        sql().exec("UPDATE batch_t SET n = n - 1 WHERE k = ?", {"a"});
        tx.commit();
    }
    // Another connection sees it once the answer has been read.
    const auto other = suite::AccountDatabase::open(temp.name());
    EXPECT_EQ(other->sql().query("SELECT n FROM batch_t WHERE k = ?", {"a"}).rows[0][0].toInt(),
              9);
}
