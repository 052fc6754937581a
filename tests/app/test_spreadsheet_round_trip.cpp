// The list's exports opened and saved again by a real spreadsheet program, then imported by a
// script: whatever the spreadsheet damaged is refused and nothing of it stored, and a workbook
// comes back unchanged, leading zeros and all.
#include "AccountDatabase.h"
#include "HostRun.h"
#include "TempDatabase.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

struct SpreadsheetRoundTrip : ::testing::Test {
    TempDatabase temp;
    QTemporaryDir dir;
    QString office = QStandardPaths::findExecutable("soffice");

    void SetUp() override {
        if (office.isEmpty())
            GTEST_SKIP() << "no spreadsheet program (Debian package libreoffice-calc-nogui)";
        // Besides the demo accounts: numbers that are zeros and two digits, and a company
        // number with one leading zero, as some provinces give them.
        const auto db = tarvo::suite::AccountDatabase::open(temp.name());
        db->sql().exec(
            "INSERT INTO bank (cBCode, cBAccount, cAccName, cCurrencyName, cBName, cBankCode) "
            "VALUES ('05', '0000000000000000011', '示例公司工行专户', '人民币', "
            "'中国工商银行北京海淀支行', '102'), ('06', '0123456789012345', '示例公司建行专户', "
            "'人民币', '中国建设银行上海浦东分行', '105')");
    }

    /// Exports the list, lets the spreadsheet open the file and save it as saveAs with its
    /// default options, and returns the file it saved.
    QString exportAndResave(const QString& archive, const QString& type, const QString& saveAs,
                            const QString& language = "zh-CN") {
        const QString exported = dir.filePath(archive + u'.' + type);
        const Outcome out = runHost({"--db", temp.name(), "--archive", archive, "--sysid", "NB",
                                     "--export", exported, "--lang", language});
        EXPECT_EQ(out.status, 0) << out.errors.toStdString();
        const QString resaved = dir.filePath("resaved");
        // A profile of its own, so that runs side by side do not share one.
        QStringList args{"-env:UserInstallation=" +
                             QUrl::fromLocalFile(dir.filePath("profile")).toString(),
                         "--headless",
                         "--convert-to",
                         saveAs,
                         "--outdir",
                         resaved,
                         exported};
        // The encoding a clerk picks in the spreadsheet's text import dialog.
        if (type == u"csv" && saveAs != type)
            args.insert(2, "--infilter=CSV:44,34,76");
        QProcess spreadsheet;
        spreadsheet.start(office, args);
        EXPECT_TRUE(spreadsheet.waitForFinished(240000));
        EXPECT_EQ(spreadsheet.exitCode(), 0) << spreadsheet.readAllStandardError().toStdString();
        return QDir(resaved).filePath(archive + u'.' + saveAs);
    }

    QStringList checked(const QString& archive, const QString& file, int& status,
                        const QString& language = "zh-CN") {
        const Outcome out = runHost({"--db", temp.name(), "--archive", archive, "--sysid", "NB",
                                     "--import", file, "--check", "--lang", language});
        status = out.status;
        QStringList lines = out.output.split(u'\n', Qt::SkipEmptyParts);
        EXPECT_FALSE(lines.isEmpty()) << out.errors.toStdString();
        if (!lines.isEmpty())
            lines.removeLast(); // the counts
        return lines;
    }
};

TEST_F(SpreadsheetRoundTrip, ACsvTheSpreadsheetOpenedIsRefusedWhereItLostDigits) {
    const QString before = accounts(temp.name());
    QString resaved;
    for (const QString saveAs : {"xlsx", "csv"}) {
        resaved = exportAndResave("bank", "csv", saveAs);
        int status = 0;
        const QStringList rows = checked("bank", resaved, status);
        EXPECT_EQ(status, 1);
        // The demo accounts: 01 and 02 have account numbers past 15 digits, 03 and 04 only
        // lost the zero of their codes; 05 and 06 lost the zeros of their numbers as well.
        EXPECT_EQ(rows.size(), 6) << saveAs.toStdString();
        if (rows.size() != 6)
            continue;
        for (int i : {0, 1})
            EXPECT_TRUE(rows[i].contains("\t拒绝\t") && rows[i].contains("科学计数法"))
                << rows[i].toStdString();
        for (int i : {2, 3})
            EXPECT_TRUE(rows[i].contains("\t拒绝\t") && rows[i].contains("前导零"))
                << rows[i].toStdString();
        EXPECT_TRUE(rows[4].contains("\t拒绝\t") &&
                    rows[4].contains("银行账号“11”是电子表格去掉了前导零的“0000000000000000011”"))
            << rows[4].toStdString();
        EXPECT_TRUE(rows[5].contains("\t拒绝\t") && rows[5].contains("编码“6”") &&
                    rows[5].contains("“123456789012345”是电子表格去掉了前导零的"
                                     "“0123456789012345”"))
            << rows[5].toStdString();
    }
    const Outcome committed = runHost({"--db", temp.name(), "--archive", "bank", "--sysid", "NB",
                                       "--import", resaved, "--commit"});
    EXPECT_EQ(committed.status, 1);
    EXPECT_TRUE(committed.output.contains("“0000000000000000011”")) << "the rows were checked";
    EXPECT_EQ(accounts(temp.name()), before) << "nothing damaged is stored";

    // An English session's export, captions and all, and the reasons in English.
    int status = 0;
    const QStringList english =
        checked("bank", exportAndResave("bank", "csv", "csv", "en-US"), status, "en-US");
    EXPECT_EQ(status, 1);
    ASSERT_EQ(english.size(), 6);
    EXPECT_TRUE(english[4].contains("\tRefused\t") &&
                english[4].contains("\"11\" is the stored \"0000000000000000011\" with its "
                                    "leading zeros dropped by a spreadsheet"))
        << english[4].toStdString();
}

TEST_F(SpreadsheetRoundTrip, AWorkbookTheSpreadsheetSavedImportsBackUnchanged) {
    for (const QString archive : {"aa_bank", "bank"}) {
        const QString resaved = exportAndResave(archive, "xlsx", "xlsx");
        int status = 1;
        const QStringList rows = checked(archive, resaved, status);
        EXPECT_EQ(status, 0) << archive.toStdString();
        EXPECT_GT(rows.size(), 3);
        for (const QString& row : rows)
            EXPECT_TRUE(row.contains("\t无变化\t")) << row.toStdString();
    }
}

} // namespace
