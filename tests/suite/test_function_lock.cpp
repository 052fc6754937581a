#include "FunctionLock.h"
#include "TempDatabase.h"

#include <QDateTime>
#include <QProcess>
#include <QSysInfo>
#include <gtest/gtest.h>

#include <memory>
#include <thread>

using namespace tarvo::suite;

namespace {

struct FunctionLockTest : ::testing::Test {
    TempDatabase temp;

    /// A session of its own, with its own connection, as each public-services object has.
    std::unique_ptr<FunctionLock> session(const QString& user) {
        return std::make_unique<FunctionLock>(
            AccountDatabase::open(temp.name()),
            LockHolder::thisProcess(user, QStringLiteral("名字") + user));
    }
    long long lockRows() {
        return AccountDatabase::open(temp.name())
            ->sql()
            .query(QStringLiteral("SELECT COUNT(*) FROM tarvo_lock"))
            .rows[0][0]
            .toLongLong();
    }
    /// A lock row as another session, of this or another machine, would have left it.
    void plantEditLock(const QString& host, qint64 pid, int leaseSeconds) {
        AccountDatabase::open(temp.name())
            ->sql()
            .exec(QStringLiteral("INSERT INTO tarvo_lock (cArchive, iKind, cScope, cUserId, "
                                 "cUserName, cHost, iPid, cSession, dLease) VALUES "
                                 "('bank', 2, '', 'ghost', '幽灵', ?, ?, 'gone', ?)"),
                  {host, pid,
                   QDateTime::currentDateTimeUtc().addSecs(leaseSeconds).toString(Qt::ISODate)});
    }
};

qint64 pidOfAFinishedProcess() {
    QProcess p;
    p.start(QStringLiteral("/bin/true"));
    p.waitForFinished(10000);
    return p.processId() ? p.processId() : 999999;
}

} // namespace

TEST_F(FunctionLockTest, OpeningTheFunctionIsRefusedOnlyToTheSameUserInAnotherSession) {
    auto first = session("demo");
    auto second = session("demo");
    auto other = session("admin");
    EXPECT_FALSE(first->refuses("aa_bank", 1));
    EXPECT_FALSE(first->refuses("AA_Bank", 1)) << "its own session asks again";

    LockHolder heldBy;
    EXPECT_FALSE(second->acquire("AA_BANK", LockKind::Function, heldBy))
        << "archive names are compared lower-cased";
    EXPECT_EQ(heldBy.userId, "demo");
    EXPECT_EQ(heldBy.userName, "名字demo");
    EXPECT_EQ(heldBy.host, QSysInfo::machineHostName());

    EXPECT_FALSE(other->refuses("aa_bank", 1)) << "another user opens it as well";
    EXPECT_FALSE(second->refuses("bank", 1)) << "another archive";

    EXPECT_FALSE(second->refuses("aa_bank", -1));
    EXPECT_TRUE(second->refuses("aa_bank", 1)) << "giving back what it never held changes nothing";
    EXPECT_FALSE(first->refuses("aa_bank", -1));
    EXPECT_FALSE(second->refuses("aa_bank", 1));
}

TEST_F(FunctionLockTest, TheEditLockIsExclusiveAcrossUsersAndSessions) {
    auto editor = session("demo");
    auto sameUser = session("demo");
    auto other = session("admin");
    EXPECT_FALSE(editor->refuses("bank", 2));
    EXPECT_FALSE(editor->refuses("bank", 2)) << "its own session asks again";

    LockHolder heldBy;
    EXPECT_FALSE(other->acquire("Bank", LockKind::Edit, heldBy));
    EXPECT_EQ(heldBy.userId, "demo");
    EXPECT_TRUE(sameUser->refuses("bank", 2));
    EXPECT_FALSE(other->refuses("aa_bank", 2)) << "another archive";

    EXPECT_FALSE(other->refuses("bank", -2));
    EXPECT_TRUE(sameUser->refuses("bank", 2)) << "a refused session cannot free the lock";
    EXPECT_FALSE(editor->refuses("bank", -2));
    EXPECT_FALSE(other->refuses("bank", 2));
    EXPECT_FALSE(other->refuses("aa_bank", -2));
}

TEST_F(FunctionLockTest, EndingASessionGivesBackEverythingItHeld) {
    {
        auto ended = session("demo");
        ASSERT_FALSE(ended->refuses("aa_bank", 1));
        ASSERT_FALSE(ended->refuses("bank", 2));
        EXPECT_EQ(lockRows(), 2);
    }
    EXPECT_EQ(lockRows(), 0);
    auto next = session("demo");
    EXPECT_FALSE(next->refuses("aa_bank", 1));
    EXPECT_FALSE(next->refuses("bank", 2));
}

TEST_F(FunctionLockTest, ALockLeftByAProcessOfThisMachineThatIsGoneIsTakenOver) {
    plantEditLock(QSysInfo::machineHostName(), pidOfAFinishedProcess(), 60);
    auto taker = session("demo");
    LockHolder heldBy;
    EXPECT_TRUE(taker->acquire("bank", LockKind::Edit, heldBy));
    EXPECT_TRUE(session("admin")->refuses("bank", 2));
}

TEST_F(FunctionLockTest, OnAFileALockOfAnotherMachineHoldsUntilItsLeaseRunsOut) {
    if (temp.onServer())
        GTEST_SKIP() << "on a server the lock is the holder's connection; rows only tell who";
    plantEditLock(QStringLiteral("other-machine"), 1, 60);
    auto asker = session("demo");
    LockHolder heldBy;
    EXPECT_FALSE(asker->acquire("bank", LockKind::Edit, heldBy));
    EXPECT_EQ(heldBy.userId, "ghost");
    EXPECT_EQ(heldBy.host, "other-machine");

    AccountDatabase::open(temp.name())
        ->sql()
        .exec(QStringLiteral("UPDATE tarvo_lock SET dLease = ?"),
              {QDateTime::currentDateTimeUtc().addSecs(-1).toString(Qt::ISODate)});
    EXPECT_TRUE(asker->acquire("bank", LockKind::Edit, heldBy));

    // A holder whose lease has run out but who renews it keeps the lock.
    AccountDatabase::open(temp.name())
        ->sql()
        .exec(QStringLiteral("UPDATE tarvo_lock SET dLease = ?"),
              {QDateTime::currentDateTimeUtc().addSecs(-1).toString(Qt::ISODate)});
    asker->renewLeases();
    EXPECT_TRUE(session("admin")->refuses("bank", 2));
}

/// A holder whose lease ran out while another session took the lock over must not go on as if
/// it still held it: two editors of one archive.
TEST_F(FunctionLockTest, AHolderNoticesThatItsLockWasTakenOver) {
    if (temp.onServer())
        GTEST_SKIP() << "on a server the lock is the holder's connection and cannot run out";
    const auto expireLeases = [&] {
        AccountDatabase::open(temp.name())
            ->sql()
            .exec(QStringLiteral("UPDATE tarvo_lock SET dLease = ?"),
                  {QDateTime::currentDateTimeUtc().addSecs(-1).toString(Qt::ISODate)});
    };
    auto first = session("demo");
    auto second = session("admin");
    LockHolder heldBy;
    ASSERT_TRUE(first->acquire("bank", LockKind::Edit, heldBy));
    expireLeases();
    ASSERT_TRUE(second->acquire("bank", LockKind::Edit, heldBy));

    // Asked again, the first holder checks its row instead of trusting what it remembers.
    EXPECT_FALSE(first->acquire("bank", LockKind::Edit, heldBy));
    EXPECT_EQ(heldBy.userId, "admin");
    EXPECT_TRUE(first->takenOver("bank", LockKind::Edit));
    EXPECT_FALSE(first->takenOver("bank", LockKind::Edit)) << "reported once";
    first->release("bank", LockKind::Edit);
    EXPECT_FALSE(second->refuses("bank", 2)) << "the loser's release leaves the row be";
    EXPECT_TRUE(first->refuses("bank", 2)) << "the new holder keeps it";

    // A renewal that finds the row taken drops the lock at once; the next request is refused
    // even when the taker has gone again, until the loss has been told.
    second->release("bank", LockKind::Edit);
    ASSERT_TRUE(first->acquire("bank", LockKind::Edit, heldBy));
    expireLeases();
    ASSERT_TRUE(second->acquire("bank", LockKind::Edit, heldBy));
    first->renewLeases();
    second->release("bank", LockKind::Edit);
    EXPECT_FALSE(first->acquire("bank", LockKind::Edit, heldBy));
    EXPECT_TRUE(heldBy.userId.isEmpty());
    EXPECT_TRUE(first->takenOver("bank", LockKind::Edit));
    EXPECT_TRUE(first->acquire("bank", LockKind::Edit, heldBy)) << "asked afresh once told";
    EXPECT_EQ(lockRows(), 1);
}

TEST_F(FunctionLockTest, AnEditLockTakenBesideTheWindowHoldsForAnotherSessionOnTheSameConnection) {
    // Two sessions of one process on one connection: a server grants its locks again to the
    // connection that holds them, so the sessions must learn of each other's locks, whichever
    // thread took them.
    const AccountDatabasePtr shared = AccountDatabase::open(temp.name());
    FunctionLock card(shared, LockHolder::thisProcess("demo", "名字demo"));
    FunctionLock other(shared, LockHolder::thisProcess("admin", "名字admin"));
    bool taken = false;
    std::thread([&] {
        LockHolder heldBy;
        taken = card.acquire("bank", LockKind::Edit, heldBy);
    }).join();
    ASSERT_TRUE(taken);

    LockHolder heldBy;
    EXPECT_FALSE(other.acquire("bank", LockKind::Edit, heldBy));
    EXPECT_EQ(heldBy.userId, "demo");

    card.release("bank", LockKind::Edit);
    EXPECT_TRUE(other.acquire("bank", LockKind::Edit, heldBy)) << "given back from this thread";
}
