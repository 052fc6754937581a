#include "CardSteps.h"
#include "CardWidgets.h"
#include "Eventually.h"
#include "ModalWatch.h"
#include "ctlAA_Bank.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace tarvo;

namespace {

struct Buttons {
    bool first, previous, next, last;
    bool operator==(const Buttons&) const = default;
    friend void PrintTo(const Buttons& b, std::ostream* os) {
        *os << b.first << b.previous << b.next << b.last;
    }
};

Buttons buttons(FrmZAM& card) {
    return {enabled(card, "First"), enabled(card, "Previous"), enabled(card, "Next"),
            enabled(card, "Last")};
}

bool saveEnabled(FrmZAM& card) {
    return enabled(card, "SaveRs");
}

/// Keeps the list at a known set of banks: the suite's 25 and the ones a test adds.
int listRefreshes(const ComponentHarness& h, int from) {
    return int(h.sql.mid(from)
                   .filter(QRegularExpression("^select cBankCode,cBankName.* from aa_bank where"))
                   .size());
}

/// A card window modifying the third row of the list, shown and active.
std::unique_ptr<FrmZAM> shownCard(FrmMain& w) {
    auto card = std::make_unique<FrmZAM>();
    card->InitData(2, qint16(w.m_KeyCol), 3, w.comVar());
    card->show();
    card->activateWindow();
    return card;
}

} // namespace

TEST_F(ListWindowTest, WalkingThroughTheListSetsTheNavigationButtons) {
    withList("aa_bank", "", [&](FrmMain& w) {
        const int rows = w.grid()->Rows();
        FrmZAM card;
        card.InitData(2, qint16(w.m_KeyCol), 1, w.comVar());
        EXPECT_EQ(buttons(card), (Buttons{false, false, true, true}));
        EXPECT_EQ(edit(card, "EdtcBankCode")->text(), w.grid()->TextMatrix(1, w.m_KeyCol));
        EXPECT_TRUE(run(card, "Next"));
        EXPECT_EQ(card.rowSel(), 2);
        EXPECT_EQ(buttons(card), (Buttons{true, true, true, true}));
        EXPECT_TRUE(run(card, "LAST"));
        EXPECT_EQ(card.rowSel(), rows - 1);
        EXPECT_EQ(buttons(card), (Buttons{true, true, false, false}));
        EXPECT_FALSE(run(card, "next")) << "a disabled button does nothing";
        EXPECT_EQ(card.rowSel(), rows - 1);
        EXPECT_TRUE(run(card, "first"));
        EXPECT_EQ(card.rowSel(), 1);
        EXPECT_FALSE(run(card, "Previous"));
        EXPECT_EQ(edit(card, "EdtcBankCode")->text(), w.grid()->TextMatrix(1, w.m_KeyCol));
        EXPECT_FALSE(saveEnabled(card)) << "a freshly shown record has nothing to save";
    });
}

TEST_F(ListWindowTest, ListOfOneRecordTogglesItsButtons) {
    h.exec("delete from bank");
    h.exec("delete from aa_bank where cBankCode <> '102'");
    withList("aa_bank", "", [&](FrmMain& w) {
        ASSERT_EQ(w.grid()->Rows(), 2);
        FrmZAM card;
        card.InitData(2, qint16(w.m_KeyCol), 1, w.comVar());
        EXPECT_EQ(buttons(card), (Buttons{true, true, false, false}));
        EXPECT_TRUE(run(card, "First"));
        EXPECT_EQ(buttons(card), (Buttons{false, false, true, true}));
        EXPECT_EQ(edit(card, "EdtcBankCode")->text(), "102");
        EXPECT_TRUE(run(card, "Last"));
        EXPECT_EQ(buttons(card), (Buttons{true, true, false, false}));
    });
}

TEST_F(ListWindowTest, RecordsDeletedMeanwhileAreReportedAndTheListRefreshed) {
    withList("aa_bank", "", [&](FrmMain& w) {
        FrmZAM card;
        card.InitData(2, qint16(w.m_KeyCol), 2, w.comVar());
        const QString key = w.grid()->TextMatrix(3, w.m_KeyCol);
        h.exec("delete from bank where cBankCode=?", {key});
        h.exec("delete from aa_bank where cBankCode=?", {key});
        const int from = h.sql.size();
        const int m = mark();
        EXPECT_TRUE(run(card, "Next"));
        EXPECT_EQ(callsSince(m).filter("MsgBox(").value(0),
                  "MsgBox(res:Tarvo.AAARCHIVE.COMMON.codemaydel|银行编码|" + key +
                      ",64,res:Tarvo.AA.ARCHIVE.COMMON.information)");
        EXPECT_EQ(listRefreshes(h, from), 1);

        h.exec("delete from bank");
        h.exec("delete from aa_bank where cBankCode not in ('102', '103')");
        refreshList(w, "");
        EXPECT_TRUE(run(card, "Last"));
        EXPECT_EQ(card.rowSel(), 2) << "never beyond the list's last row";
    });
}

TEST_F(ListWindowTest, SavingAddsEmptiesTheCardAndTwoAddsRefreshTheListOnce) {
    withList("aa_bank", "", [&](FrmMain& w) {
        FrmZAM card;
        card.InitData(1, qint16(w.m_KeyCol), 1, w.comVar());
        EXPECT_EQ(card.caption(),
                  "res:Tarvo.AA.ARCHIVE.COMMON.addarch|res:Tarvo.AA.ARCHIVE.aa_bankrec");
        for (const char* code : {"961", "962"}) {
            edit(card, "EdtcBankCode")->setText(code);
            edit(card, "EdtcBankName")->setText(QStringLiteral("新银行") + code);
            EXPECT_TRUE(run(card, "SAVERS"));
            EXPECT_EQ(w.m_KeyVal, code);
            EXPECT_EQ(card.findChild<QLabel*>("StatusLine")->text(),
                      QStringLiteral("已保存：") + code);
            EXPECT_TRUE(edit(card, "EdtcBankCode")->text().isEmpty()) << "ready for the next";
            EXPECT_EQ(card.status(), 1);
        }
        EXPECT_TRUE(card.added());
        const int from = h.sql.size();
        EXPECT_TRUE(run(card, "Next"));
        EXPECT_EQ(listRefreshes(h, from), 1);
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_FALSE(card.added());
        EXPECT_EQ(card.status(), 2);
        EXPECT_EQ(card.caption(),
                  "res:Tarvo.AA.ARCHIVE.COMMON.modifyarch|res:Tarvo.AA.ARCHIVE.aa_bankrec");
        const int again = h.sql.size();
        EXPECT_TRUE(run(card, "Next"));
        EXPECT_EQ(listRefreshes(h, again), 0) << "refreshed once only";
    });
}

TEST_F(ListWindowTest, AWalkKeyGivenWhileTheListIsReadAgainWalksTheRowsReadAfterward) {
    withList("aa_bank", "", [&](FrmMain& w) {
        FrmZAM card;
        card.InitData(1, qint16(w.m_KeyCol), 1, w.comVar());
        card.show();
        edit(card, "EdtcBankCode")->setText("999");
        edit(card, "EdtcBankName")->setText(QStringLiteral("新银行999"));
        ASSERT_TRUE(run(card, "SaveRs"));
        const int rowsBefore = w.grid()->Rows();
        // "Next" has the list read again after the add; "Last" comes before that read has
        // ended, as a clerk's quick second key does. The read's end is a queued call, so the
        // list is still being read when "Next" returns.
        EXPECT_TRUE(run(card, "Next"));
        ASSERT_TRUE(w.isReading());
        run(card, "Last");
        EXPECT_EVENTUALLY(settled(w));
        ASSERT_EQ(w.grid()->Rows(), rowsBefore + 1);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return card.rowSel() == w.grid()->Rows() - 1 && !card.reading(); }))
            << card.rowSel() << " of " << w.grid()->Rows() - 1;
        EXPECT_EQ(edit(card, "EdtcBankCode")->text(),
                  w.grid()->TextMatrix(w.grid()->Rows() - 1, w.m_KeyCol));
    });
}

TEST_F(ListWindowTest, ModifyingSavesThenStartsANewRecordWithoutRefreshing) {
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('970', '旧名')");
    withList("aa_bank", "", [&](FrmMain& w) {
        auto card = typedCard(w, "970", "新名");
        EXPECT_TRUE(run(*card, "savers"));
        EXPECT_EQ(h.scalar("select cBankName from aa_bank where cBankCode='970'").toString(),
                  "新名");
        EXPECT_EQ(card->status(), 1);
        EXPECT_TRUE(edit(*card, "EdtcBankName")->text().isEmpty());
        const int from = h.sql.size();
        EXPECT_TRUE(run(*card, "First"));
        EXPECT_EQ(listRefreshes(h, from), 0);
    });
}

TEST_F(ListWindowTest, AnEditLockLostWhileTheCardStoodOpenStopsTheSave) {
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('971', '旧名')");
    withList("aa_bank", "", [&](FrmMain& w) {
        auto card = typedCard(w, "971", "新名");
        h.pub()->refusedLockModes = {2};
        const int m = mark();
        EXPECT_FALSE(run(*card, "savers"));
        EXPECT_EQ(callsSince(m).filter("IsLockFun(").value(0), "IsLockFun(db,demo,aa_bank,2)");
        EXPECT_EQ(h.scalar("select cBankName from aa_bank where cBankCode='971'").toString(),
                  "旧名");
        EXPECT_EQ(edit(*card, "EdtcBankName")->text(), "新名") << "the input stays";
    });
}

TEST_F(ListWindowTest, ARefusedSaveKeepsTheInputAndTheSaveButton) {
    withList("aa_bank", "", [&](FrmMain& w) {
        FrmZAM card;
        card.InitData(1, qint16(w.m_KeyCol), 1, w.comVar());
        edit(card, "EdtcBankCode")->setText("102");
        edit(card, "EdtcBankName")->setText("重复的银行");
        card.findChild<QAction*>("SaveRs")->setEnabled(true);
        const int m = mark();
        EXPECT_FALSE(run(card, "SaveRs"));
        EXPECT_TRUE(callsSince(m).filter("MsgBox(").value(0).contains("已存在"));
        EXPECT_EQ(edit(card, "EdtcBankName")->text(), "重复的银行");
        EXPECT_TRUE(saveEnabled(card));
        EXPECT_EQ(card.status(), 1);

        edit(card, "EdtcBankName")->setText("  ");
        EXPECT_FALSE(run(card, "SaveRs")) << "the card refuses it before the server";
    });
}

TEST_F(ListWindowTest, UnknownKeysAreReportedAndEndNormally) {
    withList("aa_bank", "", [&](FrmMain& w) {
        FrmZAM card;
        card.InitData(1, qint16(w.m_KeyCol), 1, w.comVar());
        const int m = mark();
        EXPECT_TRUE(run(card, "Print"));
        EXPECT_EQ(callsSince(m).filter("MsgBox(").value(0),
                  "MsgBox(No Button 'Print' Match!Check it Please!,64,"
                  "res:Tarvo.AA.ARCHIVE.COMMON.information)");
    });
}

TEST_F(ListWindowTest, CardKeysNavigateSaveAndLeave) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto card = shownCard(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
        QWidget* name = edit(*card, "EdtcBankName");
        // Each walk's record comes beside the window: the next key waits for it.
        QTest::keyClick(name, Qt::Key_PageUp);
        EXPECT_EVENTUALLY(card->rowSel() == 2 && !card->reading());
        QTest::keyClick(name, Qt::Key_PageDown, Qt::AltModifier);
        EXPECT_EVENTUALLY(card->rowSel() == w.grid()->Rows() - 1 && !card->reading());
        QTest::keyClick(name, Qt::Key_PageUp, Qt::AltModifier);
        EXPECT_EVENTUALLY(card->rowSel() == 1 && !card->reading());

        card->findChild<QAction*>("SaveRs")->setEnabled(true);
        QTest::keyClick(name, Qt::Key_Escape);
        EXPECT_TRUE(card->isVisible()) << "Esc leaves only when nothing waits to be saved";
        card->findChild<QAction*>("SaveRs")->setEnabled(false);
        QTest::keyClick(name, Qt::Key_Escape);
        EXPECT_FALSE(card->isVisible());
    });
}

TEST_F(ListWindowTest, TextFromAnInputMethodWaitsToBeSavedAndEscKeepsIt) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto card = shownCard(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
        QWidget* name = edit(*card, "EdtcBankName");
        name->setFocus();

        QApplication::clipboard()->setText("<分行>");
        QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
        EXPECT_FALSE(saveEnabled(*card)) << "a refused paste leaves nothing to save";

        QInputMethodEvent commit;
        commit.setCommitString("营业部");
        QApplication::sendEvent(name, &commit);
        EXPECT_TRUE(saveEnabled(*card));
        QTest::keyClick(name, Qt::Key_Escape);
        EXPECT_TRUE(card->isVisible()) << "Esc does not throw the change away";

        card->findChild<QAction*>("SaveRs")->setEnabled(false);
    });
}

TEST_F(ListWindowTest, ALookupClickCountsAsAChangeAndEscSaysWhyTheCardStays) {
    withList("bank", "NB", [&](FrmMain& w) {
        const auto addCard = [&] {
            auto card = std::make_unique<FrmZAM>();
            card->InitData(1, qint16(w.m_KeyCol), 1, w.comVar());
            card->show();
            card->activateWindow();
            return card;
        };
        const QString unsaved = "有未保存的修改：F6 保存，退出 放弃";
        auto card = addCard();
        ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
        {
            auto watch = whenModal<QDialog>([](QDialog& d) { d.reject(); });
            QTest::mouseClick(card->findChild<QToolButton*>("cmdref4"), Qt::LeftButton);
        }
        EXPECT_TRUE(saveEnabled(*card)) << "a lookup click counts, also when it is cancelled";
        card->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
        QTest::keyClick(edit(*card, "EdtcBCode"), Qt::Key_Escape);
        EXPECT_TRUE(card->isVisible()) << "so Esc stays";
        EXPECT_EQ(card->findChild<QLabel*>("StatusLine")->text(), unsaved);
        int m = mark();
        QTest::keyClick(edit(*card, "EdtcBCode"), Qt::Key_F4, Qt::AltModifier);
        EXPECT_EQ(callsSince(m).filter("isSaveRs(").size(), 1) << "and closing asks";
        card.reset();

        card = addCard();
        ASSERT_TRUE(QTest::qWaitForWindowActive(card.get()));
        QWidget* name = edit(*card, "EdtcAccName");
        name->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString("结算户");
        QApplication::sendEvent(name, &commit);
        QTest::keyClick(name, Qt::Key_Escape);
        EXPECT_TRUE(card->isVisible());
        EXPECT_EQ(card->findChild<QLabel*>("StatusLine")->text(), unsaved);

        m = mark();
        QTest::keyClick(name, Qt::Key_F4, Qt::AltModifier);
        EXPECT_EQ(callsSince(m).filter("isSaveRs(").size(), 1) << "Alt+F4 asks about the change";
        EXPECT_FALSE(card->isVisible()) << "and leaves on the answer";
    });
}
