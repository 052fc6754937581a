// A bank clerk's session in the running component over the embedded suite: add two banks,
// walk on, modify, meet a refused save, and leave with unsaved input.
#include "AccountDatabase.h"
#include "EndToEnd.h"
#include "Grid.h"

#include <QAbstractButton>

using namespace tarvo;

namespace {

/// Types a bank into the card: the code by key strokes (so the card sees the change), the name
/// as the input method would hand it over.
void typeBank(const char* code, const QString& name) {
    field("EdtcBankCode")->setFocus();
    QTest::keyClicks(field("EdtcBankCode"), code);
    field("EdtcBankName")->setText(name);
}

} // namespace

TEST_F(EndToEnd, AClerkAddsWalksModifiesAndLeaves) {
    FrmMain* list = nullptr;
    int rowsAtStart = 0, rowsAfterWalk = 0;
    QString refusal, leaveQuestion;
    bool stayedAfterNo = false, emptiedAfterSave = false, refusedKeptInput = false;
    QString captionAfterSave;

    ASSERT_NO_FATAL_FAILURE(run(
        {
            {"the list", [&] { return (list = visible<FrmMain>()) && settled(*list); },
             [&] {
                 rowsAtStart = list->grid()->Rows();
                 list->DoCommand("Add");
             }},
            {"the card", [] { return card() && !card()->reading(); },
             [] {
                 card()->activateWindow();
                 typeBank("981", "端到端第一银行");
             }},
            {"the first bank typed", [] { return saveEnabled(); }, [] { press(Qt::Key_F6); }},
            {"the first bank saved", [] { return field("EdtcBankCode")->text().isEmpty(); },
             [&] {
                 emptiedAfterSave = !saveEnabled() && card()->status() == 1;
                 captionAfterSave = card()->caption();
                 typeBank("982", "端到端第二银行");
             }},
            {"the second bank typed", [] { return saveEnabled(); }, [] { press(Qt::Key_F6); }},
            {"the second bank saved", [] { return field("EdtcBankCode")->text().isEmpty(); },
             [] { press(Qt::Key_PageDown); }},
            // The list reads the added banks again on walking on: counted once that read ended.
            {"walked on", [&] { return card()->status() == 2 && settled(*list); },
             [&] {
                 rowsAfterWalk = list->grid()->Rows();
                 press(Qt::Key_PageDown, Qt::AltModifier);
             }},
            {"at the last bank", [] { return field("EdtcBankCode")->text() == "982"; },
             [] {
                 field("EdtcBankName")->setFocus();
                 press(Qt::Key_End);
                 QTest::keyClicks(field("EdtcBankName"), "X");
             }},
            {"a name changed", [] { return saveEnabled(); }, [] { press(Qt::Key_F6); }},
            {"the change saved", [] { return card()->status() == 1; },
             [] {
                 typeBank("981", "重复的编码");
                 press(Qt::Key_F6);
             }},
            {"the refusal", [] { return messageBox() != nullptr; },
             [&] {
                 refusal = messageBox()->text();
                 messageBox()->button(QMessageBox::Ok)->click();
             }},
            {"back on the card", [] { return !messageBox(); },
             [&] {
                 refusedKeptInput = field("EdtcBankName")->text() == "重复的编码" && saveEnabled();
                 press(Qt::Key_Escape);
                 card()->close();
             }},
            {"the question on leaving", [] { return messageBox() != nullptr; },
             [&] {
                 leaveQuestion = messageBox()->text();
                 messageBox()->button(QMessageBox::No)->click();
             }},
            {"still on the card", [] { return !messageBox(); },
             [&] {
                 stayedAfterNo = card() != nullptr;
                 card()->close();
             }},
            {"asked again", [] { return messageBox() != nullptr; },
             [] { messageBox()->button(QMessageBox::Yes)->click(); }},
            {"the list again", [] { return !card() && !messageBox(); },
             [&] {
                 const int row = list->grid()->Row();
                 EXPECT_EQ(list->grid()->TextMatrix(row, list->m_KeyCol), list->m_KeyVal)
                     << "the list selects the bank saved last";
                 list->close();
             }},
        },
        "aa_bank", ""));
    EXPECT_TRUE(emptiedAfterSave);
    EXPECT_EQ(captionAfterSave, "增加银行档案");
    EXPECT_EQ(rowsAfterWalk, rowsAtStart + 2) << "the added banks reach the list on walking on";
    EXPECT_TRUE(refusal.contains("已存在")) << refusal.toStdString();
    EXPECT_TRUE(refusedKeptInput);
    EXPECT_TRUE(leaveQuestion.contains("尚未保存"));
    EXPECT_TRUE(stayedAfterNo);
    auto db = suite::AccountDatabase::open(temp.name());
    const auto names = db->sql().query("select cBankName from aa_bank where cBankCode in "
                                       "('981', '982') order by cBankCode");
    ASSERT_EQ(names.rows.size(), 2);
    EXPECT_EQ(names.rows[0][0].toString() + names.rows[1][0].toString(),
              "端到端第一银行端到端第二银行X");
}
