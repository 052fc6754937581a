// A long bank-account list through the running component: its PDF read back with a real PDF
// reader, and the desktop host's export for scripts.
#include "AccountDatabase.h"
#include "ComponentHarness.h"
#include "ComponentRegistration.h"
#include "FrmMain.h"
#include "Grid.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "PrintControl.h"
#include "SuiteContext.h"
#include "SuiteRegistration.h"
#include "TempDatabase.h"
#include "XlsxSheet.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

constexpr int kAccounts = 1000;

QString accountNumber(int i) {
    return QStringLiteral("6222020%1").arg(i, 12, 10, QLatin1Char('0'));
}

void addAccounts(const QString& dbName) {
    auto db = suite::AccountDatabase::open(dbName);
    suite::Transaction tx(db->sql());
    db->sql().exec("DELETE FROM bank");
    for (int i = 1; i <= kAccounts; ++i)
        db->sql().exec(
            "INSERT INTO bank (cBCode, cBAccount, cAccName, dOpenAccDate, cCurrencyName, bBflag, "
            "bPwdMng, cBName, cBankCode, cProvinceName, cCountyName, cOpenAccAddr, fCurBalance, "
            "cCode, iAccProperty, iSignFlag) VALUES (?, ?, ?, '2024-01-31', '人民币', 0, 0, "
            "'中国工商银行北京海淀支行', '102', '北京市', '海淀区', '北京市海淀区示例路1号', ?, "
            "'100201', 0, 0)",
            {QStringLiteral("T%1").arg(i, 4, 10, QLatin1Char('0')), accountNumber(i),
             QStringLiteral("测试账户%1").arg(i), i * 10.5});
    tx.commit();
}

struct LongListTest : ::testing::Test {
    TempDatabase temp;
    QTemporaryDir dir;
    void SetUp() override {
        suite::registerSuiteClasses();
        tarvoArchiveRegisterClasses();
        addAccounts(temp.name());
    }
    void TearDown() override {
        suite::setUnattendedExportPath({});
        suite::setUnattended(false);
    }
    int runHost(const QStringList& args, QString* errors) {
        QProcess host;
        host.start(TARVO_ARCHIVE_EXE, QStringList({"--db", temp.name()}) + args);
        EXPECT_TRUE(host.waitForFinished(90000));
        *errors = QString::fromUtf8(host.readAllStandardError());
        return host.exitCode();
    }
};

} // namespace

TEST_F(LongListTest, PdfOfAThousandAccountsHoldsEveryRowOnceAndAHeaderOnEveryPage) {
    QString error;
    auto login = suite::Login::logIn(temp.name(), "demo", error);
    ASSERT_TRUE(login) << error.toStdString();
    const QString pdf = dir.filePath("banks.pdf");
    suite::setUnattended(true);
    suite::setUnattendedExportPath(pdf);
    int rows = 0;
    auto watch = whenListWindowShown([&](FrmMain& w) {
        rows = w.grid()->Rows() - 1;
        w.DoCommand("SaveFile");
    });
    ITarvoArchive component;
    component.Show(login, "bank", "");
    ASSERT_EQ(rows, kAccounts);
    ASSERT_EQ(suite::lastExportOutcome().result, 0)
        << suite::lastExportOutcome().error.toStdString();

    QProcess reader;
    reader.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    ASSERT_TRUE(reader.waitForFinished(60000));
    ASSERT_EQ(reader.exitCode(), 0);
    QStringList pages = QString::fromUtf8(reader.readAllStandardOutput()).split(u'\f');
    if (pages.last().trimmed().isEmpty())
        pages.removeLast();
    const int total = int(pages.size());
    ASSERT_GT(total, 2);
    // The reader renders some ideographs as their radical look-alikes, so only characters
    // without such twins are matched, and spacing is left out of the comparison.
    static const QRegularExpression footer(
        QStringLiteral("第\\s*(\\d+)\\s*\\S\\s*/\\s*共\\s*(\\d+)"));
    for (int p = 0; p < total; ++p) {
        const auto m = footer.match(pages[p]);
        ASSERT_TRUE(m.hasMatch()) << "page number on page " << p + 1;
        EXPECT_EQ(m.captured(1).toInt(), p + 1);
        EXPECT_EQ(m.captured(2).toInt(), total);
        EXPECT_TRUE(pages[p].contains(QStringLiteral("序号"))) << "header on page " << p + 1;
        EXPECT_TRUE(pages[p].contains(QStringLiteral("本单位开"))) << "title on " << p + 1;
    }
    const QString all = pages.join(u'\n');
    static const QRegularExpression number(QStringLiteral("6222020\\d{12}"));
    QHash<QString, int> seen;
    for (auto m = number.globalMatch(all); m.hasNext();)
        ++seen[m.next().captured(0)];
    EXPECT_EQ(seen.size(), kAccounts);
    for (int i = 1; i <= kAccounts; ++i)
        EXPECT_EQ(seen.value(accountNumber(i)), 1) << "account " << i;
}

TEST_F(LongListTest, TheHostExportsForScriptsAndFailsLoudly) {
    QString errors;
    const QString xlsx = dir.filePath("banks.xlsx");
    ASSERT_EQ(runHost({"--archive", "bank", "--sysid", "NB", "--export", xlsx}, &errors), 0)
        << errors.toStdString();
    const auto sheet = XlsxSheet::read(xlsx);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->lastRow(), kAccounts + 1);
    EXPECT_EQ(sheet->at("C2").value, accountNumber(1)) << "ordered by code, account as text";
    EXPECT_EQ(sheet->at("C2").type, "inlineStr");

    EXPECT_NE(runHost({"--archive", "bank", "--export", dir.filePath("banks.txt")}, &errors), 0);
    EXPECT_TRUE(errors.contains(".txt") || errors.contains("txt")) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("banks.txt")));
}
