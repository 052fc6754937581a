#include "ListWindowFixture.h"
#include "Eventually.h"

#include "Edit.h"
#include "ResourceTable.h"
#include "SuiteContext.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>

using namespace tarvo;

namespace {

QLineEdit* searchBox(FrmMain& w) {
    auto* box = w.findChild<QLineEdit*>("txtQuickSearch");
    EXPECT_NE(box, nullptr);
    return box;
}

/// A window of ordinary size, its toolbar across it as the suite's frmResizeNew lays it out.
void ordinarySize(FrmMain& w) {
    w.resize(1000, 600);
    auto* tlb = w.findChild<QToolBar*>("Tlb");
    tlb->setGeometry(0, 0, w.width(), tlb->sizeHint().height());
}

QString rowCountText(FrmMain& w) {
    return w.findChild<suite::StatusBar*>("Stb")->PanelText(3);
}

/// The texts of one grid column, over the data rows shown.
QStringList column(FrmMain& w, int col) {
    QStringList out;
    for (int r = 1; r < w.grid()->Rows(); ++r)
        out << w.grid()->TextMatrix(r, col);
    return out;
}

/// The search box with the keyboard, and the window's key hook reporting as the suite's hook()
/// makes it.
QLineEdit* focusedBox(FrmMain& w) {
    w.findChild<suite::KeyHook*>("MoxFrmKeyHook")->attach(&w);
    ordinarySize(w);
    w.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    QLineEdit* box = searchBox(w);
    box->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->hasFocus(); }));
    return box;
}

} // namespace

TEST_F(ListWindowTest, TheSearchBoxStaysInSightAtAnyWidthAfterTheButtonsAddedLast) {
    h.configurePub = [](RecordingPub& p) { p.realLayout = true; };
    for (const char* language : {"en-US", "zh-CN"}) {
        suite::setSessionLanguage(language);
        withList("bank", "NB", [&](FrmMain& w) {
            const QList<QAction*> actions = w.findChild<QToolBar*>("Tlb")->actions();
            const auto exit = actions.indexOf(w.findChild<QAction*>("Tlb_Exit"));
            EXPECT_EQ(exit, 16) << "the designed buttons keep their places";
            EXPECT_GT(actions.indexOf(w.findChild<QAction*>("Tlb_History")), exit);
            EXPECT_GT(actions.indexOf(w.findChild<QAction*>("Tlb_Import")), exit);
            QLineEdit* box = searchBox(w);
            for (int width : {1280, 760, 480}) {
                w.resize(width, 600);
                const QString where = QStringLiteral("%1 at %2 px").arg(language).arg(width);
                EXPECT_TRUE(box->isVisible()) << where.toStdString();
                EXPECT_LE(box->geometry().right(), w.width()) << where.toStdString();
                EXPECT_GE(box->x(), w.findChild<QToolBar*>("Tlb")->geometry().right())
                    << where.toStdString() << ": the toolbar does not cover the box";
                if (width >= 760) {
                    EXPECT_GE(box->width(),
                              box->fontMetrics().horizontalAdvance(box->placeholderText()))
                        << where.toStdString() << ": the hint is shown whole";
                }
            }
        });
    }
    suite::setSessionLanguage("zh-CN");
}

TEST_F(ListWindowTest, TypingNarrowsTheListAndTheCountFollows) {
    withList("aa_bank", "", [&](FrmMain& w) {
        const int all = w.grid()->Rows() - 1;
        QLineEdit* box = focusedBox(w);
        QTest::keyClicks(box, "gsyh");
        EXPECT_EQ(column(w, 2), QStringList{"中国工商银行"});
        EXPECT_EQ(rowCountText(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|1");
        EXPECT_EQ(w.grid()->Row(), 1);
        EXPECT_EQ(w.grid()->TextMatrix(1, 0), "1") << "the shown rows are numbered anew";

        for (int i = 0; i < 3; ++i)
            QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_GT(w.grid()->Rows() - 1, 1) << "a shorter text widens the list again";
        EXPECT_TRUE(column(w, 2).contains("中国光大银行"));

        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_EQ(box->text(), "");
        EXPECT_EQ(w.grid()->Rows() - 1, all);
        EXPECT_EQ(rowCountText(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|" + QString::number(all));
        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_TRUE(w.isVisible()) << "Esc in an empty box leaves the window alone";

        const int m = mark();
        QTest::keyClicks(box, "zzzz");
        EXPECT_EQ(w.grid()->Rows(), 1) << "nothing matches: the header row only";
        EXPECT_EQ(w.grid()->Row(), 0);
        EXPECT_EQ(rowCountText(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|0");
        EXPECT_TRUE(callsSince(m).filter("MsgBox(").isEmpty());
        w.DoCommand("Modify");
        EXPECT_TRUE(callsSince(m).filter("IsLockFun(").isEmpty()) << "no row, no card";
    });
}

TEST_F(ListWindowTest, InputMethodCommitsAndPastesNarrowTheList) {
    withList("bank", "NB", [&](FrmMain& w) {
        QLineEdit* box = focusedBox(w);
        QInputMethodEvent preedit("jianhang", {});
        QApplication::sendEvent(box, &preedit);
        EXPECT_EQ(w.grid()->Rows(), 5) << "text still being composed narrows nothing";
        QInputMethodEvent commit;
        commit.setCommitString("建行");
        QApplication::sendEvent(box, &commit);
        EXPECT_EQ(column(w, 1), QStringList{"02"});

        box->clear();
        QApplication::clipboard()->setText("1000 0000-0044");
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(box->text(), "1000 0000-0044");
        EXPECT_EQ(column(w, 1), QStringList{"04"}) << "an account number typed with separators";
    });
}

TEST_F(ListWindowTest, AnAccountIsFoundByTheInterbankCodeOnItsSlip) {
    withList("bank", "NB", [&](FrmMain& w) {
        QLineEdit* box = focusedBox(w);
        QInputMethodEvent commit;
        commit.setCommitString("105290000002");
        QApplication::sendEvent(box, &commit);
        EXPECT_EQ(column(w, 1), QStringList{"02"});

        box->clear();
        QTest::keyClicks(box, "104581");
        EXPECT_EQ(column(w, 1), (QStringList{"03", "04"})) << "two accounts at one branch";
    });
}

TEST_F(ListWindowTest, DeleteInTheSearchBoxEditsTheTextOnly) {
    withList("bank", "NB", [&](FrmMain& w) {
        QLineEdit* box = focusedBox(w);
        h.pub()->msgBoxAnswer = 7;
        QTest::keyClicks(box, "zhonghang");
        EXPECT_EQ(column(w, 1), (QStringList{"03", "04"}));
        box->setCursorPosition(0);
        const int m = mark();
        QTest::keyClick(box, Qt::Key_Delete);
        EXPECT_EQ(box->text(), "honghang");
        EXPECT_TRUE(callsSince(m).filter("MsgBox(").isEmpty()) << "no record is offered for deletion";
        EXPECT_EQ(h.scalar("select count(*) from bank").toInt(), 4);
    });
}

TEST_F(ListWindowTest, RefreshKeepsTheListNarrowed) {
    withList("bank", "NB", [&](FrmMain& w) {
        QLineEdit* box = focusedBox(w);
        QTest::keyClicks(box, "zhonghang");
        ASSERT_EQ(column(w, 1), (QStringList{"03", "04"}));
        h.exec("update bank set cAccName = '示例公司中行备用户' where cBCode = '01'");
        h.exec("update bank set cAccName = '示例公司外币户' where cBCode = '04'");
        QTest::keyClick(box, Qt::Key_F9);
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_EQ(box->text(), "zhonghang");
        EXPECT_EQ(column(w, 1), (QStringList{"01", "03"})) << "the rows read again, narrowed";
        EXPECT_EQ(rowCountText(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|2");

        box->clear();
        EXPECT_EQ(w.grid()->Rows(), 5);
        EXPECT_EQ(rowCountText(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|4");
    });
}

TEST_F(ListWindowTest, TheCurrentRowStaysOnItsRecordAndCommandsActOnIt) {
    withList("aa_bank", "", [&](FrmMain& w) {
        QLineEdit* box = focusedBox(w);
        const int ccb = int(column(w, 2).indexOf("中国建设银行")) + 1;
        ASSERT_GT(ccb, 0);
        w.grid()->setRow(ccb);
        QTest::keyClicks(box, "zg");
        ASSERT_GT(w.grid()->Rows(), 3);
        EXPECT_EQ(w.grid()->TextMatrix(w.grid()->Row(), 2), "中国建设银行")
            << "still on the record it was on";
        QTest::keyClicks(box, "ny");
        EXPECT_EQ(w.grid()->TextMatrix(w.grid()->Row(), 2), "中国农业银行")
            << "its record gone: on the first row shown";

        w.grid()->Sort(1, false);
        box->clear();
        QStringList codes = column(w, 1);
        QStringList sorted = codes;
        std::sort(sorted.begin(), sorted.end(), std::greater<>());
        EXPECT_EQ(codes, sorted) << "a sort while narrowed orders the whole list";

        QTest::keyClicks(box, "jsyh");
        ASSERT_EQ(w.grid()->Rows(), 2);
        auto card = std::make_shared<CardSeen>();
        auto watch = closeNextCard(card);
        w.DoCommand("Modify");
        ASSERT_TRUE(card->shown);
        EXPECT_EQ(card->rowSel, 1);
        EXPECT_EQ(w.grid()->TextMatrix(card->rowSel, card->keyColumn), "105");
    });
}

/// A clerk narrows the list, adds a bank the search text does not find, and closes the card: the
/// list shows the new bank and stands on it instead of hiding it.
TEST_F(ListWindowTest, ABankSavedThatTheSearchWouldHideIsShownAndStoodOn) {
    withList("aa_bank", "", [&](FrmMain& w) {
        QTest::keyClicks(focusedBox(w), "jsyh");
        ASSERT_EQ(w.grid()->Rows(), 2);
        bool saved = false;
        QTimer act;
        act.setInterval(10);
        QObject::connect(&act, &QTimer::timeout, [&] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                auto* card = qobject_cast<FrmZAM*>(top);
                // The card takes input once its lock is in.
                if (!card || !card->isVisible() || card->reading())
                    continue;
                act.stop();
                auto* code = card->findChild<suite::Edit*>("EdtcBankCode");
                code->setFocus();
                QTest::keyClicks(code, "981");
                card->findChild<suite::Edit*>("EdtcBankName")->setText("搜索之外的银行");
                bool result = false;
                card->Operating("SaveRs", result);
                saved = result && code->text().isEmpty();
                card->close();
                return;
            }
        });
        act.start();
        const int m = mark();
        w.DoCommand("Add");
        ASSERT_TRUE(saved);
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_TRUE(searchBox(w)->text().isEmpty());
        EXPECT_TRUE(column(w, 1).contains("981"));
        const QStringList placed = callsSince(m).filter("SetGridRow(");
        ASSERT_FALSE(placed.isEmpty());
        EXPECT_TRUE(placed.last().startsWith("SetGridRow(Grid,981,")) << placed.last().toStdString();

        // A card closed without saving leaves the narrowing alone.
        QTest::keyClicks(focusedBox(w), "jsyh");
        auto card = std::make_shared<CardSeen>();
        auto watch = closeNextCard(card);
        w.DoCommand("Add");
        ASSERT_TRUE(card->shown);
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_EQ(searchBox(w)->text(), "jsyh");
        EXPECT_EQ(w.grid()->Rows(), 2);
    });
}

TEST(ListRowCount, TheCountReadsRightInEnglishForOneRecordAndForMany) {
    // The count goes to the status bar through the resource text, whose only value is the
    // count: the English text must not say "1 records".
    const auto count = [](int n) {
        return suite::ResourceTable::forLanguage("en-US").format("Tarvo.AA.ARCHIVE.COMMON.rstcount",
                                                                 {QString::number(n)});
    };
    EXPECT_EQ(count(1), "Records: 1");
    EXPECT_EQ(count(120000), "Records: 120000");
    EXPECT_EQ(suite::ResourceTable::forLanguage("zh-CN").format("Tarvo.AA.ARCHIVE.COMMON.rstcount",
                                                                {QStringLiteral("3")}),
              "共 3 条记录");
}

namespace {

/// Accounts enough for the search index to be read a slice at a time: M000001 … M0nnnnn, all
/// of one name, behind the four of the seed data.
void addAccounts(ComponentHarness& h, int n) {
    h.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
           "INSERT INTO bank (cBCode, cBAccount, cAccName, cCurrencyName, cBName, cBankCode) "
           "SELECT 'M' || substr('000000' || i, -6), '9559' || i, '示例公司户', '人民币', "
           "'示例支行', (SELECT min(cBankCode) FROM aa_bank) FROM n",
           {n});
}

QString indexState(FrmMain& w) {
    return w.findChild<suite::StatusBar*>("Stb")->PanelText(1);
}

bool indexRead(FrmMain& w) {
    return QTest::qWaitFor([&] { return indexState(w).isEmpty(); }, 60000);
}

} // namespace

TEST_F(ListWindowTest, AKeyTypedWhileTheIndexIsReadFindsTheRowsReadAfterIt) {
    addAccounts(h, 20000);
    h.exec("update bank set cAccName = '最后的备用户' where cBCode = 'M020000'");
    withList("bank", "NB", [&](FrmMain& w) {
        QLineEdit* box = focusedBox(w);
        QTest::keyClicks(box, "zhdby");
        EXPECT_TRUE(indexState(w).startsWith("正在建立搜索索引")) << indexState(w).toStdString();
        ASSERT_TRUE(indexRead(w));
        EXPECT_EQ(column(w, 1), QStringList{"M020000"});
        EXPECT_EQ(rowCountText(w), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|1");

        QTest::keyClick(box, Qt::Key_Backspace);
        EXPECT_EQ(column(w, 1), QStringList{"M020000"}) << "a verdict found while reading is whole";
    });
}

TEST_F(ListWindowTest, ARefreshWhileTheIndexIsReadThrowsTheOldIndexAway) {
    addAccounts(h, 20000);
    h.exec("update bank set cAccName = '最后的备用户' where cBCode = 'M020000'");
    withList("bank", "NB", [&](FrmMain& w) {
        QLineEdit* box = focusedBox(w);
        ASSERT_FALSE(indexState(w).isEmpty()) << "the box's first use starts the index";
        h.exec("update bank set cAccName = '示例公司户' where cBCode = 'M020000'");
        h.exec("update bank set cAccName = '最后的备用户' where cBCode = 'M010000'");
        h.exec("delete from bank where cBCode > 'M015000'");
        QTest::keyClick(box, Qt::Key_F9);
        QTest::keyClicks(box, "zhdby");
        // The old index may end before the refreshed rows come: until they do, the box
        // narrows the rows still shown. Once they are in, it narrows them with their own index.
        EXPECT_EVENTUALLY_WITHIN(!w.isReading() && indexState(w).isEmpty() &&
                                     column(w, 1) == QStringList{"M010000"},
                                 60000);
        EXPECT_EQ(column(w, 1), QStringList{"M010000"});
        box->clear();
        EXPECT_EQ(w.grid()->Rows() - 1, 15004);
    });
}

/// The first click into the box of a long list starts its index and returns at once: the
/// window's timers fire again and again while the index is read, and it ends found whole.
TEST_F(ListWindowTest, TheWindowAnswersWhileALongListsIndexIsReadAfterTheFirstClick) {
    addAccounts(h, 50000);
    h.exec("update bank set cAccName = '最后的备用户' where cBCode = 'M050000'");
    withList("bank", "NB", [&](FrmMain& w) {
        ordinarySize(w);
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        w.grid()->setFocus();
        QLineEdit* box = searchBox(w);
        int turnsWhileReading = 0;
        QTimer turns;
        QObject::connect(&turns, &QTimer::timeout, [&] {
            if (indexState(w).startsWith("正在建立搜索索引"))
                ++turnsWhileReading;
        });
        turns.start(1);
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_TRUE(box->hasFocus());
        EXPECT_TRUE(indexState(w).startsWith("正在建立搜索索引")) << indexState(w).toStdString();
        ASSERT_TRUE(indexRead(w));
        EXPECT_GE(turnsWhileReading, 3) << "the window answered while the index was read";

        QTest::keyClicks(box, "zhdby");
        EXPECT_EQ(column(w, 1), QStringList{"M050000"});
    });
}
