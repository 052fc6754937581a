// The branch directory's import as a script runs it: a process of its own whose directory the
// program's other sessions then read.
#include "AccountDatabase.h"
#include "ClsBranchDirectory.h"
#include "ClsCommon.h"
#include "HostRun.h"
#include "RoleLogins.h"
#include "TempDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kSample =
    QStringLiteral(TARVO_SOURCE_DIR "/examples/branches/branch-directory-sample.csv");

QStringList lines(const Outcome& run) {
    return run.output.split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(BranchDirectoryCommand, ACheckStoresNothingAndACommitIsSeenByAnotherSession) {
    TempDatabase temp;
    auto session = std::make_shared<tarvo::suite::ClsCommon>();
    session->Init(temp.name());
    ASSERT_TRUE(session->Status());
    tarvo::ClsCommonPtr common = session;
    tarvo::suite::ClsBranchDirectory directory;
    ASSERT_FALSE(directory.Present(common));

    const QStringList import{"--db", temp.name(), "--branches", kSample};
    const Outcome checked = runHost(import + QStringList{"--check"});
    EXPECT_EQ(checked.status, 0) << checked.errors.toStdString();
    const QStringList checkedLines = lines(checked);
    ASSERT_EQ(checkedLines.size(), 37) << checked.output.toStdString();
    EXPECT_EQ(checkedLines[0], "2\t102990101000\t新增\t");
    EXPECT_EQ(checkedLines.last(), "共 36 行：新增 36，修改 0，无变化 0，拒绝 0；停用 0");
    EXPECT_FALSE(session->database()->sql().tableExists("tarvo_branch"))
        << "a check makes no directory";

    const Outcome committed = runHost(import + QStringList{"--commit"});
    EXPECT_EQ(committed.status, 0) << committed.errors.toStdString();
    EXPECT_TRUE(committed.output.endsWith("联行号目录已保存：新增 36，修改 0，停用 0。\n"))
        << committed.output.toStdString();

    // A file is asked each time, by the session that asked before too; a server's connection
    // keeps what it learnt until it is made anew, so a new one asks.
    if (temp.onServer()) {
        common.reset();
        session = std::make_shared<tarvo::suite::ClsCommon>();
        session->Init(temp.name());
        common = session;
    }
    tarvo::ClsCommonPtr& reader = common;
    EXPECT_TRUE(directory.Present(reader));
    tarvo::BranchEntry found;
    ASSERT_TRUE(directory.Find(reader, "305990202065", found));
    EXPECT_EQ(found.name, "示例民生银行乙虚构市第二虚构支行");
    EXPECT_EQ(found.bankName, "中国民生银行");
    EXPECT_EQ(found.province, "示例省");
    int walked = 0;
    QString err;
    EXPECT_TRUE(directory.ForEach(
        reader, [&](const tarvo::BranchEntry&) { return ++walked > 0; }, err));
    EXPECT_EQ(walked, 36);

    const Outcome again = runHost(import + QStringList{"--commit"});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(again.output.contains("共 36 行：新增 0，修改 0，无变化 36，拒绝 0；停用 0"))
        << again.output.toStdString();
}

TEST(BranchDirectoryCommand, AnEnglishSessionGivesItsVerdictsInEnglishAndARefusalFails) {
    TempDatabase temp;
    QTemporaryDir dir;
    const QStringList import{"--db", temp.name(), "--lang", "en-US", "--branches"};
    ASSERT_EQ(runHost(import + QStringList{kSample, "--commit"}).status, 0);

    const QString file = dir.filePath("branches.csv");
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("Branch Code,Branch Name,City\r\n"
              "102990101000,示例工商银行甲虚构市第一虚构支行,甲虚构市\r\n"
              "10299010100,示例工商银行丢零虚构支行,甲虚构市\r\n");
    csv.close();
    const Outcome checked = runHost(import + QStringList{file, "--check"});
    EXPECT_EQ(checked.status, 1) << "a row was refused";
    const QStringList got = lines(checked);
    ASSERT_GE(got.size(), 4) << checked.output.toStdString();
    // The head bank's name and the province, which the file has no column for, stay as stored.
    EXPECT_EQ(got[0], "2\t102990101000\tUnchanged\t");
    EXPECT_TRUE(got[1].startsWith("3\t10299010100\tRefused\t") && got[1].contains("11 digits"))
        << got[1].toStdString();
    EXPECT_TRUE(got[2].startsWith("-\t") && got[2].contains("\tRetired\t")) << got[2].toStdString();
    EXPECT_TRUE(
        got.last().startsWith("2 rows: 0 new, 0 changed, 1 unchanged, 1 refused; 35 retired"))
        << got.last().toStdString();

    const Outcome unreadable = runHost(import + QStringList{dir.filePath("none.csv"), "--commit"});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_TRUE(unreadable.errors.contains("none.csv")) << unreadable.errors.toStdString();
    EXPECT_EQ(runHost({"--db", temp.name(), "--branches", kSample}).status, 2)
        << "--branches alone says what it goes with";
}

TEST(BranchDirectoryCommand, OnAServerTheBankArchivesKeepersImportItAndEveryRoleReadsIt) {
    TempDatabase temp;
    if (!temp.onServer())
        GTEST_SKIP() << "login roles and rights are a server's";
    RoleLogins roles(temp.name());
    ASSERT_EQ(runHost({"--db", temp.name(), "--branches", kSample, "--commit"}).status, 0);
    QTemporaryDir dir;
    const QString file = dir.filePath("renamed.csv");
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    QFile sample(kSample);
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    csv.write(sample.readAll().replace("示例民生银行乙虚构市第二虚构支行",
                                       "示例民生银行乙虚构市新址虚构支行"));
    csv.close();
    const auto as = [&](RoleLogins::Group g, const char* mode) {
        return runHost(
            {"--db", roles.url(g), "--user", RoleLogins::operatorOf(g), "--branches", file, mode});
    };
    const auto storedName = [&] {
        auto session = std::make_shared<tarvo::suite::ClsCommon>();
        session->Init(temp.name());
        tarvo::ClsCommonPtr common = session;
        tarvo::BranchEntry found;
        tarvo::suite::ClsBranchDirectory().Find(common, "305990202065", found);
        return found.name;
    };

    const Outcome read = as(RoleLogins::Reader, "--check");
    EXPECT_EQ(read.status, 0) << read.errors.toStdString();
    EXPECT_TRUE(read.output.contains("\t305990202065\t修改\t")) << read.output.toStdString();

    const Outcome clerk = as(RoleLogins::Clerk, "--commit");
    EXPECT_EQ(clerk.status, 1);
    EXPECT_FALSE(clerk.errors.isEmpty());
    EXPECT_TRUE(clerk.output.isEmpty()) << "refused before the file is read";
    EXPECT_EQ(storedName(), "示例民生银行乙虚构市第二虚构支行");

    const Outcome manager = as(RoleLogins::Manager, "--commit");
    EXPECT_EQ(manager.status, 0) << manager.errors.toStdString();
    EXPECT_EQ(storedName(), "示例民生银行乙虚构市新址虚构支行");
}
