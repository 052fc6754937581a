#include "AlternatingRecord.h"
#include "ClsCommon.h"
#include "CuttingProxy.h"
#include "FunctionLock.h"
#include "PostgresBackend.h"
#include "ReplicationCheck.h"
#include "TestServers.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

using namespace tarvo::suite;

namespace {

/// A session on servers of the test's own, which it may restart, stop and promote under it.
struct ServerOutage : ::testing::Test {
    std::unique_ptr<TestServers> servers = TestServers::whenOnAServer();

    void SetUp() override {
        if (!servers)
            GTEST_SKIP() << TestServers::kNoServerToLose;
        ASSERT_TRUE(servers->started());
    }

    static QString bankName(ClsCommon& db) {
        QString sql = "select cBankName from aa_bank where cBankCode='" + alternating::kKey + "'";
        const auto rs = db.OpenX(sql);
        return rs && rs->RecordCount() == 1 ? rs->Value("cBankName").toString() : QString();
    }
    static long long modifies(ClsCommon& db) {
        QString sql = "select count(*) as n from tarvo_audit where cAction='Modify'";
        const auto rs = db.OpenX(sql);
        return rs ? rs->Value("n").toLongLong() : -1;
    }
    static bool save(ClsCommon& db, const alternating::Version& v, QString& err) {
        QString xml = v.xml();
        return db.Modify(xml, "aa_bank", err);
    }
    static void addRecord(ClsCommon& db) {
        QString xml = alternating::kA.xml(), err;
        ASSERT_TRUE(db.Add(xml, "aa_bank", err)) << err.toStdString();
    }
    std::unique_ptr<FunctionLock> session(const QString& url, const QString& user) {
        return std::make_unique<FunctionLock>(
            AccountDatabase::open(url),
            LockHolder::thisProcess(user, QStringLiteral("名字") + user));
    }
};

} // namespace

TEST_F(ServerOutage, SavesAndQueriesGoOnAfterTheServerRestarts) {
    ClsCommon db;
    db.Init(servers->primaryUrl());
    ASSERT_TRUE(db.Status()) << db.lastError().toStdString();
    addRecord(db);
    ASSERT_EQ(bankName(db), alternating::kA.bankName);

    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(servers->act("restart", "primary"));
        QString err;
        const auto& next = round == 0 ? alternating::kB : alternating::kA;
        EXPECT_TRUE(save(db, next, err)) << "round " << round << ": " << err.toStdString();
        EXPECT_EQ(bankName(db), next.bankName) << "round " << round;
    }
    // A query first after the restart reconnects as well, and every save went in exactly once.
    ASSERT_TRUE(servers->act("restart", "primary"));
    EXPECT_EQ(modifies(db), 2) << db.lastError().toStdString();
    QString err;
    EXPECT_TRUE(save(db, alternating::kB, err)) << err.toStdString();
    EXPECT_EQ(modifies(db), 3);
}

TEST_F(ServerOutage, ACommitWhoseAnswerIsLostIsReportedAsWhatTheServerDid) {
    CuttingProxy proxy(servers->primaryPort());
    ASSERT_GT(proxy.port(), 0);
    ClsCommon db;
    db.Init(QStringLiteral("postgresql://tarvo@127.0.0.1:%1/postgres").arg(proxy.port()));
    ASSERT_TRUE(db.Status()) << db.lastError().toStdString();
    addRecord(db);

    // The server committed; only its answer was lost: stored once, and said so.
    proxy.cutNextCommit(CuttingProxy::Cut::AfterCommitSent);
    QString err;
    EXPECT_TRUE(save(db, alternating::kB, err)) << err.toStdString();
    EXPECT_TRUE(proxy.cutDone());
    EXPECT_EQ(bankName(db), alternating::kB.bankName);
    EXPECT_EQ(modifies(db), 1);

    // The COMMIT never reached the server: not stored, and said so.
    proxy.cutNextCommit(CuttingProxy::Cut::BeforeCommitSent);
    err.clear();
    EXPECT_FALSE(save(db, alternating::kA, err));
    EXPECT_TRUE(proxy.cutDone());
    EXPECT_TRUE(err.contains(QStringLiteral("没有保存"))) << err.toStdString();
    EXPECT_EQ(bankName(db), alternating::kB.bankName);
    EXPECT_EQ(modifies(db), 1);

    err.clear();
    EXPECT_TRUE(save(db, alternating::kA, err)) << err.toStdString();
    EXPECT_EQ(modifies(db), 2);
}

TEST_F(ServerOutage, ALockIsTakenAgainOrReportedLostAfterARestart) {
    const QString url = servers->primaryUrl();
    auto mine = session(url, "u1");
    auto other = session(url, "u2");
    LockHolder heldBy;
    ASSERT_TRUE(mine->acquire("bank", LockKind::Edit, heldBy));

    // While the server is down the background beat gives up at once; once it is back the beat
    // takes the lock again before anyone asks, and really holds it.
    ASSERT_TRUE(servers->act("stop", "primary"));
    QElapsedTimer beat;
    beat.start();
    mine->renewLeases();
    EXPECT_LT(beat.elapsed(), 3000);
    ASSERT_TRUE(servers->act("restart", "primary"));
    mine->renewLeases();
    EXPECT_FALSE(other->acquire("bank", LockKind::Edit, heldBy));
    EXPECT_EQ(heldBy.userId, "u1");
    EXPECT_TRUE(mine->acquire("bank", LockKind::Edit, heldBy));

    // Another clerk took it while the connection was down: never granted again silently.
    ASSERT_TRUE(servers->act("restart", "primary"));
    ASSERT_TRUE(other->acquire("bank", LockKind::Edit, heldBy));
    EXPECT_FALSE(mine->acquire("bank", LockKind::Edit, heldBy));
    EXPECT_EQ(heldBy.userId, "u2");
    EXPECT_TRUE(mine->takenOver("bank", LockKind::Edit));
    EXPECT_TRUE(mine->lostWithConnection("bank", LockKind::Edit));

    // Taken and given back meanwhile: what was held open may have changed all the same.
    other->release("bank", LockKind::Edit);
    auto third = session(url, "u3");
    ASSERT_TRUE(third->acquire("bank", LockKind::Edit, heldBy));
    ASSERT_TRUE(servers->act("restart", "primary"));
    auto fourth = session(url, "u4");
    ASSERT_TRUE(fourth->acquire("bank", LockKind::Edit, heldBy));
    fourth->release("bank", LockKind::Edit);
    EXPECT_TRUE(third->refuses("bank", 2));
    EXPECT_TRUE(third->takenOver("bank", LockKind::Edit));
    EXPECT_TRUE(third->lostWithConnection("bank", LockKind::Edit));
    EXPECT_FALSE(third->refuses("bank", 2)) << "once told, the clerk may take it again";
}

TEST_F(ServerOutage, ASessionOnTwoHostsGoesOnOnThePromotedStandby) {
    ASSERT_TRUE(servers->startStandby());
    ClsCommon db;
    db.Init(servers->bothUrl());
    ASSERT_TRUE(db.Status()) << db.lastError().toStdString();
    addRecord(db);
    auto locks = session(servers->bothUrl(), "u1");
    LockHolder heldBy;
    ASSERT_TRUE(locks->acquire("bank", LockKind::Edit, heldBy));

    // A fast shutdown hands the standby all the primary has written before it ends.
    ASSERT_TRUE(servers->act("stop", "primary"));
    ASSERT_TRUE(servers->act("promote", "standby"));

    QString err;
    EXPECT_TRUE(save(db, alternating::kB, err)) << err.toStdString();
    EXPECT_EQ(bankName(db), alternating::kB.bankName);
    EXPECT_EQ(modifies(db), 1);
    EXPECT_EQ(db.database()->sql().query("SELECT inet_server_port()").rows.value(0).value(0),
              servers->standbyPort());
    EXPECT_TRUE(locks->acquire("bank", LockKind::Edit, heldBy));
    EXPECT_FALSE(session(servers->bothUrl(), "u2")->acquire("bank", LockKind::Edit, heldBy));
}

TEST_F(ServerOutage, AServerGoneAmidALongReadFailsItWithTheReasonInsteadOfListingHalf) {
    ClsCommon db;
    db.Init(servers->primaryUrl());
    ASSERT_TRUE(db.Status()) << db.lastError().toStdString();
    std::atomic<bool> ended{false};
    // Two short series the server holds at once, their 200 million pairs streamed: a single long
    // series would first be built whole.
    QString sql = "select a.g from generate_series(1, 20000) a(g), generate_series(1, 10000) b(g)";
    const auto load = db.OpenXInBackground(sql, [&] { ended = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return load->rowsRead() >= 20000; }, 30000))
        << load->rowsRead() << " rows: " << load->error().toStdString();
    ASSERT_TRUE(servers->act("stop", "primary"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.load(); }, 60000))
        << "the read ends once the server is gone";
    EXPECT_EQ(load->state(), tarvo::RowLoad::State::Failed);
    EXPECT_FALSE(load->rows()) << "no half list passes for a whole one";
    EXPECT_FALSE(load->error().isEmpty());
}

TEST_F(ServerOutage, AServerRestartedAmidAReadInChunksNeverHandsARowTwice) {
    ClsCommon db;
    db.Init(servers->primaryUrl());
    ASSERT_TRUE(db.Status()) << db.lastError().toStdString();
    QString sql = "select a.g * 10000 + b.g as n from generate_series(0, 399) a(g), "
                  "generate_series(0, 9999) b(g) order by 1";
    const QVector<tarvo::FieldInfo> fields{{QStringLiteral("n"), 3, 4}};
    long long handed = 0;
    long long next = 0;
    bool inOrder = true;
    bool restarted = false;
    QString error;
    // An export writes each chunk as it comes: a read started again from its first row after
    // the server came back would write those rows a second time.
    const bool read = db.OpenXInChunks(
        sql, fields, 1000,
        [&](const tarvo::RecordsetPtr& rs) {
            for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
                inOrder = inOrder && rs->Value("n").toLongLong() == next++;
            handed += rs->RecordCount();
            if (!restarted) {
                restarted = true;
                EXPECT_TRUE(servers->act("restart", "primary")) << servers->error().toStdString();
            }
            return true;
        },
        error);
    EXPECT_TRUE(inOrder) << "a row came twice or out of its place";
    if (read)
        EXPECT_EQ(handed, 4000000);
    else
        EXPECT_FALSE(error.isEmpty());
    QString again = "select count(*) as n from aa_bank";
    EXPECT_TRUE(db.OpenX(again)) << "the session goes on on the restarted server";
}

namespace {

/// Waits until the primary counts a standby among its senders.
bool standbyFollows(const QString& primaryUrl) {
    // A URL of its own, so that the program's own first look at the server is still to come.
    const QString watch = primaryUrl + QStringLiteral("?application_name=watch");
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30000) {
        PostgresBackend server(watch);
        if (server.query("select count(*) from pg_stat_replication").rows[0][0].toInt() > 0)
            return true;
        QThread::msleep(100);
    }
    return false;
}

int countOf(const std::string& text, const std::string& piece) {
    int n = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++n;
    return n;
}

} // namespace

TEST_F(ServerOutage, APrimaryWhoseStandbyConfirmsNoCommitIsToldToItsAdministratorOnce) {
    ASSERT_TRUE(servers->startStandby());
    ASSERT_TRUE(standbyFollows(servers->primaryUrl()));
    testing::internal::CaptureStderr();
    {
        const auto list = AccountDatabase::open(servers->primaryUrl());
        const auto card = AccountDatabase::open(servers->primaryUrl());
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(countOf(said, "没有同步备用服务器"), 1) << said;
}

TEST_F(ServerOutage, ASynchronousStandbyNeedsNoWarning) {
    ASSERT_TRUE(servers->startStandby(true));
    ASSERT_TRUE(standbyFollows(servers->primaryUrl()));
    testing::internal::CaptureStderr();
    {
        const auto db = AccountDatabase::open(servers->primaryUrl());
        QString xml = alternating::kA.xml(), err;
        ClsCommon common;
        common.Init(servers->primaryUrl());
        EXPECT_TRUE(common.Add(xml, "aa_bank", err))
            << "the standby confirms the commit: " << err.toStdString();
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("警告"), std::string::npos) << said;
}

TEST(ReplicationWarning, OnlyCommitsNoStandbyConfirmsAreWarnedOf) {
    const QString server = QStringLiteral("postgresql://tarvo@db1/acc");
    EXPECT_TRUE(replicationWarning(server, 0, "", "off").isEmpty()) << "nothing to fail over to";
    EXPECT_TRUE(replicationWarning(server, 2, "", "on").contains("没有同步备用服务器"));
    EXPECT_TRUE(replicationWarning(server, 1, "  ", "on").contains(server));
    for (const char* waits : {"on", "remote_apply", "remote_write"})
        EXPECT_TRUE(replicationWarning(server, 1, "FIRST 1 (s1, s2)", waits).isEmpty()) << waits;
    for (const char* answersFirst : {"off", "local"})
        EXPECT_TRUE(replicationWarning(server, 1, "*", answersFirst).contains(answersFirst))
            << answersFirst;
}
