// A long bank-account list through the running component: its PDF read back with a real PDF
// reader, and the desktop host's export for scripts.
#include "ComponentHarness.h"
#include "ComponentRegistration.h"
#include "FrmMain.h"
#include "Grid.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "PdfGlyphNames.h"
#include "PdfText.h"
#include "PrintControl.h"
#include "PrintData.h"
#include "SampleAccounts.h"
#include "SuiteContext.h"
#include "SuiteRegistration.h"
#include "TempDatabase.h"
#include "XlsxSheet.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

constexpr int kAccounts = 1000;

QString accountNumber(int i) {
    return QStringLiteral("6222020%1").arg(i, 12, 10, QLatin1Char('0'));
}

/// A list of sample accounts in the running component, saved as a PDF as a script would.
struct ListPdfTest : ::testing::Test {
    TempDatabase temp;
    QTemporaryDir dir;
    const QString pdf = dir.filePath("banks.pdf");
    void SetUp() override {
        suite::registerSuiteClasses();
        tarvoArchiveRegisterClasses();
        storeSampleAccounts(temp.name(), accounts());
    }
    void TearDown() override {
        suite::setUnattendedExportPath({});
        suite::setUnattended(false);
    }
    virtual QList<SampleAccount> accounts() const = 0;
    /// Shows the bank-account list, lets inspect read it, and saves it as the PDF.
    void savePdf(const std::function<void(FrmMain&)>& inspect) {
        QString error;
        auto login = suite::Login::logIn(temp.name(), "demo", error);
        ASSERT_TRUE(login) << error.toStdString();
        suite::setUnattended(true);
        suite::setUnattendedExportPath(pdf);
        auto watch = whenListWindowShown([&](FrmMain& w) {
            inspect(w);
            w.DoCommand("SaveFile");
            EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isPrinting(); }, 60000));
        });
        ITarvoArchive component;
        component.Show(login, "bank", "");
        ASSERT_EQ(suite::lastExportOutcome().result, 0)
            << suite::lastExportOutcome().error.toStdString();
    }
};

struct LongListTest : ListPdfTest {
    QList<SampleAccount> accounts() const override {
        QList<SampleAccount> out;
        for (int i = 1; i <= kAccounts; ++i)
            out.append({QStringLiteral("T%1").arg(i, 4, 10, QLatin1Char('0')), accountNumber(i),
                        QStringLiteral("测试账户%1").arg(i), i * 10.5});
        return out;
    }
    int runHost(const QStringList& args, QString* errors) {
        QProcess host;
        host.start(TARVO_ARCHIVE_EXE, QStringList({"--db", temp.name()}) + args);
        EXPECT_TRUE(host.waitForFinished(90000));
        *errors = QString::fromUtf8(host.readAllStandardError());
        return host.exitCode();
    }
};

// Names with ideographs the CJK fonts draw with their radicals' glyphs (行, 户), a text that
// would start a formula and digits after letters, which shaping gives alternate glyphs.
struct SearchablePdfTest : ListPdfTest {
    QList<SampleAccount> accounts() const override {
        const QStringList names = {"银行存款户", "=SUM(1+1)", "行政户（银行）", "Account 1a2b",
                                   "基本户"};
        QList<SampleAccount> out;
        for (int i = 0; i < names.size(); ++i)
            out.append({QStringLiteral("S%1").arg(i), accountNumber(i), names[i], 10.25 * i});
        return out;
    }
};

} // namespace

TEST_F(LongListTest, PdfOfAThousandAccountsHoldsEveryRowOnceAndAHeaderOnEveryPage) {
    int rows = 0;
    ASSERT_NO_FATAL_FAILURE(savePdf([&](FrmMain& w) { rows = w.grid()->Rows() - 1; }));
    ASSERT_EQ(rows, kAccounts);

    const QStringList pages = pdfPages(pdf);
    const int total = int(pages.size());
    ASSERT_GT(total, 2);
    // Spacing is left out of the comparison.
    static const QRegularExpression footer(
        QStringLiteral("第\\s*(\\d+)\\s*页\\s*/\\s*共\\s*(\\d+)"));
    for (int p = 0; p < total; ++p) {
        const auto m = footer.match(pages[p]);
        EXPECT_TRUE(m.hasMatch()) << "page number on page " << p + 1;
        if (m.hasMatch()) {
            EXPECT_EQ(m.captured(1).toInt(), p + 1);
            EXPECT_EQ(m.captured(2).toInt(), total);
        }
        EXPECT_TRUE(pages[p].contains(QStringLiteral("序号"))) << "header on page " << p + 1;
        EXPECT_TRUE(pages[p].contains(QStringLiteral("本单位开户银行"))) << "title on " << p + 1;
    }
    EXPECT_EQ(pdfTitle(pdf), QStringLiteral("本单位开户银行")) << "the list's title, not its table";
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

TEST_F(SearchablePdfTest, TheTextReadBackIsTheTextShownInEveryCell) {
    QStringList rowTexts;
    QString captions;
    ASSERT_NO_FATAL_FAILURE(savePdf([&](FrmMain& w) {
        const auto* grid = w.grid();
        for (int r = 0; r < grid->Rows(); ++r) {
            QStringList shown;
            for (int c = 0; c < grid->Cols(); ++c)
                if (grid->ColWidth(c) > 0)
                    shown << grid->TextMatrix(r, c);
            (r == 0 ? captions : rowTexts.emplace_back()) = shown.join(u'|');
        }
    }));
    ASSERT_EQ(rowTexts.size(), 5);

    const QString text = pdfText(pdf);
    const int pages = int(text.count(u'\f'));
    ASSERT_GE(pages, 1);
    const QString bank = QStringLiteral("银行");
    const qsizetype inRows = rowTexts.join(u'\n').count(bank);
    // Every page has the list's title (本单位开户银行); each caption but the repeated serial
    // number's is printed once.
    EXPECT_EQ(text.count(bank), inRows + captions.count(bank) + pages);
    EXPECT_FALSE(text.contains(QChar(0x2F8F)) || text.contains(QChar(0x2F3E)));

    for (const QString& shown :
         {QStringLiteral("=SUM(1+1)"), QStringLiteral("Account 1a2b"), QStringLiteral("基本户"),
          QStringLiteral("行政户（银行）"), QStringLiteral("银行存款户")}) {
        const auto row = std::find_if(rowTexts.begin(), rowTexts.end(),
                                      [&](const QString& r) { return r.contains(shown); });
        EXPECT_NE(row, rowTexts.end()) << shown.toStdString();
        if (row == rowTexts.end())
            continue;
        const QString cell = row->split(u'|').filter(shown).constFirst();
        EXPECT_TRUE(text.contains(cell)) << cell.toStdString() << "\n" << text.toStdString();
    }
}

TEST(PdfLayout, NumbersAndDatesNeverWrapWhileTextsStillDo) {
    suite::PrintStyle style;
    style.archive = "bank";
    style.columns = {{"编码", 600, Qt::AlignLeft, suite::CellKind::Text, -1},
                     {"账户名称", 1400, Qt::AlignLeft, suite::CellKind::Text, -1},
                     {"当前余额", 900, Qt::AlignRight, suite::CellKind::Number, 2},
                     {"开户日期", 500, Qt::AlignLeft, suite::CellKind::Date, -1}};
    const QString name = QStringLiteral("一个很长的账户名称需要在单元格中换成好几行才放得下");
    QString data;
    suite::PrintDataWriter w(&data, {"银行账号", "001", "demo", "演示", "2026-12-08"});
    w.writeRow({"001", name, "12345678901234.56", "2024-01-31"});
    w.writeRow({"002", "短名", "-9876543210.5", "2019-07-01"});
    w.finish();
    // On A4 the columns widen; a page narrower than the amount sets it smaller instead.
    const QPageLayout narrow(QPageSize(QSizeF(30, 120), QPageSize::Millimeter),
                             QPageLayout::Portrait, QMarginsF(2, 2, 2, 2));
    for (const QPageLayout& page : {suite::PrintStyle::defaultPage(6000), narrow}) {
        SCOPED_TRACE("page " + std::to_string(page.fullRect().width()) + " wide");
        style.page = page;
        suite::PrintControl control;
        QString styleXml = style.toXml();
        if (control.SetDataStyleXML(data, true, styleXml, true, "Default") != 0) {
            ADD_FAILURE() << "the data and style were refused";
            continue;
        }
        QTemporaryDir dir;
        const QString pdf = dir.filePath("amounts.pdf");
        qint32 flags = 0;
        QString types = QStringLiteral("202,202,6,135");
        QString sizes = QStringLiteral("20,60,8,8");
        if (control.ExportToFile(flags, types, sizes, pdf, QString()) != 0) {
            ADD_FAILURE() << "the export failed";
            continue;
        }

        const QString text = pdfText(pdf);
        for (const char* whole :
             {"12,345,678,901,234.56", "-9,876,543,210.50", "2024-01-31", "2019-07-01"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(whole)))
                << whole << " on " << page.fullRect().width() << "\n"
                << text.toStdString();
        EXPECT_FALSE(text.contains(name)) << "a long name still wraps";
        EXPECT_TRUE(text.contains(name.left(4)));
    }
}

TEST(PdfLayout, FittedToThePageWidthAllColumnsGoOnOnePageAndRowNumbersHaveNoSeparators) {
    suite::PrintStyle style;
    style.archive = "bank";
    style.columns = {{"序号", 700, Qt::AlignHCenter, suite::CellKind::Number, 0}};
    style.columns[0].grouped = false;
    for (int i = 1; i <= 8; ++i)
        style.columns << suite::PrintColumn{QStringLiteral("栏目%1").arg(i), 2500, Qt::AlignLeft,
                                            suite::CellKind::Text, -1};
    style.page = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QString data;
    suite::PrintDataWriter w(&data, {"银行账号", "001", "demo", "演示", "2026-12-08"});
    for (const char* number : {"119989", "1234567"}) {
        QStringList row = {number};
        for (int i = 1; i <= 8; ++i)
            row << QStringLiteral("值%1").arg(i);
        w.writeRow(row);
    }
    w.finish();
    QTemporaryDir dir;
    for (const bool fit : {false, true}) {
        SCOPED_TRACE(fit ? "fitted" : "in bands");
        style.fitWidth = fit;
        suite::PrintControl control;
        QString styleXml = style.toXml();
        ASSERT_EQ(control.SetDataStyleXML(data, true, styleXml, true, "Default"), 0);
        const QString pdf = dir.filePath(fit ? "fitted.pdf" : "bands.pdf");
        qint32 flags = 0;
        QString types = QStringLiteral("3") + QStringLiteral(",202").repeated(8);
        QString sizes = QStringLiteral("4") + QStringLiteral(",20").repeated(8);
        ASSERT_EQ(control.ExportToFile(flags, types, sizes, pdf, QString()), 0);

        const QStringList pages = pdfPages(pdf);
        const QString text = pages.join(u'\n');
        EXPECT_TRUE(text.contains("119989") && text.contains("1234567")) << text.toStdString();
        EXPECT_FALSE(text.contains("119,989") || text.contains("1,234,567"));
        EXPECT_EQ(pdfTitle(pdf), QStringLiteral("银行账号"));
        if (!fit) {
            EXPECT_GE(pages.size(), 3) << "the columns need three widths of the page";
            EXPECT_FALSE(pages[0].contains(QStringLiteral("栏目8")));
            continue;
        }
        ASSERT_EQ(pages.size(), 1);
        for (int i = 1; i <= 8; ++i)
            EXPECT_TRUE(pages[0].contains(QStringLiteral("栏目%1").arg(i))) << i;
        EXPECT_TRUE(pages[0].contains(QStringLiteral("值8")));
    }
}

TEST(PdfGlyphNames, AnUpdateRenamesGlyphsInEveryMapFormAndChainsToTheWrittenFile) {
    const QByteArray cmap = "begincmap\n1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n"
                            "2 beginbfrange\n<0001> <0003> <2F8F>\n<0004> <0005> [<0009> <0041>]\n"
                            "endbfrange\n1 beginbfchar\n<0006> <2F3E>\nendbfchar\nendcmap\n";
    QByteArray pdf = "%PDF-1.4\n1 0 obj\n<< /Type /Font /ToUnicode 2 0 R >>\nendobj\n";
    pdf += "2 0 obj\n<< /Length " + QByteArray::number(cmap.size()) + " >>\nstream\n" + cmap +
           "\nendstream\nendobj\n";
    const QByteArray xref = QByteArray::number(pdf.size());
    pdf += "xref\n0 3\n0000000000 65535 f \n0000000009 00000 n \n0000000060 00000 n \n"
           "trailer\n<< /Size 3 /Root 1 0 R >>\nstartxref\n" +
           xref + "\n%%EOF\n";

    const auto nothing = suite::PdfGlyphNames::update(pdf, {{0x2F00, 0x4E00}});
    EXPECT_TRUE(nothing && nothing->isEmpty()) << "nothing to rename leaves the file alone";
    const QByteArray added =
        suite::PdfGlyphNames::update(pdf, {{0x2F8F, 0x884C}, {0x0009, 0x0020}, {0x2F3E, 0x6237}})
            .value_or(QByteArray());
    ASSERT_FALSE(added.isEmpty());
    const QByteArray whole = pdf + added;
    for (const char* mapping : {"<0001> <884C>", "<0002> <2F90>", "<0003> <2F91>", "<0004> <0020>",
                                "<0005> <0041>", "<0006> <6237>"})
        EXPECT_TRUE(added.contains(mapping)) << mapping << "\n" << added.toStdString();
    EXPECT_TRUE(added.contains("/Prev " + xref)) << added.toStdString();
    EXPECT_TRUE(added.contains("/Root 1 0 R"));

    static const QRegularExpression entry(QStringLiteral("xref\\n2 1\\n(\\d{10}) 00000 n \\n"));
    const auto e = entry.match(QString::fromLatin1(added));
    ASSERT_TRUE(e.hasMatch()) << added.toStdString();
    EXPECT_TRUE(whole.mid(e.captured(1).toLongLong()).startsWith("2 0 obj\n"));
    static const QRegularExpression start(QStringLiteral("startxref\\n(\\d+)\\n%%EOF\\n$"));
    const auto s = start.match(QString::fromLatin1(added));
    ASSERT_TRUE(s.hasMatch());
    EXPECT_TRUE(whole.mid(s.captured(1).toLongLong()).startsWith("xref\n2 1\n"));
}

namespace {

QStringList warnings;

void keepWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtWarningMsg)
        warnings << text;
}

} // namespace

TEST(PdfGlyphNames, APdfLaidOutOtherwiseIsLeftAsWrittenAndSaysSo) {
    // A map compressed, one that cannot be found, and no trailer at all: layouts a future Qt
    // may write, none of which the mending understands.
    const QByteArray cmap = "1 beginbfchar\n<0006> <2F8F>\nendbfchar\n";
    const QByteArray head = "%PDF-1.4\n1 0 obj\n<< /Type /Font /ToUnicode 2 0 R >>\nendobj\n";
    const QByteArray tail = "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 3 /Root 1 0 R "
                            ">>\nstartxref\n9\n%%EOF\n";
    const std::pair<const char*, QByteArray> layouts[] = {
        {"a compressed map", head + "2 0 obj\n<< /Length " + QByteArray::number(cmap.size()) +
                                 " /Filter /FlateDecode >>\nstream\n" + cmap +
                                 "\nendstream\nendobj\n" + tail},
        {"a map that is not there", head + tail},
        {"no trailer", head + "2 0 obj\n<< /Length " + QByteArray::number(cmap.size()) +
                           " >>\nstream\n" + cmap + "\nendstream\nendobj\n"},
    };
    for (const auto& [why, pdf] : layouts)
        EXPECT_FALSE(suite::PdfGlyphNames::update(pdf, {{0x2F8F, 0x884C}})) << why;

    // A file: left as it was, with a warning in the log.
    suite::PdfGlyphNames names;
    names.note(QFont(QStringLiteral("Noto Sans CJK SC")), u"银行存款户");
    if (names.renames().isEmpty())
        GTEST_SKIP() << "no font here draws 行 or 户 with a radical's glyph";
    QTemporaryDir dir;
    const QString path = dir.filePath("other.pdf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(layouts[0].second);
    file.close();
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepWarnings);
    const auto mending = names.mendFile(path);
    qInstallMessageHandler(previous);
    EXPECT_EQ(mending, suite::PdfGlyphNames::Mending::NotUnderstood);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), layouts[0].second);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(path)) << warnings[0].toStdString();
}
