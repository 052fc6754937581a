// The desktop host as a user or a script starts it: bad input gives a message and a non-zero
// status, never an abort, with or without a picture to take.
#include "AccountDatabase.h"
#include "BranchTable.h"
#include "FunctionLock.h"
#include "HostRun.h"
#include "TempDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(HostProgram, BadInputIsRefusedWithAMessageAndAFailureStatus) {
    TempDatabase temp;
    QTemporaryDir dir;
    const QString picture = dir.filePath("window.png");
    const QString notADatabase =
        writtenFile(dir, "notes.db", "these are my notes, not an account database\n");
    ASSERT_FALSE(notADatabase.isEmpty());

    struct Case {
        QStringList args;
        const char* says;
    };
    const QList<Case> cases{
        {{"--archive", "person"}, "不提供档案“person”"},
        {{"--lang", "fr-FR"}, "不支持的界面语言“fr-FR”"},
        {{"--user", "nobody"}, "用户“nobody”不是本账套的操作员"},
        {{"--check"}, "--check 和 --commit 要和 --import 或 --branches 一起使用"},
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

TEST(HostProgram, AnEnglishSessionRefusesInEnglishOnly) {
    TempDatabase temp;
    QTemporaryDir dir;
    const QString notADatabase =
        writtenFile(dir, "notes.db", "these are my notes, not an account database\n");
    ASSERT_FALSE(notADatabase.isEmpty());
    static const QRegularExpression chinese(
        QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

    struct Case {
        QStringList args;
        const char* says;
    };
    const QList<Case> cases{
        {{"--db", notADatabase}, "Cannot open the account database"},
        {{"--db", temp.name(), "--user", "nobody"}, "User \"nobody\" is not an operator"},
        {{"--db", temp.name(), "--archive", "person"}, "aa_bank, bank"},
        {{"--db", temp.name(), "--check"}, "--check and --commit go with --import"},
        {{"--db", temp.name(), "--archive", "bank", "--import", dir.filePath("notes.txt"),
          "--check"},
         "Only .csv and .xlsx files can be imported"},
    };
    for (const Case& c : cases) {
        const Outcome out = runHost(c.args + QStringList{"--lang", "en-US"});
        EXPECT_NE(out.status, 0) << c.says;
        EXPECT_TRUE(out.errors.contains(QString::fromUtf8(c.says))) << out.errors.toStdString();
        EXPECT_FALSE(out.errors.contains(chinese)) << out.errors.toStdString();
    }
}

TEST(HostProgram, AnEmptyListRefusesOnlyTheCardThatNeedsARecord) {
    TempDatabase temp;
    QTemporaryDir dir;
    tarvo::suite::AccountDatabase::open(temp.name())->sql().exec("delete from bank");
    const auto run = [&](const char* command) {
        return runHost({"--db", temp.name(), "--archive", "bank", "--card", command, "--screenshot",
                        dir.filePath(QStringLiteral("%1.png").arg(command))});
    };
    const Outcome modify = run("Modify");
    EXPECT_FALSE(modify.crashed);
    EXPECT_NE(modify.status, 0);
    EXPECT_TRUE(modify.errors.contains("没有记录")) << modify.errors.toStdString();
    // An import into an empty archive is how a migration starts.
    for (const char* command : {"Import", "History", "Add"}) {
        const Outcome out = run(command);
        EXPECT_EQ(out.status, 0) << command << ": " << out.errors.toStdString();
        EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("%1.png").arg(command)))) << command;
    }
    // The preview of an empty list is the list's to refuse, with its own reason.
    const Outcome preview = run("Preview");
    EXPECT_NE(preview.status, 0);
    EXPECT_TRUE(preview.errors.contains("没有可以输出的数据")) << preview.errors.toStdString();
    EXPECT_FALSE(preview.errors.contains("修改卡片")) << preview.errors.toStdString();
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

TEST(HostProgram, EveryLookupOfBothCardsIsPicturedAndTheRunEnds) {
    TempDatabase temp;
    QTemporaryDir dir;
    const QStringList later{"EdtcCurrencyName", "EdtcBankCode",    "EdtcProvinceName",
                            "EdtcCountyName",   "EdtdOpenAccDate", "cmdref4"};
    const QStringList earlier{"cmdref0", "cmdref1", "cmdref2", "cmdref3", "CmdDate0", "cmdref4"};
    for (const auto& [host, lookups] : {std::pair{QString(TARVO_HOST), later},
                                        std::pair{QString(TARVO_HOST_EARLIER), earlier}}) {
        for (const QString& lookup : lookups) {
            const QString picture = dir.filePath(lookup + ".png");
            const Outcome out =
                runProgram(host, {"--db", temp.name(), "--archive", "bank", "--sysid", "NB",
                                  "--card", "Modify", "--lookup", lookup, "--screenshot", picture});
            EXPECT_EQ(out.status, 0) << lookup.toStdString() << ": " << out.errors.toStdString();
            EXPECT_TRUE(QFile::exists(picture)) << lookup.toStdString();
        }
    }
    // A control that opens nothing, or none of that name, is said at once.
    for (const char* control : {"EdtcBName", "NoSuchControl"}) {
        const Outcome out = runHost({"--db", temp.name(), "--archive", "bank", "--sysid", "NB",
                                     "--card", "Add", "--lookup", control, "--screenshot",
                                     dir.filePath("none.png")});
        EXPECT_EQ(out.status, 1) << control;
        EXPECT_TRUE(out.errors.contains(QString::fromLatin1(control))) << out.errors.toStdString();
        EXPECT_FALSE(out.errors.contains("没有可以截图的窗口"));
    }
}

TEST(HostProgram, BothHostsTellTheirVersion) {
    for (const QString& host : {QString(TARVO_HOST), QString(TARVO_HOST_EARLIER)}) {
        const Outcome out = runProgram(host, {"--version"});
        EXPECT_EQ(out.status, 0) << out.errors.toStdString();
        EXPECT_TRUE(out.output.trimmed().endsWith(" " TARVO_VERSION))
            << host.toStdString() << ": " << out.output.toStdString();
    }
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

namespace {

/// What shows any write between two calls: on a server every row of every table with the
/// transaction that last wrote it (a row deleted and written again looks new); for a file,
/// the count of commits other connections made, which SQLite keeps per connection.
QString writesSeen(tarvo::suite::SqlBackend& sql, bool onServer) {
    if (!onServer)
        return sql.query("PRAGMA data_version").rows[0][0].toString();
    QString seen;
    const auto tables = sql.query("SELECT tablename::text FROM pg_tables WHERE schemaname = "
                                  "current_schema() ORDER BY 1");
    for (const auto& t : tables.rows) {
        const QString table = t[0].toString();
        seen += table + u'\n';
        const auto rows = sql.query(QStringLiteral("SELECT xmin::text || ' ' || t::text FROM %1 t "
                                                   "ORDER BY 1")
                                        .arg(table));
        for (const auto& r : rows.rows)
            seen += r[0].toString() + u'\n';
    }
    return seen;
}

} // namespace

TEST(HostProgram, ACheckWritesNothingToTheDatabase) {
    TempDatabase temp;
    QTemporaryDir dir;
    const auto db = tarvo::suite::AccountDatabase::open(temp.name());
    // A user's own layout stored already, which a session that changes nothing must leave be.
    db->sql().exec("INSERT INTO tarvo_colset_layout (cUserId, cColSet, iOrder, cFld, cCaption, "
                   "iAlign, bDisp, iColWidth, cOrder) SELECT 'demo', cColSet, iOrder, cFld, "
                   "cCaptionZh, iAlign, bDisp, iColWidth + 15, cOrder FROM tarvo_colset_default "
                   "WHERE lower(cColSet) = 'bank_nb'");
    const QString file = writtenFile(dir, "accounts.csv",
                                     "编码,银行账号,币种,开户银行,所属银行编码\r\n"
                                     "N1,6222000000000000001,人民币,工行测试支行,102\r\n"
                                     "N2,6222000000000000001,人民币,工行测试支行,102\r\n"
                                     "01,0200000000000000011,人民币,改名支行,102\r\n"
                                     "N3,0200-0000-0000-0000-011,人民币,工行测试支行,102\r\n");
    ASSERT_FALSE(file.isEmpty());
    const QString before = writesSeen(db->sql(), temp.onServer());

    const Outcome checked = runHost(
        {"--db", temp.name(), "--archive", "bank", "--sysid", "NB", "--import", file, "--check"});
    EXPECT_TRUE(checked.output.contains("共 4 行：新增 1，修改 1，无变化 0，拒绝 2"))
        << checked.output.toStdString() << checked.errors.toStdString();
    EXPECT_EQ(writesSeen(db->sql(), temp.onServer()), before)
        << "no lock, no layout, no commit token, no row";
}

TEST(HostProgram, AScriptChecksAFileRowByRowAndImportsTheAcceptedRows) {
    TempDatabase temp;
    QTemporaryDir dir;
    tarvo::suite::AccountDatabase::open(temp.name())
        ->sql()
        .exec("update aa_bank set bComdFixLen = 1, iComAccNoLen = 19 where cBankCode = '102'");
    const QString file =
        writtenFile(dir, "accounts.csv",
                    "编码,银行账号,币种,开户银行,所属银行编码\r\n"
                    "N1,6222000000000000001,人民币,工行测试支行,102\r\n"
                    "N2,6222-0000-0000-02,人民币,海淀支行,102\r\n"
                    "01,0200000000000000011,人民币,中国工商银行北京海淀支行,102\r\n"
                    "N3,2E+017,人民币,工行测试支行,102\r\n");
    ASSERT_FALSE(file.isEmpty());
    QFile csv(file);
    const QStringList import{"--db",    temp.name(), "--archive", "bank",
                             "--sysid", "NB",        "--import",  file};
    const QString before = accounts(temp.name());

    const Outcome checked = runHost(import + QStringList{"--check"});
    EXPECT_EQ(checked.status, 1) << checked.errors.toStdString();
    const QStringList lines = checked.output.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << checked.output.toStdString();
    EXPECT_EQ(lines[0], "2\t新增\t");
    // Nobody is there to accept a number that breaks its bank's length rule.
    EXPECT_TRUE(lines[1].startsWith("3\t拒绝\t") && lines[1].size() > 5) << lines[1].toStdString();
    EXPECT_EQ(lines[2], "4\t无变化\t");
    EXPECT_TRUE(lines[3].startsWith("5\t拒绝\t") && lines[3].contains("科学计数法"))
        << lines[3].toStdString();
    EXPECT_EQ(lines[4], "共 4 行：新增 1，修改 0，无变化 1，拒绝 2");
    EXPECT_EQ(accounts(temp.name()), before) << "a check stores nothing";

    const Outcome confirmed = runHost(import + QStringList{"--check", "--confirm-lengths"});
    EXPECT_TRUE(confirmed.output.contains("\n3\t新增\t")) << confirmed.output.toStdString();

    const Outcome committed = runHost(import + QStringList{"--commit"});
    EXPECT_EQ(committed.status, 1) << "rows were refused";
    EXPECT_TRUE(committed.output.endsWith("导入完成：新增 1 条，修改 0 条。\n"))
        << committed.output.toStdString();
    const QString after = accounts(temp.name());
    EXPECT_TRUE(after.contains("N1 6222000000000000001"));
    EXPECT_FALSE(after.contains("N2")) << "unconfirmed length";
    EXPECT_FALSE(after.contains("N3")) << "damaged number";

    // Without the damaged row, and the length accepted, every row is stored or unchanged.
    ASSERT_TRUE(csv.open(QIODevice::Append));
    csv.resize(csv.size() - qint64(QByteArray("N3,2E+017,人民币,工行测试支行,102\r\n").size()));
    csv.close();
    const Outcome clean = runHost(import + QStringList{"--commit", "--confirm-lengths"});
    EXPECT_EQ(clean.status, 0) << clean.output.toStdString() << clean.errors.toStdString();
    EXPECT_TRUE(clean.output.contains("导入完成：新增 1 条，修改 0 条。"));
    EXPECT_TRUE(accounts(temp.name()).contains("N2 6222-0000-0000-02"));
    EXPECT_EQ(runHost(import + QStringList{"--check"}).status, 0) << "all unchanged now";
}

TEST(HostProgram, AScriptInEnglishHearsOfInterbankCodesInEnglish) {
    TempDatabase temp;
    QTemporaryDir dir;
    tarvo::BranchEntry listed;
    listed.code = "102331000301";
    listed.name = "示例银行虚构市某某支行";
    listed.bankCode = "102";
    tarvo::BranchEntry retired = listed;
    retired.code = "102331000303";
    {
        const auto db = tarvo::suite::AccountDatabase::open(temp.name());
        tarvo::suite::BranchTable(*db).store({listed, retired}, {}, QDate(2026, 10, 1));
        tarvo::suite::BranchTable(*db).store({}, {retired.code}, QDate(2026, 11, 1));
    }
    const QString file = dir.filePath("accounts.csv");
    QFile csv(file);
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("Code,Account No.,Currency,Opening Bank,Bank Code,Union Bank No.\r\n"
              "E1,6222000000000301,人民币,,102,102331000301\r\n"
              "E2,6222000000000302,人民币,Test Branch,102,1021-0000-0302\r\n"
              "E3,6222000000000303,人民币,Test Branch,102,102331000303\r\n"
              "E4,6222000000000304,人民币,Test Branch,102,102331000304\r\n");
    csv.close();
    const Outcome out = runHost({"--lang", "en-US", "--db", temp.name(), "--archive", "bank",
                                 "--sysid", "NB", "--import", file, "--check"});
    EXPECT_EQ(out.status, 1) << out.errors.toStdString();
    const QStringList lines = out.output.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4) << out.output.toStdString();
    EXPECT_TRUE(lines[0].startsWith("2\t")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains("Opening Bank filled in from the interbank code"))
        << lines[0].toStdString();
    EXPECT_EQ(lines[1],
              "3\tRefused\tUnion Bank No. \"1021-0000-0302\" must be 12 digits, or left empty");
    EXPECT_TRUE(lines[2].contains("was retired from the branch directory on 2026-11-01"))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[3].contains("is not in the branch directory")) << lines[3].toStdString();
}

TEST(HostProgram, AScriptsExportWithoutTheColumnRightSaysSoAndWritesNothing) {
    TempDatabase temp;
    QTemporaryDir dir;
    const QString csv = dir.filePath("banks.csv");
    tarvo::suite::AccountDatabase::open(temp.name())
        ->sql()
        .exec("insert into tarvo_colset_denied (cUserId, cColSet) values ('demo', 'aa_bank')");
    const Outcome out = runHost({"--db", temp.name(), "--archive", "aa_bank", "--export", csv});
    EXPECT_FALSE(out.crashed);
    EXPECT_EQ(out.status, 1);
    EXPECT_TRUE(out.errors.contains("您没有该栏目设置的权限")) << out.errors.toStdString();
    EXPECT_TRUE(out.errors.contains(QStringLiteral("没有输出到“%1”").arg(csv)))
        << out.errors.toStdString();
    EXPECT_FALSE(QFile::exists(csv));
}

TEST(HostProgram, AScriptsExportRefusedByTheArchiveOpenElsewhereWritesNothingAndThenFollowsTheLayout) {
    TempDatabase temp;
    QTemporaryDir dir;
    const QString csv = dir.filePath("accounts.csv");
    const QStringList exporting{"--db",    temp.name(), "--archive", "bank",
                                "--sysid", "NB",        "--export",  csv};
    const auto header = [&] {
        QFile file(csv);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readLine()) : QString();
    };
    const Outcome first = runHost(exporting);
    ASSERT_EQ(first.status, 0) << first.errors.toStdString();
    ASSERT_TRUE(header().contains("账户名称")) << header().toStdString();
    const QString written = header();

    const auto db = tarvo::suite::AccountDatabase::open(temp.name());
    {
        // The same user has the archive open in another session.
        using namespace tarvo::suite;
        FunctionLock open(db, LockHolder::thisProcess("demo", "演示用户"));
        LockHolder heldBy;
        ASSERT_TRUE(open.acquire("bank", LockKind::Function, heldBy));
        const Outcome refused = runHost(exporting);
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(refused.errors.contains("不能重复打开")) << refused.errors.toStdString();
        EXPECT_TRUE(refused.errors.contains(QStringLiteral("没有输出到“%1”").arg(csv)))
            << refused.errors.toStdString();
        EXPECT_EQ(header(), written) << "the earlier file stays as it was";
    }

    // Meanwhile the user hid a column: the next export, its layout asked along with the lock,
    // follows it.
    db->sql().exec("INSERT INTO tarvo_colset_layout (cUserId, cColSet, iOrder, cFld, cCaption, "
                   "iAlign, bDisp, iColWidth, cOrder) SELECT 'demo', cColSet, iOrder, cFld, "
                   "cCaptionZh, iAlign, CASE WHEN cFld = 'cAccName' THEN 0 ELSE bDisp END, "
                   "iColWidth, cOrder FROM tarvo_colset_default WHERE lower(cColSet) = 'bank_nb'");
    const Outcome later = runHost(exporting);
    EXPECT_EQ(later.status, 0) << later.errors.toStdString();
    EXPECT_FALSE(header().contains("账户名称")) << header().toStdString();
    EXPECT_TRUE(header().contains("银行账号")) << header().toStdString();
}
