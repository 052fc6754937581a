// The card's lock and records read beside the window: what the window holds back meanwhile,
// and what becomes of keys, input and the lock when the clerk does not wait.
#include "CardSteps.h"
#include "ClassRegistry.h"
#include "Eventually.h"
#include "IBranchDirectory.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace tarvo;

TEST_F(ListWindowTest, TheCardTakesNoInputUntilItsRecordIsIn) {
    // A bank of the clerk's own, whose name may change; its code sorts it into the third row.
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('1035', '自建银行')");
    withList("aa_bank", "", [&](FrmMain& w) {
        ASSERT_EQ(w.grid()->TextMatrix(3, w.m_KeyCol), "1035");
        auto card = openedCard(w, 3);
        ASSERT_TRUE(card->reading());
        suite::Edit* name = edit(*card, "EdtcBankName");
        EXPECT_FALSE(name->isEnabled());
        EXPECT_EQ(card->findChild<QLabel*>("StatusLine")->text(), "正在读取…");
        for (const char* key : {"SaveRs", "First", "Previous", "Next", "Last", "History"})
            EXPECT_FALSE(enabled(*card, key)) << key;
        EXPECT_TRUE(enabled(*card, "Exit"));

        // What the clerk types meanwhile is neither taken nor overwritten by the record.
        QTest::keyClicks(name, "abc");
        EXPECT_EVENTUALLY(!card->reading());
        EXPECT_EQ(edit(*card, "EdtcBankCode")->text(), "1035");
        EXPECT_EQ(name->text(), "自建银行");
        EXPECT_FALSE(enabled(*card, "SaveRs")) << "nothing counts as a change";
        EXPECT_TRUE(name->isEnabled());
        EXPECT_TRUE(card->findChild<QLabel*>("StatusLine")->text().isEmpty());
        EXPECT_TRUE(enabled(*card, "Previous") && enabled(*card, "Next"));
        EXPECT_TRUE(card->takeOverLock());
        EXPECT_EQ(callsSince(0).filter("LockRefusal(").value(0), "LockRefusal(db,demo,aa_bank,2)");
    });
}

TEST_F(ListWindowTest, TwoQuickNextKeysLandTwoRecordsOnAndClicksWaitForTheRecord) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto card = openedCard(w, 3);
        EXPECT_EVENTUALLY(!card->reading());
        QSignalSpy shown(card.get(), &FrmZAM::recordShown);
        QWidget* name = edit(*card, "EdtcBankName");
        QTest::keyClick(name, Qt::Key_PageDown);
        ASSERT_TRUE(card->reading()) << "the record comes beside the window";
        QTest::keyClick(name, Qt::Key_PageDown);
        EXPECT_FALSE(enabled(*card, "Next")) << "a click waits for the record";
        EXPECT_EVENTUALLY(shown.size() == 2 && !card->reading());
        EXPECT_EQ(card->rowSel(), 5);
        EXPECT_EQ(edit(*card, "EdtcBankCode")->text(), w.grid()->TextMatrix(5, w.m_KeyCol));

        // A third key while the walk runs is kept once and goes on from where it ended.
        card->findChild<QAction*>("Previous")->trigger();
        QTest::keyClick(name, Qt::Key_PageUp, Qt::AltModifier);
        EXPECT_EVENTUALLY(shown.size() == 4 && !card->reading());
        EXPECT_EQ(card->rowSel(), 1);
        EXPECT_EQ(edit(*card, "EdtcBankCode")->text(), w.grid()->TextMatrix(1, w.m_KeyCol));
        EXPECT_FALSE(enabled(*card, "First"));
        EXPECT_TRUE(enabled(*card, "Next"));
    });
}

TEST_F(ListWindowTest, ACardClosedWhileItsRecordIsOnItsWayGivesItsLockBack) {
    withList("aa_bank", "", [&](FrmMain& w) {
        const int m = mark();
        {
            auto card = openedCard(w, 3);
            QSignalSpy shown(card.get(), &FrmZAM::recordShown);
            ASSERT_TRUE(card->reading());
            // Esc with nothing to save leaves at once, the read stopped where it was.
            QTest::keyClick(edit(*card, "EdtcBankName"), Qt::Key_Escape);
            EXPECT_FALSE(card->isVisible());
            EXPECT_FALSE(card->reading());
            QTest::qWait(50);
            EXPECT_EQ(shown.size(), 0) << "nothing read is shown after the close";
            EXPECT_TRUE(edit(*card, "EdtcBankCode")->text().isEmpty());
        }
        const QStringList locks =
            callsSince(m).filter(QRegularExpression("^(IsLockFun|LockRefusal)"));
        EXPECT_EQ(locks,
                  QStringList({"LockRefusal(db,demo,aa_bank,2)", "IsLockFun(db,demo,aa_bank,-2)"}));
    });
}

TEST_F(ListWindowTest, TheListGivesBackTheLockOfACardClosedBeforeItsRecordCame) {
    withList("aa_bank", "", [&](FrmMain& w) {
        w.grid()->setRow(3);
        // Closed at its first turn of events: its lock and record are still on their way.
        auto closer = std::make_shared<QTimer>();
        QObject::connect(closer.get(), &QTimer::timeout, [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* card = qobject_cast<FrmZAM*>(top); card && card->isVisible()) {
                    closer->stop();
                    card->close();
                }
        });
        closer->start(0);
        const int m = mark();
        w.DoCommand("Modify");
        EXPECT_EVENTUALLY(settled(w));
        const QStringList calls = callsSince(m);
        EXPECT_EQ(calls.filter("LockRefusal(").size(), 1);
        EXPECT_EQ(calls.filter("IsLockFun(db,demo,aa_bank,-2)").size(), 1)
            << calls.join('\n').toStdString();
    });
}

TEST_F(ListWindowTest, AStoredRecordsBranchIsReadWithItAndNamedBesideItsCode) {
    BranchEntry listed;
    listed.code = QStringLiteral("105290000002");
    listed.name = QStringLiteral("中国建设银行上海示例路支行");
    listed.bankCode = QStringLiteral("105");
    {
        ClsCommonPtr db = createObject<IClsCommon>(QStringLiteral("TarvoSrvTrans.IClsCommon"));
        db->Init(h.db.name());
        auto directory =
            createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
        QString error;
        ASSERT_TRUE(directory->Store(db, {listed}, {}, QDate(2026, 1, 1), error))
            << error.toStdString();
    }
    withList("bank", "NB", [&](FrmMain& w) {
        ASSERT_EQ(w.grid()->TextMatrix(2, w.m_KeyCol), "02");
        auto card = openedCard(w, 2);
        EXPECT_EVENTUALLY(!card->reading());
        auto* name = card->findChild<QLabel*>("LblUnionBankName");
        EXPECT_TRUE(name->isVisible());
        EXPECT_EQ(name->toolTip(), listed.name);
        EXPECT_FALSE(enabled(*card, "SaveRs")) << "naming the branch changes nothing";

        // The first account's code is not in this directory: the card says so as it shows it.
        card->findChild<QAction*>("First")->trigger();
        EXPECT_EVENTUALLY(!card->reading() && card->rowSel() == 1);
        EXPECT_NE(name->toolTip(), listed.name);
        EXPECT_TRUE(name->isVisible());
        EXPECT_FALSE(enabled(*card, "SaveRs"));
    });
}
