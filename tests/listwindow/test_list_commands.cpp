#include "ListWindowFixture.h"
#include "Eventually.h"
#include "SuiteContext.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolBar>

using namespace tarvo;

namespace {

/// The key the window reported last to the help service, i.e. the command it ran.
QString lastCommand(const QStringList& calls) {
    const QStringList helps = calls.filter("HelpShow(");
    return helps.isEmpty() ? QString() : helps.last().section(',', 1, 1);
}

} // namespace

TEST_F(ListWindowTest, EveryKeyOfTheKeyboardTableReachesItsCommand) {
    withList("aa_bank", "", [&](FrmMain& w) {
        // What the suite's hook() does: the window's key hook starts reporting.
        w.findChild<suite::KeyHook*>("MoxFrmKeyHook")->attach(&w);
        h.pub()->msgBoxAnswer = 7;
        QWidget* grid = w.grid();
        grid->setFocus();
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers mods;
            const char* command;
        } keys[] = {
            {Qt::Key_F3, Qt::ControlModifier, "Pos"},   {Qt::Key_F3, Qt::NoModifier, "Filter"},
            {Qt::Key_F3, Qt::ShiftModifier, "Filter"},  {Qt::Key_F3, Qt::AltModifier, "Filter"},
            {Qt::Key_Delete, Qt::NoModifier, "Delete"}, {Qt::Key_P, Qt::ControlModifier, "Print"},
            {Qt::Key_F1, Qt::NoModifier, "Help"},       {Qt::Key_F5, Qt::NoModifier, "Add"},
            {Qt::Key_F7, Qt::NoModifier, "Modify"},     {Qt::Key_F9, Qt::NoModifier, "Refresh"},
        };
        for (const auto& k : keys) {
            // A key given while the list is read again waits for its rows.
            EXPECT_EVENTUALLY(settled(w));
            auto card = std::make_shared<CardSeen>();
            auto watch = closeNextCard(card);
            const int m = mark();
            QTest::keyClick(grid, k.key, k.mods);
            waitForOutput(w);
            EXPECT_EQ(lastCommand(callsSince(m)), QString::fromLatin1(k.command)) << k.command;
        }
        const int m = mark();
        QTest::keyClick(grid, Qt::Key_P, Qt::NoModifier);
        QTest::keyClick(grid, Qt::Key_F4, Qt::NoModifier);
        EXPECT_TRUE(callsSince(m).filter("HelpShow(").isEmpty()) << "other keys are ignored";
        QTest::keyClick(grid, Qt::Key_F4, Qt::AltModifier);
        EXPECT_FALSE(w.isVisible()) << "Alt+F4 exits";
    });
}

TEST_F(ListWindowTest, CommandKeysIgnoreLetterCaseAndUnknownKeysOnlyNotifyHelp) {
    withList("aa_bank", "", [&](FrmMain& w) {
        int s = sqlMark();
        w.DoCommand("refresh");
        EXPECT_EVENTUALLY(settled(w));
        w.DoCommand("REFRESH");
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_EQ(h.sql.size() - s, 2);
        auto card = std::make_shared<CardSeen>();
        auto watch = closeNextCard(card);
        w.DoCommand("ADD");
        EXPECT_TRUE(card->shown);
        EXPECT_EQ(card->status, 1);
        EXPECT_EVENTUALLY(settled(w));

        const int m = mark();
        s = sqlMark();
        w.DoCommand("NoSuchKey");
        EXPECT_EQ(callsSince(m), QStringList("HelpShow(TarvoArchive,NoSuchKey,FrmMain)"));
        EXPECT_EQ(h.sql.size(), s);
    });
}

TEST_F(ListWindowTest, AddAndModifyTakeTheEditLockOpenTheCardAndReselect) {
    withList("aa_bank", "", [&](FrmMain& w) {
        w.grid()->setRow(3);
        w.m_KeyVal = "103";
        auto card = std::make_shared<CardSeen>();
        auto watch = closeNextCard(card);
        const int m = mark();
        w.DoCommand("Modify");
        ASSERT_TRUE(card->shown);
        EXPECT_EQ(card->status, 2);
        EXPECT_EQ(card->rowSel, 3);
        EXPECT_EQ(card->keyColumn, 1);
        EXPECT_EVENTUALLY(settled(w));
        const QStringList calls = callsSince(m);
        EXPECT_EQ(calls.filter(QRegularExpression("^(IsLockFun|LockRefusal)\\(")),
                  QStringList({"LockRefusal(db,demo,aa_bank,2)", "IsLockFun(db,demo,aa_bank,-2)"}));
        EXPECT_LT(calls.indexOf("SetGridRow(Grid,103,银行编码)"),
                  calls.indexOf("IsLockFun(db,demo,aa_bank,-2)"));
        EXPECT_GE(calls.indexOf("SetGridRow(Grid,103,银行编码)"), 0)
            << calls.join("\n").toStdString();
    });
}

TEST_F(ListWindowTest, ARefusedEditLockOpensNoCard) {
    h.configurePub = [](RecordingPub& p) { p.refusedLockModes = {2}; };
    withList("bank", "", [&](FrmMain& w) {
        auto card = std::make_shared<CardSeen>();
        auto watch = closeNextCard(card);
        const int m = mark();
        // The card asks for the lock beside the list: it says why it closes, once.
        w.DoCommand("Add");
        EXPECT_FALSE(card->shown) << "the card closes before it takes input";
        EXPECT_EQ(callsSince(m).filter("MsgBox("),
                  QStringList("MsgBox(res:Tarvo.SUITE.lock.held|bank,64,"
                              "res:Tarvo.AA.ARCHIVE.COMMON.information)"));
        const int d = mark();
        w.DoCommand("Delete");
        EXPECT_TRUE(callsSince(d).filter("MsgBox(").isEmpty()) << "the public services told";
        EXPECT_TRUE(callsSince(m).filter("IsLockFun(db,demo,bank,-2)").isEmpty());
    });
}

TEST_F(ListWindowTest, DoubleClickOnADataRowModifiesIt) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto card = std::make_shared<CardSeen>();
        auto watch = closeNextCard(card);
        w.grid()->setRow(2);
        const QRect cell = w.grid()->visualRect(w.grid()->model()->index(1, 1));
        QTest::mouseDClick(w.grid()->viewport(), Qt::LeftButton, {}, cell.center());
        ASSERT_TRUE(card->shown);
        EXPECT_EQ(card->status, 2);
        EXPECT_EQ(card->rowSel, 2);
    });
}

TEST_F(ListWindowTest, DeleteAnsweredNoRestoresThePositionAndReleasesTheLock) {
    // A bank the user entered and nothing uses: only such a one is asked about at all. Its
    // code sorts it into the third row.
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('1035', '待删银行')");
    withList("aa_bank", "", [&](FrmMain& w) {
        h.pub()->msgBoxAnswer = 7;
        w.grid()->setRow(3);
        const QString key = w.grid()->TextMatrix(3, w.m_KeyCol);
        ASSERT_EQ(key, "1035");
        const int rows = w.grid()->Rows();
        const int m = mark();
        w.DoCommand("Delete");
        const QStringList calls = callsSince(m);
        EXPECT_EQ(calls.value(1), "IsLockFun(db,demo,aa_bank,2)");
        EXPECT_EQ(calls.value(2), "MsgBox(res:Tarvo.AAARCHIVE.COMMON.del_arch_ornot|" + key +
                                      ",52,res:Tarvo.AA.ARCHIVE.COMMON.exclamation)");
        EXPECT_TRUE(calls.value(3).startsWith("SetGridRow(Grid,,,3,"));
        EXPECT_EQ(calls.value(4), "IsLockFun(db,demo,aa_bank,-2)");
        EXPECT_TRUE(calls.filter("DeleteStart(").isEmpty());
        EXPECT_EQ(w.grid()->Rows(), rows);
    });
}

TEST_F(ListWindowTest, DeleteAnsweredYesDeletesOrShowsTheRefusal) {
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('990', '待删银行')");
    withList("aa_bank", "", [&](FrmMain& w) {
        h.pub()->msgBoxAnswer = 6;
        const int rows = w.grid()->Rows();
        int row = 0;
        for (int r = 1; r < rows; ++r)
            if (w.grid()->TextMatrix(r, w.m_KeyCol) == "990")
                row = r;
        ASSERT_GT(row, 0);
        w.grid()->setRow(row);
        int m = mark();
        w.DoCommand("Delete");
        EXPECT_EVENTUALLY(settled(w));
        QStringList calls = callsSince(m);
        EXPECT_LT(calls.indexOf("DeleteStart(FrmMain)"), calls.indexOf("DeleteEnded(FrmMain)"));
        EXPECT_EQ(w.grid()->Rows(), rows - 1);
        EXPECT_TRUE(h.scalar("select cBankCode from aa_bank where cBankCode='990'").isNull());

        w.grid()->setRow(1); // a bank of the suite's own, which cannot be deleted
        m = mark();
        w.DoCommand("Delete");
        calls = callsSince(m);
        // The question first; the save service's refusal, with its reason, after the delete
        // has ended.
        QStringList boxes = calls.filter("MsgBox(");
        ASSERT_EQ(boxes.size(), 2) << calls.join("\n").toStdString();
        EXPECT_TRUE(boxes[0].contains("del_arch_ornot"));
        EXPECT_TRUE(boxes[1].contains("系统预置")) << boxes[1].toStdString();
        EXPECT_LT(calls.indexOf("DeleteEnded(FrmMain)"), calls.indexOf(boxes[1]));
        EXPECT_EQ(w.grid()->Rows(), rows - 1);

        // A bank of the user's own that bank accounts use is refused the same way, saying so.
        const QString used = w.grid()->TextMatrix(1, w.m_KeyCol);
        h.exec("update aa_bank set bSysData = 0 where cBankCode = ?", {used});
        m = mark();
        w.DoCommand("Delete");
        calls = callsSince(m);
        boxes = calls.filter("MsgBox(");
        ASSERT_EQ(boxes.size(), 2) << calls.join("\n").toStdString();
        EXPECT_TRUE(boxes[0].contains("del_arch_ornot|" + used));
        EXPECT_TRUE(boxes[1].contains("使用")) << boxes[1].toStdString();
        EXPECT_LT(calls.indexOf("DeleteEnded(FrmMain)"), calls.indexOf(boxes[1]));
        EXPECT_FALSE(h.scalar("select cBankCode from aa_bank where cBankCode=?", {used}).isNull());
    });
}

TEST_F(ListWindowTest, FilterRefreshesOnlyWithACondition) {
    withList("aa_bank", "", [&](FrmMain& w) {
        int s = sqlMark();
        w.DoCommand("Filter");
        EXPECT_EQ(h.sql.size(), s) << "a cancelled filter does no refresh";
        EXPECT_EQ(h.pub()->callsOf("Find").last(), "Find(银行档案,FrmMain,)");

        h.pub()->findAnswer = "(cBankName like '%建设%')";
        w.DoCommand("filter");
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_TRUE(h.sql.last().contains(" where (cBankName like '%建设%') and (1=1) Order By"));
        EXPECT_EQ(w.grid()->Rows(), 2);
    });
}

TEST_F(ListWindowTest, RefreshAndFilterStartAtTheFirstCell) {
    withList("aa_bank", "", [&](FrmMain& w) {
        ASSERT_GT(w.grid()->Rows(), 4);
        const auto moveAway = [&] {
            w.grid()->setRow(3);
            w.grid()->setCol(2);
        };
        moveAway();
        w.DoCommand("Refresh");
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_EQ(w.grid()->Row(), 1);
        EXPECT_EQ(w.grid()->Col(), 1);

        // After a filter the third row is another record: the list starts over at its top.
        moveAway();
        h.pub()->findAnswer = "(cBankName like '%银行%')";
        w.DoCommand("Filter");
        EXPECT_EVENTUALLY(settled(w));
        ASSERT_GT(w.grid()->Rows(), 3);
        EXPECT_EQ(w.grid()->Row(), 1);
        EXPECT_EQ(w.grid()->Col(), 1);
        EXPECT_EQ(w.grid()->TopRow(), 1);
    });
}

TEST_F(ListWindowTest, MenusAndOptionCommandsCallTheirServices) {
    withList("bank", "NB", [&](FrmMain& w) {
        const int m = mark();
        for (const char* item : {"mPos", "mFindSet", "mStb", "mText", "mPrintNo", "mAsc", "mDesc"})
            w.findChild<QAction*>(item)->trigger();
        const QStringList calls = callsSince(m);
        EXPECT_TRUE(calls.contains("FindPos(FrmMain,Grid)"));
        EXPECT_TRUE(calls.contains("FindSet(银行账号,FrmMain)"));
        EXPECT_TRUE(calls.contains("FrmOpt(FrmMain,mStb,res:Tarvo.AA.ARCHIVE.bankaccarch)"));
        EXPECT_TRUE(calls.contains("FrmOpt(FrmMain,mText,res:Tarvo.AA.ARCHIVE.bankaccarch)"));
        EXPECT_TRUE(calls.contains("FrmOpt(FrmMain,mPrintNo,res:Tarvo.AA.ARCHIVE.bankaccarch)"));
        EXPECT_TRUE(calls.contains("GridSort(FrmMain,Grid,1)"));
        EXPECT_TRUE(calls.contains("GridSort(FrmMain,Grid,2)"));
        EXPECT_GT(calls.indexOf(calls.filter("frmResizeNew(").value(0)),
                  calls.indexOf("FrmOpt(FrmMain,mStb,res:Tarvo.AA.ARCHIVE.bankaccarch)"))
            << "the status bar option lays the window out again";
    });
}

TEST_F(ListWindowTest, TheStatusBarClockTogglesOnEachClick) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto* stb = w.findChild<suite::StatusBar*>("Stb");
        QTest::mouseClick(stb, Qt::LeftButton);
        EXPECT_EQ(stb->ClockMode(), 1);
        EXPECT_FALSE(stb->TimeText().isEmpty());
        QTest::mouseClick(stb, Qt::LeftButton);
        EXPECT_EQ(stb->ClockMode(), 0);
    });
}

TEST_F(ListWindowTest, TheWindowLoadsInItsOrderAndShowsTheToolbarKeys) {
    withList("aa_bank", "", [&](FrmMain& w) {
        QStringList order;
        for (const QString& c : h.pub()->calls) {
            const QString name = c.section('(', 0, 0);
            if (QStringList{"FrmUnitefont", "FormLayout", "SetTlb", "FrmLoadInit", "HelpX", "hook"}
                    .contains(name))
                order << name;
        }
        EXPECT_EQ(order, QStringList({"FrmUnitefont", "FormLayout", "SetTlb", "FrmLoadInit",
                                      "HelpX", "hook"}));
        QStringList keys;
        for (QAction* a : w.findChild<QToolBar*>("Tlb")->actions())
            keys << (a->isSeparator() ? QString() : a->property("key").toString());
        EXPECT_EQ(keys.mid(0, 17),
                  QStringList({"SetUp", "Print", "Preview", "SaveFile", "", "Add", "Modify",
                               "Delete", "", "Filter", "Pos", "Refresh", "", "FieldSet", "",
                               "Help", "Exit"}))
            << "the designed buttons come first";
        EXPECT_EQ(keys.mid(keys.size() - 2), QStringList({"History", "Import"}))
            << "the history and the import come last";
        EXPECT_FALSE(w.findChild<QWidget*>("Trv")->isVisible());
        EXPECT_FALSE(w.findChild<QWidget*>("PicSeparate")->isVisible());
        EXPECT_EQ(w.grid()->x(), 0) << "the grid spans the window";
        EXPECT_EQ(w.m_ClsFilter, "(1=1)");
    });
    EXPECT_EQ(h.pubCalls().filter(QRegularExpression("^(Unhook|FrmUnLoad)\\(")),
              QStringList({"Unhook(FrmMain)", "FrmUnLoad()"}));
}

TEST_F(ListWindowTest, TheCardOpensCentredOverItsListAndOwnedByIt) {
    withList("aa_bank", "", [&](FrmMain& w) {
        w.setGeometry(20, 20, 780, 560);
        auto card = std::make_shared<CardSeen>();
        auto watch = closeNextCard(card);
        w.DoCommand("Add");
        ASSERT_TRUE(card->shown);
        EXPECT_EQ(card->owner, &w);
        const QPoint offset = card->frame.center() - w.frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2)
            << "centred over the list: card " << card->frame.x() << "," << card->frame.y() << " "
            << card->frame.width() << "x" << card->frame.height();
        EXPECT_TRUE(w.screen()->availableGeometry().contains(card->frame)) << "wholly on screen";
    });
}

TEST_F(ListWindowTest, ARestoredWindowIsLaidOutForItsSize) {
    withList("aa_bank", "", [&](FrmMain& w) {
        w.resize(600, 400);
        w.showMinimized();
        w.resize(760, 520);
        w.showNormal();
        EXPECT_EVENTUALLY(w.grid()->geometry().right() == w.width() - 1);
        const QWidget* stb = w.findChild<QWidget*>("Stb");
        EXPECT_EQ(w.grid()->geometry().bottom(),
                  w.height() - (stb->isVisible() ? stb->height() : 0) - 1);
    });
}

TEST_F(ListWindowTest, MenusToolbarsAndQtsOwnButtonsSpeakTheSessionLanguage) {
    const auto texts = [](FrmMain& w) {
        return QStringList{w.findChild<QMenu*>("mFile")->menuAction()->text(),
                           w.findChild<QAction*>("mAdd")->text(),
                           w.findChild<QAction*>("Tlb_Add")->text()};
    };
    QStringList english, chinese;
    QString yes;
    QString language = "en-US";
    h.configurePub = [&](RecordingPub& pub) { pub.locale = language; };
    suite::setSessionLanguage(language);
    withList("aa_bank", "", [&](FrmMain& w) { english = texts(w); });
    language = "zh-CN";
    suite::setSessionLanguage(language);
    withList("aa_bank", "", [&](FrmMain& w) {
        chinese = texts(w);
        QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No, &w);
        yes = box.button(QMessageBox::Yes)->text();
    });
    EXPECT_EQ(english, QStringList({"&File", "&Add   F5", "Add"}));
    EXPECT_EQ(chinese, QStringList({"文件(&F)", "添加(&A)   F5", "增加"}));
    EXPECT_TRUE(yes.startsWith("是")) << yes.toStdString() << ": Qt's own buttons in Chinese";
}
