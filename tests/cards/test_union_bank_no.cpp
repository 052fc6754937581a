#include "CardFixture.h"

#include <QClipboard>
#include <QMimeData>

using namespace tarvo;

namespace {

/// Selects the whole field and pastes text into it, as Ctrl+V does.
void paste(QLineEdit* field, const QString& text) {
    QApplication::clipboard()->setText(text);
    field->setFocus();
    field->selectAll();
    field->paste();
}

} // namespace

TEST_F(BankAccountCard, TheInterbankCodeTakesTwelveDigitsHoweverTheyComeIn) {
    open();
    card->Emptyallfields();
    auto* code = edit("EdtcUnionBankNo");
    code->setFocus();
    QTest::keyClicks(code, "10a2-3 1");
    EXPECT_EQ(code->text(), "10231") << "typed letters, hyphens and blanks are refused";
    EXPECT_EQ(code->refusalText(), "此栏只能输入数字。");
    QTest::keyClicks(code, "234567890123");
    EXPECT_EQ(code->text(), "102312345678") << "no more than twelve digits";

    paste(code, "102 3310 0001 7");
    EXPECT_EQ(code->text(), "102312345678") << "a pasted text with blanks is refused whole";
    paste(code, "305100000013");
    EXPECT_EQ(code->text(), "305100000013");
    paste(code, "1023310000171");
    EXPECT_EQ(code->text(), "102331000017") << "a thirteenth digit does not come in";

    retype(code, "工商银行");
    EXPECT_EQ(code->text(), "102331000017") << "an input method's Chinese is refused";
    retype(code, "１０２３３１０００００１");
    EXPECT_EQ(code->text(), "102331000017") << "full-width digits are not the code's digits";
    retype(code, "305100000013");
    EXPECT_EQ(code->text(), "305100000013") << "digits committed by an input method come in";
}

TEST_F(BankAccountCard, ASaveWithAnIncompleteInterbankCodeIsRefusedWithTheFocusOnIt) {
    open();
    fill("01");
    auto* code = edit("EdtcUnionBankNo");
    retype(code, "10210000");
    edit("EdtcAccName")->setFocus();
    bool ok = true;
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(messages(), QStringList{"res:Tarvo.AA.ARCHIVE.COMMON.cunionbankno_digits|10210000"});
    EXPECT_TRUE(code->hasFocus());

    code->selectAll();
    QTest::keyClick(code, Qt::Key_Backspace);
    EXPECT_TRUE(card->GetSaveXml(ok).contains("<cUnionBankNo></cUnionBankNo>"))
        << "an empty code is allowed";
    EXPECT_TRUE(ok);
    EXPECT_EQ(record("01")->Value("cUnionBankNo").toString(), "102100000001")
        << "building the save leaves the record as stored";
}

TEST_F(BankAccountCard, AStoredCodeThatBreaksTheRuleIsShownWholeAndMustBeMendedToSave) {
    exec("update bank set cUnionBankNo='102-1000-0000-1 (old)' where cBCode='01'");
    open();
    fill("01");
    auto* code = edit("EdtcUnionBankNo");
    EXPECT_EQ(code->text(), "102-1000-0000-1 (old)") << "shown as stored, not cut";
    EXPECT_TRUE(messages().isEmpty()) << "opening it says nothing";

    bool ok = true;
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_EQ(messages(), QStringList{"res:Tarvo.AA.ARCHIVE.COMMON.cunionbankno_digits|"
                                      "102-1000-0000-1 (old)"});
    EXPECT_TRUE(code->hasFocus());

    // The clerk mends it in place, a key at a time, through texts that still break the rule.
    code->end(false);
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(code, Qt::Key_Backspace);
    for (int hyphens = 0; hyphens < 3 && code->text().contains(u'-'); ++hyphens) {
        code->setCursorPosition(int(code->text().indexOf(u'-')) + 1);
        QTest::keyClick(code, Qt::Key_Backspace);
    }
    EXPECT_EQ(code->text(), "102100000001");
    EXPECT_TRUE(card->GetSaveXml(ok).contains("<cUnionBankNo>102100000001</cUnionBankNo>"));
    EXPECT_TRUE(ok);
}
