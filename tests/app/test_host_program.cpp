// The desktop host as a user or a script starts it: bad input gives a message and a non-zero
// status, never an abort, with or without a picture to take.
#include "AccountDatabase.h"
#include "HostRun.h"
#include "TempDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(HostProgram, BadInputIsRefusedWithAMessageAndAFailureStatus) {
    TempDatabase temp;
    QTemporaryDir dir;
    const QString picture = dir.filePath("window.png");
    const QString notADatabase = dir.filePath("notes.db");
    QFile junk(notADatabase);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("these are my notes, not an account database\n");
    junk.close();

    struct Case {
        QStringList args;
        const char* says;
    };
    const QList<Case> cases{
        {{"--archive", "person"}, "不提供档案“person”"},
        {{"--archive", "aa_bank", "--card", "Delete"}, "卡片命令“Delete”无效"},
        {{"--menu", "AA99"}, "门户菜单“AA99”不存在"},
        {{"--lang", "fr-FR"}, "不支持的界面语言“fr-FR”"},
        {{"--archive", "bank", "--sysid", "XX"}, "不提供系统标识“XX”"},
        {{"--user", "nobody"}, "用户“nobody”不是本账套的操作员"},
    };
    for (const Case& c : cases) {
        for (bool headless : {false, true}) {
            QStringList args = QStringList{"--db", temp.name()} + c.args;
            if (headless)
                args << "--screenshot" << picture;
            const Outcome out = runHost(args);
            EXPECT_FALSE(out.crashed) << c.says;
            EXPECT_NE(out.status, 0) << c.says;
            EXPECT_TRUE(out.errors.contains(QString::fromUtf8(c.says))) << c.says << "\n"
                                                                        << out.errors.toStdString();
        }
    }

    const Outcome broken = runHost({"--db", notADatabase, "--screenshot", picture});
    EXPECT_NE(broken.status, 0);
    EXPECT_TRUE(broken.errors.contains("无法打开账套数据库")) << broken.errors.toStdString();
    EXPECT_FALSE(QFile::exists(picture)) << "no picture of a window that never opened";
}

TEST(HostProgram, ACardThatCannotOpenEndsTheRunWithItsReason) {
    TempDatabase temp;
    QTemporaryDir dir;
    tarvo::suite::AccountDatabase::open(temp.name())->sql().exec("delete from bank");
    const Outcome out = runHost({"--db", temp.name(), "--archive", "bank", "--card", "Modify",
                                 "--screenshot", dir.filePath("card.png")});
    EXPECT_FALSE(out.crashed);
    EXPECT_NE(out.status, 0);
    EXPECT_TRUE(out.errors.contains("没有记录")) << out.errors.toStdString();
}

TEST(HostProgram, AGoodRunSavesItsPictureAndSucceeds) {
    TempDatabase temp;
    QTemporaryDir dir;
    const QString picture = dir.filePath("list.png");
    const Outcome out = runHost(
        {"--db", temp.name(), "--archive", "aa_bank", "--lang", "EN-us", "--screenshot", picture});
    EXPECT_EQ(out.status, 0) << out.errors.toStdString();
    EXPECT_TRUE(QFile::exists(picture));
}

TEST(HostProgram, TheEarlierHostOpensTheSalespeopleAndHasNoPortalRoad) {
    TempDatabase temp;
    QTemporaryDir dir;
    const QString picture = dir.filePath("person.png");
    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    host.setProcessEnvironment(env);
    const auto run = [&](const QStringList& args) {
        host.start(TARVO_HOST_EARLIER, QStringList{"--db", temp.name()} + args);
        EXPECT_TRUE(host.waitForFinished(60000));
        EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
        return host.exitCode();
    };
    EXPECT_EQ(run({"--archive", "person", "--screenshot", picture}), 0);
    EXPECT_TRUE(QFile::exists(picture));
    EXPECT_NE(run({"--menu", "AA53", "--screenshot", picture}), 0);
    EXPECT_NE(run({"--archive", "customer", "--screenshot", picture}), 0);
    EXPECT_TRUE(QString::fromUtf8(host.readAllStandardError()).contains("person"))
        << "the refusal names the archives there are";
}
