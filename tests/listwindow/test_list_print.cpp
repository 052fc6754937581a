#include "Eventually.h"
#include "ListWindowFixture.h"
#include "PrintControl.h"

#include "PrintData.h"
#include "PrintPreviewDialog.h"
#include <QAction>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace tarvo;

namespace {

/// Runs act on the next modal dialog of type T once it shows; records that it came, and
/// closes it if act leaves it open.
template <typename T>
[[nodiscard]] std::shared_ptr<QObject> onNextDialog(std::shared_ptr<bool> seen,
                                                    std::function<void(T&)> act) {
    auto timer = std::make_shared<QTimer>();
    timer->setInterval(20);
    QObject::connect(timer.get(), &QTimer::timeout, [t = timer.get(), seen, act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        t->stop();
        *seen = true;
        act(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start();
    return timer;
}

struct ListPrintTest : ListWindowTest {
    QTemporaryDir dir;
    ListPrintTest() {
        h.configurePub = [](RecordingPub& p) { p.realPrinting = true; };
    }
    ~ListPrintTest() override { suite::setUnattendedExportPath({}); }
    QString storedStyle() {
        return h
            .scalar("select cStyle from tarvo_print_style where cUserId = 'demo' and "
                    "cArchive = 'aa_bank'")
            .toString();
    }
};

} // namespace

TEST_F(ListWindowTest, EveryPrintKeyOnAnEmptyListSaysThereIsNoDataAndTouchesNothing) {
    withList("aa_bank", "", [&](FrmMain& w) {
        refreshList(w, "1=0");
        ASSERT_EQ(w.grid()->Rows(), 1);
        for (const char* key : {"SetUp", "PRINT", "preview", "SaveFile"}) {
            w.printControl()->setVisible(true);
            const int m = mark();
            w.PrintAll(key, w.grid());
            waitForOutput(w);
            EXPECT_EQ(callsSince(m), QStringList("MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.nodata,64,"
                                                 "res:Tarvo.AA.ARCHIVE.COMMON.information)"))
                << key;
            EXPECT_FALSE(w.printControl()->Visible()) << key;
        }
    });
}

TEST_F(ListWindowTest, PlaceholderStyleTheControlRefusesEndsTheCommandSilently) {
    withList("aa_bank", "", [&](FrmMain& w) {
        const int m = mark();
        runCommand(w, "Print");
        EXPECT_EQ(callsSince(m),
                  QStringList(
                      {"HelpShow(TarvoArchive,Print,FrmMain)",
                       "HelpHide(TarvoArchive,Print,FrmMain)", "GetPrnStyleFile(aa_bank,Grid)",
                       "GetPrnDataFile(res:Tarvo.AA.ARCHIVE.aa_bankarch,001,demo,演示用户,Grid)"}));
    });
}

TEST_F(ListPrintTest, PageSetUpStoresTheStyleOnlyWhenConfirmedAndTheNextWindowUsesIt) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto seen = std::make_shared<bool>(false);
        auto cancel = onNextDialog<QPageSetupDialog>(seen, [](QPageSetupDialog& d) { d.reject(); });
        const int m = mark();
        runCommand(w, "setup");
        EXPECT_TRUE(*seen);
        EXPECT_TRUE(h.pub()->callsOf("SavePrnStyle").isEmpty());
        EXPECT_EQ(callsSince(m).filter("SavePrnStyle").size(), 0);

        *seen = false;
        bool offeredFit = false;
        auto confirm = onNextDialog<QPageSetupDialog>(seen, [&](QPageSetupDialog& d) {
            d.findChild<QRadioButton*>("portrait")->click();
            d.findChild<QDoubleSpinBox*>("topMargin")->setValue(25);
            auto* fit = d.findChild<QCheckBox*>("PrnFitWidth");
            if (fit) {
                offeredFit = fit->isVisible() && !fit->isChecked() && fit->text() == "适应页宽";
                fit->click();
            }
            d.accept();
        });
        runCommand(w, "SETUP");
        EXPECT_TRUE(*seen);
        EXPECT_TRUE(offeredFit) << "fitting to the page width is offered, off at first";
        const QStringList saves = h.pub()->callsOf("SavePrnStyle");
        ASSERT_EQ(saves.size(), 1);
        EXPECT_TRUE(saves[0].startsWith("SavePrnStyle(aa_bank,<PrintStyle"))
            << saves[0].toStdString();
    });
    const auto stored = suite::PrintStyle::fromXml(storedStyle());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->page.orientation(), QPageLayout::Portrait);
    EXPECT_NEAR(stored->page.margins(QPageLayout::Millimeter).top(), 25, 0.5);
    EXPECT_TRUE(stored->fitWidth);

    // A new window of the same archive offers the stored page set-up.
    withList("aa_bank", "", [&](FrmMain& w) {
        auto seen = std::make_shared<bool>(false);
        bool portrait = false;
        double top = 0;
        bool fitted = false;
        auto look = onNextDialog<QPageSetupDialog>(seen, [&](QPageSetupDialog& d) {
            portrait = d.findChild<QRadioButton*>("portrait")->isChecked();
            top = d.findChild<QDoubleSpinBox*>("topMargin")->value();
            const auto* fit = d.findChild<QCheckBox*>("PrnFitWidth");
            fitted = fit && fit->isChecked();
            d.reject();
        });
        runCommand(w, "SetUp");
        EXPECT_TRUE(*seen);
        EXPECT_TRUE(portrait);
        EXPECT_NEAR(top, 25, 0.5);
        EXPECT_TRUE(fitted);
    });
}

TEST_F(ListPrintTest, ExportAsksTheDatabaseForColumnTypesWithTopZeroAndReportsTheFile) {
    const QString file = dir.filePath("banks.csv");
    suite::setUnattendedExportPath(file);
    withList("aa_bank", "", [&](FrmMain& w) {
        const int s = sqlMark();
        const int m = mark();
        runCommand(w, "savefile");
        const QStringList statements = h.sql.mid(s);
        ASSERT_EQ(statements.size(), 1);
        EXPECT_TRUE(statements[0].startsWith("select top 0 ")) << statements[0].toStdString();
        EXPECT_TRUE(statements[0].contains(" from aa_bank"));
        EXPECT_EQ(callsSince(m).filter("GetTypeSize").value(0), "GetTypeSize(9,Grid)");
        EXPECT_EQ(callsSince(m).filter("PrintMsg").value(0), "PrintMsg(aa_bank,0)");
    });
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("银行名称")));
    EXPECT_TRUE(text.contains(QStringLiteral("中国工商银行")));
}

TEST_F(ListPrintTest, MenusToolbarAndKeysReachPrintAndPreview) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto seen = std::make_shared<bool>(false);
        QWidget* previewParent = nullptr;
        auto preview = onNextDialog<suite::PrintPreviewDialog>(
            seen, [&](suite::PrintPreviewDialog& d) { previewParent = d.parentWidget(); });
        w.findChild<QAction*>("mPreview")->trigger();
        waitForOutput(w);
        EXPECT_TRUE(*seen);
        EXPECT_EQ(previewParent, &w) << "the list window owns the preview";

        *seen = false;
        auto print = onNextDialog<QPrintDialog>(seen, [](QPrintDialog& d) { d.reject(); });
        w.findChild<QAction*>("Tlb_Print")->trigger();
        waitForOutput(w);
        EXPECT_TRUE(*seen) << "toolbar";

        *seen = false;
        auto byKey = onNextDialog<QPrintDialog>(seen, [](QPrintDialog& d) { d.reject(); });
        w.findChild<suite::KeyHook*>("MoxFrmKeyHook")->attach(&w);
        QTest::keyClick(w.grid(), Qt::Key_P, Qt::ControlModifier);
        waitForOutput(w);
        EXPECT_TRUE(*seen) << "Ctrl+P";
    });
}

TEST_F(ListPrintTest, PrintingThroughThePrintDialogWritesTheListsPages) {
    const QString pdf = dir.filePath("printed.pdf");
    QStringList names;
    withList("aa_bank", "", [&](FrmMain& w) {
        for (int r = 1; r < w.grid()->Rows(); ++r)
            names << w.grid()->TextMatrix(r, 2);
        auto seen = std::make_shared<bool>(false);
        auto print = onNextDialog<QPrintDialog>(seen, [&](QPrintDialog& d) {
            // With no printer installed the dialog offers printing to a file.
            auto* name = d.findChild<QLineEdit*>("filename");
            ASSERT_TRUE(name);
            name->setText(pdf);
            d.accept();
        });
        runCommand(w, "Print");
        EXPECT_TRUE(*seen);
    });
    QProcess reader;
    reader.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    ASSERT_TRUE(reader.waitForFinished(30000));

    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("编码"))) << "the header row";
    EXPECT_TRUE(text.contains(QStringLiteral("中国")));
    for (const char* code : {"102", "103", "104", "105"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(code))) << code;
    // A printed file is searched like an exported one: every bank's name reads back as shown.
    ASSERT_TRUE(names.contains(QStringLiteral("中国工商银行")));
    for (const QString& name : names)
        EXPECT_TRUE(text.contains(name)) << name.toStdString();
}

TEST_F(ListPrintTest, AnAccountsPropertyShowsAsItsWordsInTheGridAndTheExport) {
    // A code no word stands for, written by another program, shows as it is stored.
    h.exec("update bank set iAccProperty = 7 where cBCode = '03'");
    const QString file = dir.filePath("accounts.csv");
    suite::setUnattendedExportPath(file);
    QStringList words;
    withList("bank", "NB", [&](FrmMain& w) {
        suite::Grid* grid = w.grid();
        int col = 0;
        for (int c = 1; c < grid->Cols(); ++c)
            if (grid->TextMatrix(0, c) == u"账户属性")
                col = c;
        ASSERT_GT(col, 0);
        QMap<QString, QString> shown;
        for (int r = 1; r < grid->Rows(); ++r)
            shown[grid->TextMatrix(r, 1)] = grid->TextMatrix(r, col);
        words = ArchiveSession::current().AccPropertyText;
        ASSERT_EQ(words.size(), 3);
        EXPECT_EQ(shown.value("01"), words[0]);
        EXPECT_EQ(shown.value("02"), words[1]);
        EXPECT_EQ(shown.value("03"), "7");
        runCommand(w, "savefile");
    });
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains(words.value(0))) << text.toStdString();
    EXPECT_TRUE(text.contains(words.value(1)));
}

TEST_F(ListPrintTest, ThePrintDataIsAnOwnerOnlyFileGoneOnceThePreviewCloses) {
    const QDir folder = QFileInfo(suite::newPrintDataFile()).dir();
    const auto dataFiles = [&] {
        return folder.entryInfoList({"data-*.xml"}, QDir::Files | QDir::Hidden);
    };
    for (const QFileInfo& f : dataFiles())
        QFile::remove(f.filePath());
    // Group and others: none of read, write or search.
    constexpr int kOthers = 0x0077;
    EXPECT_EQ(QFileInfo(folder.path()).permissions() & kOthers, 0)
        << "nobody else may look into the folder";
    QFileInfoList whileShown;
    withList("aa_bank", "", [&](FrmMain& w) {
        auto seen = std::make_shared<bool>(false);
        auto preview = onNextDialog<suite::PrintPreviewDialog>(
            seen, [&](suite::PrintPreviewDialog&) { whileShown = dataFiles(); });
        runCommand(w, "Preview");
        EXPECT_TRUE(*seen);
    });
    ASSERT_EQ(whileShown.size(), 1);
    EXPECT_EQ(whileShown[0].permissions() & kOthers, 0);
    EXPECT_TRUE(dataFiles().isEmpty());
    // A removed file held open would keep its space on disk until the list window closes.
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : descriptors.entryInfoList(QDir::System | QDir::Files))
        EXPECT_FALSE(fd.symLinkTarget().startsWith(folder.path()))
            << fd.symLinkTarget().toStdString();
}

TEST_F(ListPrintTest, TheWindowAnswersWhileTheListIsWrittenOutAndEscStopsItLeavingNothing) {
    const QString file = dir.filePath("stopped.csv");
    suite::setUnattendedExportPath(file);
    const QDir folder = QFileInfo(suite::newPrintDataFile()).dir();
    const auto dataFiles = [&] {
        return folder.entryList({"data-*.xml"}, QDir::Files | QDir::Hidden);
    };
    for (const QString& f : dataFiles())
        QFile::remove(folder.filePath(f));
    std::atomic<bool> heldUntilStopped = false;
    withList("aa_bank", "", [&](FrmMain& w) {
        // The data is written for as long as nobody stops it (ten seconds at most).
        h.pub()->whileWritingData = [&](const WorkProgress& progress) {
            QDeadlineTimer limit(10000);
            while (progress.goOn(0) && !limit.hasExpired())
                QThread::msleep(1);
            heldUntilStopped = !limit.hasExpired();
        };
        bool timerFired = false;
        QTimer::singleShot(20, [&] { timerFired = true; });
        const int m = mark();
        w.DoCommand("SaveFile");
        EXPECT_TRUE(w.isPrinting());
        EXPECT_EVENTUALLY(timerFired);
        EXPECT_TRUE(w.isPrinting()) << "the timer fired while the data was written";
        EXPECT_TRUE(w.findChild<suite::StatusBar*>()->PanelText(3).startsWith("正在准备打印数据"));

        // Commands wait: neither a key nor a toolbar button starts one meanwhile.
        QTest::keyClick(w.grid(), Qt::Key_F9);
        w.findChild<QAction*>("Tlb_Print")->trigger();
        EXPECT_TRUE(callsSince(m).filter("HelpShow(").size() == 1)
            << callsSince(m).join("\n").toStdString();

        QTest::keyClick(w.grid(), Qt::Key_Escape);
        waitForOutput(w);
        EXPECT_TRUE(heldUntilStopped) << "Esc stopped the writing";
        EXPECT_TRUE(callsSince(m).filter("PrintMsg").isEmpty()) << "a stop is not a failure";
        EXPECT_FALSE(QFile::exists(file));
        EXPECT_TRUE(dataFiles().isEmpty());

        // Once stopped the window takes commands again, and the export runs through.
        h.pub()->whileWritingData = nullptr;
        runCommand(w, "SaveFile");
        EXPECT_EQ(callsSince(m).filter("PrintMsg").value(0), "PrintMsg(aa_bank,0)");
    });
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EVENTUALLY(dataFiles().isEmpty());
}
