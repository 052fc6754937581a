// The objects of one session on one thread share the login's connection: what each may do on it
// while another's transaction is open, and how locks sharing it keep apart.
#include "ClsCommon.h"
#include "FunctionLock.h"
#include "Login.h"
#include "TempDatabase.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

using namespace tarvo::suite;

namespace {

struct SharedConnection : ::testing::Test {
    TempDatabase temp;

    /// The session's connection as the objects of this thread find it.
    AccountDatabasePtr shared() {
        auto db = AccountDatabase::openShared(temp.name());
        AccountDatabase::share(db);
        return db;
    }
    std::unique_ptr<FunctionLock> lockOn(const AccountDatabasePtr& db, const QString& user) {
        return std::make_unique<FunctionLock>(
            db, LockHolder::thisProcess(user, QStringLiteral("名字") + user));
    }
    /// Counted on a connection of its own: what others see committed.
    long long rows(const QString& table) {
        return AccountDatabase::open(temp.name())
            ->sql()
            .query(QStringLiteral("SELECT COUNT(*) FROM ") + table)
            .rows[0][0]
            .toLongLong();
    }
};

} // namespace

TEST_F(SharedConnection, TheSessionsObjectsAndItsLockRideOnTheLoginsConnection) {
    QString error;
    const auto login = Login::logIn(temp.name(), QStringLiteral("demo"), error);
    ASSERT_TRUE(login) << error.toStdString();
    ClsCommon srvDb;
    srvDb.Init(temp.name());
    ClsCommon pickList;
    pickList.Init(temp.name());
    ASSERT_TRUE(srvDb.Status() && pickList.Status());
    EXPECT_EQ(srvDb.database(), pickList.database());
    EXPECT_EQ(AccountDatabase::openShared(temp.name()).get(), srvDb.database());

    const auto locks = lockOn(AccountDatabase::openShared(temp.name()), QStringLiteral("demo"));
    EXPECT_FALSE(locks->refuses(QStringLiteral("bank"), 1));
    if (temp.onServer()) {
        // The server's lock belongs to the connection the session reads on.
        const auto held = srvDb.database()->sql().query(QStringLiteral(
            "SELECT COUNT(*) FROM pg_locks WHERE locktype = 'advisory' AND pid = pg_backend_pid()"));
        EXPECT_EQ(held.rows[0][0].toLongLong(), 1);
    }
    EXPECT_EQ(rows(QStringLiteral("tarvo_lock")), 1);
}

TEST_F(SharedConnection, TransactionsOfOneOwnerNestAndAnotherOwnersAreRefused) {
    const auto db = shared();
    SqlBackend& sql = db->sql();
    const int owner = 0;
    const int other = 0;
    {
        Transaction outer(sql, &owner);
        sql.exec(QStringLiteral("INSERT INTO tarvo_option (cUserId, cKey, cValue) VALUES "
                                "('demo', 'kept', '1')"));
        {
            Transaction inner(sql, &owner);
            sql.exec(QStringLiteral("INSERT INTO tarvo_option (cUserId, cKey, cValue) VALUES "
                                    "('demo', 'undone', '1')"));
        }
        EXPECT_THROW((Transaction{sql, &other}), DbError);
        EXPECT_THROW(Transaction{sql}, DbError) << "the suite's own work is another owner too";
        outer.commit();
    }
    EXPECT_EQ(sql.transactionDepth, 0);
    const auto stored = AccountDatabase::open(temp.name())->sql().query(
        QStringLiteral("SELECT cKey FROM tarvo_option WHERE cUserId = 'demo' ORDER BY cKey"));
    ASSERT_EQ(stored.rows.size(), 1);
    EXPECT_EQ(stored.rows[0][0].toString(), QStringLiteral("kept"));
    // Once the owner is done, anyone may begin.
    Transaction next(sql, &other);
    next.commit();
}

TEST_F(SharedConnection, ALockIsRefusedWhileAnotherObjectsTransactionIsOpenAndWritesNothingIntoIt) {
    const auto db = shared();
    const auto locks = lockOn(db, QStringLiteral("demo"));
    {
        Transaction save(db->sql());
        db->sql().exec(QStringLiteral("INSERT INTO tarvo_option (cUserId, cKey, cValue) VALUES "
                                      "('demo', 'saving', '1')"));
        LockHolder heldBy;
        EXPECT_THROW(locks->acquire(QStringLiteral("bank"), LockKind::Edit, heldBy), DbError);
        EXPECT_TRUE(locks->refuses(QStringLiteral("bank"), 2));
        // The save is undone: had the lock written its row inside it, the row went too; had it
        // committed, the save's row would be stored.
    }
    EXPECT_EQ(rows(QStringLiteral("tarvo_option WHERE cKey = 'saving'")), 0);
    EXPECT_EQ(rows(QStringLiteral("tarvo_lock")), 0);
    EXPECT_FALSE(locks->refuses(QStringLiteral("bank"), 2)) << "free again once the save ended";
    EXPECT_EQ(rows(QStringLiteral("tarvo_lock")), 1);
}

TEST_F(SharedConnection, TwoLocksOnOneConnectionExcludeEachOther) {
    const auto db = shared();
    const auto first = lockOn(db, QStringLiteral("demo"));
    const auto second = lockOn(db, QStringLiteral("demo"));
    LockHolder heldBy;
    ASSERT_TRUE(first->acquire(QStringLiteral("bank"), LockKind::Function, heldBy));
    // A server grants its lock again to the connection holding it: the second must learn
    // otherwise.
    EXPECT_FALSE(second->acquire(QStringLiteral("bank"), LockKind::Function, heldBy));
    EXPECT_EQ(heldBy.session, first->holder().session);
    EXPECT_TRUE(first->acquire(QStringLiteral("bank"), LockKind::Function, heldBy))
        << "the first still holds it";

    first->release(QStringLiteral("bank"), LockKind::Function);
    EXPECT_TRUE(second->acquire(QStringLiteral("bank"), LockKind::Function, heldBy));
    const auto outsider = lockOn(AccountDatabase::open(temp.name()), QStringLiteral("demo"));
    EXPECT_FALSE(outsider->acquire(QStringLiteral("bank"), LockKind::Function, heldBy));
    EXPECT_EQ(heldBy.session, second->holder().session);
}

TEST_F(SharedConnection, ALockReleasedDuringAnotherTransactionIsGivenBackAfterIt) {
    const auto db = shared();
    const auto locks = lockOn(db, QStringLiteral("demo"));
    LockHolder heldBy;
    ASSERT_TRUE(locks->acquire(QStringLiteral("bank"), LockKind::Edit, heldBy));
    {
        Transaction other(db->sql());
        locks->release(QStringLiteral("bank"), LockKind::Edit);
    } // rolled back: a row removed inside it would be back
    const auto outsider = lockOn(AccountDatabase::open(temp.name()), QStringLiteral("admin"));
    locks->renewLeases();
    EXPECT_TRUE(outsider->acquire(QStringLiteral("bank"), LockKind::Edit, heldBy))
        << heldBy.userId.toStdString();
}

TEST_F(SharedConnection, TheLocksBeatLetsAConnectionInUseBesideTheWindowBe) {
    const auto db = shared();
    const auto locks = lockOn(db, QStringLiteral("demo"));
    LockHolder heldBy;
    ASSERT_TRUE(locks->acquire(QStringLiteral("bank"), LockKind::Edit, heldBy));
    // A save beside the window holds the connection; the beat on the window's thread must not
    // wait for it, let alone talk over it.
    std::mutex m;
    std::condition_variable changed;
    bool holding = false;
    bool beatDone = false;
    bool gaveUp = false;
    std::thread save([&] {
        const std::lock_guard use(db->inUse());
        std::unique_lock lock(m);
        holding = true;
        changed.notify_all();
        gaveUp = !changed.wait_for(lock, std::chrono::seconds(10), [&] { return beatDone; });
    });
    {
        std::unique_lock lock(m);
        changed.wait(lock, [&] { return holding; });
    }
    locks->renewLeases();
    {
        const std::lock_guard lock(m);
        beatDone = true;
    }
    changed.notify_all();
    save.join();
    EXPECT_FALSE(gaveUp) << "the beat waited for the save to end";
}
