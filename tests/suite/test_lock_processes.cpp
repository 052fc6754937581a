#include "HelperProcess.h"
#include "TempDatabase.h"

#include <QSysInfo>
#include <gtest/gtest.h>

namespace {

QStringList holdLock(const TempDatabase& db, const QString& user, int kind, int patienceMs) {
    return {QStringLiteral("hold-lock"),
            db.name(),
            user,
            QStringLiteral("aa_bank"),
            QString::number(kind),
            QString::number(patienceMs)};
}

} // namespace

TEST(LockProcesses, OneOfTwoProcessesGetsTheEditLockAndTheOtherGetsItOnceTheWinnerIsKilled) {
    TempDatabase temp;
    HelperProcess first(holdLock(temp, "u1", 2, 0));
    HelperProcess second(holdLock(temp, "u2", 2, 0));
    const QString one = first.readLine(), two = second.readLine();
    ASSERT_TRUE((one == "granted") != (two == "granted"))
        << one.toStdString() << " / " << two.toStdString();
    HelperProcess& winner = one == "granted" ? first : second;
    const QString winnerUser = one == "granted" ? "u1" : "u2";
    const QString loserUser = one == "granted" ? "u2" : "u1";
    const QStringList refusal = (one == "granted" ? two : one).split('\t');
    EXPECT_EQ(refusal, QStringList({"refused", winnerUser, "用户" + winnerUser,
                                    QSysInfo::machineHostName()}));

    winner.kill();
    HelperProcess again(holdLock(temp, loserUser, 2, 10000));
    EXPECT_EQ(again.readLine(), "granted");
    EXPECT_EQ(again.finish(), 0);
}

TEST(LockProcesses, TheSameUserOpensTheArchiveInOneProcessAtATime) {
    TempDatabase temp;
    HelperProcess first(holdLock(temp, "demo", 1, 0));
    ASSERT_EQ(first.readLine(), "granted");
    HelperProcess second(holdLock(temp, "demo", 1, 0));
    EXPECT_TRUE(second.readLine().startsWith("refused\tdemo\t"));
    HelperProcess otherUser(holdLock(temp, "admin", 1, 0));
    EXPECT_EQ(otherUser.readLine(), "granted");

    EXPECT_EQ(first.finish(), 0) << "a session that ends gives its lock back";
    HelperProcess third(holdLock(temp, "demo", 1, 0));
    EXPECT_EQ(third.readLine(), "granted");
}
