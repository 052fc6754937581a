#include "BackgroundRead.h"
#include "ConnectedDatabase.h"
#include "SessionContext.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <future>

using namespace tarvo;

namespace {

struct BackgroundRead : ConnectedDatabase {
    std::atomic<int> ended{0};

    /// n accounts more, their codes T00001 … in order.
    void addAccounts(int n) {
        db.database()->sql().exec(
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO bank (cBCode, cBAccount, cAccName, cCurrencyName, cBName, cBankCode) "
                "SELECT 'T' || substr(CAST(100000 + i AS varchar(10)), 2), "
                "'6222' || CAST(i AS varchar(10)), '测试账户' || CAST(i AS varchar(10)), "
                "'人民币', '测试支行', '102' FROM n")
                .arg(n));
    }
    RowLoadPtr start(const QString& text) {
        QString sql = text;
        return db.OpenXInBackground(sql, [this] { ++ended; });
    }
    /// Waits for the load to end; false when it does not within the time.
    static bool waitForEnd(const RowLoad& load, int ms = 20000) {
        QElapsedTimer t;
        t.start();
        while (load.state() == RowLoad::State::Reading && t.elapsed() < ms)
            QThread::msleep(5);
        return load.state() != RowLoad::State::Reading;
    }
    static bool waitForRows(const RowLoad& load, int rows) {
        QElapsedTimer t;
        t.start();
        while (load.rowsRead() < rows && load.state() == RowLoad::State::Reading &&
               t.elapsed() < 20000)
            QThread::msleep(1);
        return load.rowsRead() >= rows;
    }
    QStringList codes(const RecordsetPtr& rs) {
        QStringList out;
        for (int row = 0; row < rs->storedRowCount(); ++row)
            out << rs->valueAt(row, 0).toString();
        return out;
    }
};

} // namespace

TEST_F(BackgroundRead, EveryRowComesInOrderWithTheFirstOnesSetAsideEarly) {
    addAccounts(3000);
    for (const char* text : {"select cBCode, cAccName from bank where (1=1) order by cBCode",
                             // Literals become parameters on the way: the same rows come.
                             "select cBCode, cAccName from bank where cBankCode='102' and "
                             "cBName='测试支行' order by cBCode"}) {
        QString sql = text;
        const RecordsetPtr expected = db.OpenX(sql);
        ASSERT_TRUE(expected);
        const int before = ended;
        const RowLoadPtr load = start(text);
        ASSERT_TRUE(waitForEnd(*load));
        ASSERT_EQ(load->state(), RowLoad::State::Done) << load->error().toStdString();
        const RecordsetPtr rs = load->rows();
        ASSERT_TRUE(rs);
        EXPECT_EQ(rs->RecordCount(), expected->RecordCount());
        EXPECT_EQ(load->rowsRead(), expected->RecordCount());
        EXPECT_EQ(codes(rs), codes(expected));
        EXPECT_EQ(codes(rs).last(), "T03000");
        EXPECT_EQ(rs->Field("cAccName").definedSize, 60) << "typed from the dictionary";
        const RecordsetPtr first = load->firstRows();
        ASSERT_TRUE(first);
        EXPECT_EQ(codes(first), codes(expected).mid(0, first->storedRowCount()));
        EXPECT_LT(first->storedRowCount(), 1000);
        EXPECT_EQ(ended, before + 1) << "told once of the end";
    }
}

TEST_F(BackgroundRead, ACancelAmidTheRowsKeepsThoseReadAndTheConnectionServesTheNextRead) {
    addAccounts(3000);
    // Nine million rows: far more than are read before the cancel.
    const RowLoadPtr load = start("select a.cBCode, b.cBCode from bank a, bank b");
    ASSERT_TRUE(waitForRows(*load, 2000));
    load->cancel();
    ASSERT_TRUE(waitForEnd(*load));
    EXPECT_EQ(load->state(), RowLoad::State::Cancelled);
    const RecordsetPtr kept = load->rows();
    ASSERT_TRUE(kept);
    EXPECT_GE(kept->RecordCount(), 2000);
    EXPECT_LT(kept->RecordCount(), 3004 * 3004);

    const RowLoadPtr next = start("select cBCode from bank order by cBCode");
    ASSERT_TRUE(waitForEnd(*next));
    ASSERT_EQ(next->state(), RowLoad::State::Done) << next->error().toStdString();
    EXPECT_EQ(next->rows()->RecordCount(), 3004);
}

TEST_F(BackgroundRead, ACancelStopsAStatementStillWorkingTowardsItsFirstRow) {
    addAccounts(3000);
    // Some 27 billion combinations to count before the one row comes.
    const RowLoadPtr load = start("select count(*) as n from bank a, bank b, bank c");
    QThread::msleep(300);
    ASSERT_EQ(load->state(), RowLoad::State::Reading);
    load->cancel();
    ASSERT_TRUE(waitForEnd(*load, 5000)) << "the engine was interrupted";
    EXPECT_EQ(load->state(), RowLoad::State::Cancelled);
    EXPECT_EQ(load->rowsRead(), 0);
}

TEST_F(BackgroundRead, ACancelBeforeTheStatementStartsEndsTheReadAndSparesTheOneBeforeIt) {
    addAccounts(3000);
    // Two reads over one connection: the second waits for it while the first counts some 27
    // billion combinations towards its one row.
    auto reader = std::make_shared<suite::ReaderConnection>(temp.name());
    suite::BackgroundRead counting(reader, "select count(*) as n from bank a, bank b, bank c", {},
                                   {});
    QThread::msleep(200);
    std::atomic<int> waitingEnded{0};
    suite::BackgroundRead waiting(reader, "select cBCode from bank", {}, [&] { ++waitingEnded; });
    waiting.cancel();
    QThread::msleep(300);
    EXPECT_EQ(counting.state(), RowLoad::State::Reading)
        << "a cancel reached another read's statement: " << counting.error().toStdString();
    counting.cancel();
    ASSERT_TRUE(waitForEnd(counting, 5000));
    EXPECT_EQ(counting.state(), RowLoad::State::Cancelled);
    ASSERT_TRUE(waitForEnd(waiting, 5000));
    EXPECT_EQ(waiting.state(), RowLoad::State::Cancelled);
    EXPECT_EQ(waiting.rowsRead(), 0);
    EXPECT_EQ(waitingEnded, 1);
}

TEST_F(BackgroundRead, AStopThatHoldsBeforeAStatementStartsStopsItOnceItRuns) {
    addAccounts(3000);
    // What a cancel between the read's last look and the engine's start leaves: an interrupt
    // that found nothing running, and a stop that holds.
    auto backend = suite::AccountDatabase::open(temp.name());
    suite::SqlBackend& sql = backend->sql();
    sql.interrupt();
    sql.stopWhen([] { return true; });
    QElapsedTimer t;
    t.start();
    EXPECT_THROW(sql.queryStored("select count(*) as n from bank a, bank b, bank c"),
                 suite::DbError);
    EXPECT_LT(t.elapsed(), 5000);
    sql.stopWhen({});
    EXPECT_EQ(sql.query("select count(*) as n from bank").rows.value(0).value(0).toInt(), 3004)
        << "lifted, the next statement runs";
}

TEST_F(BackgroundRead, AStartedReadEndsTheOneBeforeIt) {
    addAccounts(3000);
    const RowLoadPtr first = start("select a.cBCode, b.cBCode from bank a, bank b");
    ASSERT_TRUE(waitForRows(*first, 100));
    const RowLoadPtr second = start("select cBCode from bank where cBCode like 'T%'");
    ASSERT_TRUE(waitForEnd(*second));
    EXPECT_EQ(first->state(), RowLoad::State::Cancelled);
    ASSERT_EQ(second->state(), RowLoad::State::Done);
    EXPECT_EQ(second->rows()->RecordCount(), 3000);
}

TEST_F(BackgroundRead, ARefusedStatementFailsWithTheEnginesReason) {
    const RowLoadPtr load = start("select cBCode from no_such_table");
    ASSERT_TRUE(waitForEnd(*load));
    EXPECT_EQ(load->state(), RowLoad::State::Failed);
    EXPECT_FALSE(load->rows());
    EXPECT_TRUE(load->error().contains("no_such_table", Qt::CaseInsensitive))
        << load->error().toStdString();
}

TEST_F(BackgroundRead, TheReadRunsInTheSessionOfTheThreadThatStartedIt) {
    const SessionScope clerk({QStringLiteral("clerk07"), QStringLiteral("en-US"), true, {}});
    std::promise<SessionContext> seen;
    QString sql = QStringLiteral("select cBCode from bank");
    const RowLoadPtr load =
        db.OpenXInBackground(sql, [&] { seen.set_value(SessionContext::current()); });
    auto end = seen.get_future();
    ASSERT_EQ(end.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    const SessionContext reader = end.get();
    EXPECT_EQ(reader.user, "clerk07");
    EXPECT_EQ(reader.language, "en-US");
    EXPECT_TRUE(reader.unattended);
}
