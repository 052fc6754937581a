#include "CardFixture.h"
#include "CardWidgets.h"
#include "Eventually.h"
#include "SuiteContext.h"

#include <QClipboard>
#include <QSignalSpy>
#include <QToolTip>

using namespace tarvo;

namespace {

/// A bank card shown over the recording public services.
struct BankCard : CardFixture<ctlAA_Bank> {
    void SetUp() override {
        CardFixture::SetUp();
        if (!HasFatalFailure())
            open();
    }
};

} // namespace

TEST_F(BankCard, SetUpGivesLengthsHelpAndCaptionsWithoutTheFillerWord) {
    EXPECT_EQ(edit("EdtcBankCode")->maxLength(), 10);
    EXPECT_EQ(edit("EdtcBankName")->maxLength(), 60);
    EXPECT_TRUE(recording->calls.contains("SetIntLen(EdtiIndAccNoLen,2)"));
    EXPECT_TRUE(recording->calls.contains("SetIntLen(EdtcIndUnitcode,10)"));
    EXPECT_TRUE(recording->calls.contains("SetLabelCaption(" +
                                          QString::number(card->controls().size()) + ",AA_Bank)"));
    EXPECT_EQ(edit("EdtcBankName")->HelpContextId(), 7);
    EXPECT_EQ(child<suite::Frame>("FrameCom")->title(),
              "res:Tarvo.AA.TARVOARCHIVE.CTLAA_BANK.cominfo");
    EXPECT_EQ(child<suite::Label>("LbliIndAccNoLen")->text(),
              "res:Tarvo.AA.ARCHIVE.FIELD.PUB.accnolen");

    EXPECT_EQ(ctlAA_Bank::withoutFiller("企业账户是否定长是否", "zh-CN"), "企业账户定长");
    EXPECT_EQ(ctlAA_Bank::withoutFiller("Fixed length or not", "EN-US"), "Fixed length ");
    EXPECT_EQ(ctlAA_Bank::withoutFiller("Fixed length Or Not", "en-us"), "Fixed length Or Not");
    EXPECT_EQ(ctlAA_Bank::withoutFiller("Fixed length or not", "zh-CN"), "Fixed length or not");
}

TEST_F(BankCard, TheUnitCodeRowIsShownForTheConstructionBankOnly) {
    auto* name = edit("EdtcBankName");
    auto* unit = edit("EdtcIndUnitcode");
    EXPECT_TRUE(unit->isHidden());
    name->setText("中国建设银行");
    EXPECT_FALSE(unit->isHidden());
    EXPECT_FALSE(child<suite::Label>("LblcIndUnitcode")->isHidden());
    name->setText("中国建设银行 ");
    EXPECT_TRUE(unit->isHidden()) << "a trailing space is another name";
}

TEST_F(BankCard, WithTheConstructionBankEnterAsksToSaveInTheUnitCode) {
    QSignalSpy saves(card.get(), &CardControl::SaveRs);
    auto* autoLen = edit("EdtiIndAutoInputLen");
    edit("EdtcBankName")->setText("中国建设银行");
    autoLen->setFocus();
    QTest::keyClick(autoLen, Qt::Key_Return);
    EXPECT_TRUE(saves.isEmpty());
    EXPECT_EVENTUALLY(edit("EdtcIndUnitcode")->hasFocus());
    QTest::keyClick(edit("EdtcIndUnitcode"), Qt::Key_Return);
    EXPECT_EQ(saves.size(), 1);
}

TEST_F(BankCard, TheSaveXmlHasItsElementsInOrder) {
    auto* code = edit("EdtcBankCode");
    code->setText(" 9X");
    edit("EdtcBankName")->setText("  测试银行");
    child<suite::CheckBox>("ChkbIndFixLen")->setValue(1);
    edit("EdtiIndAccNoLen")->setText("19");
    bool ok = false;
    EXPECT_EQ(card->GetSaveXml(ok),
              "<AA_Bank><cBankCode> 9X</cBankCode><cBankName>  测试银行</cBankName>"
              "<bIndFixLen>1</bIndFixLen><iIndAccNoLen>19</iIndAccNoLen><iIndAutoInputLen>"
              "</iIndAutoInputLen><cIndUnitcode></cIndUnitcode><bComdFixLen>0</bComdFixLen>"
              "<iComAccNoLen></iComAccNoLen></AA_Bank>");
    EXPECT_TRUE(ok);
    EXPECT_EQ(card->KeyVal(), " 9X");

    code->setText("   ");
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(recording->callsOf("MsgBox").last(),
              "MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.cbankcode_notnull,64,"
              "res:Tarvo.AA.ARCHIVE.COMMON.information)");
}

TEST_F(BankCard, TheFixedLengthBoxEnablesTheCompanyLength) {
    QSignalSpy changes(card.get(), &CardControl::ActiveSaveBtn);
    auto* fixed = child<suite::CheckBox>("ChkbComdFixLen");
    EXPECT_FALSE(edit("EdtiComAccNoLen")->isEnabled());
    QTest::mouseClick(fixed, Qt::LeftButton, {}, QPoint(6, fixed->height() / 2));
    EXPECT_TRUE(edit("EdtiComAccNoLen")->isEnabled());
    EXPECT_EQ(changes.size(), 1);
    QTest::mouseClick(fixed, Qt::LeftButton, {}, QPoint(6, fixed->height() / 2));
    EXPECT_FALSE(edit("EdtiComAccNoLen")->isEnabled());
}

TEST_F(BankCard, ATickedFixedLengthNeedsALengthFrom1To40) {
    edit("EdtcBankCode")->setText("9X");
    edit("EdtcBankName")->setText("测试银行");
    auto* fixed = child<suite::CheckBox>("ChkbComdFixLen");
    auto* length = edit("EdtiComAccNoLen");
    QTest::mouseClick(fixed, Qt::LeftButton, {}, QPoint(6, fixed->height() / 2));
    bool ok = true;
    for (const char* bad : {"", " ", "0", "41", "99"}) {
        length->setText(bad);
        EXPECT_EQ(card->GetSaveXml(ok), "") << bad;
        EXPECT_FALSE(ok) << bad;
        EXPECT_EQ(recording->callsOf("MsgBox").last().section(u',', 0, 0),
                  "MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.icomaccnolen_range")
            << bad;
        EXPECT_TRUE(length->hasFocus()) << bad;
    }
    for (const char* good : {"1", "19", "40"}) {
        length->setText(good);
        EXPECT_TRUE(card->GetSaveXml(ok).contains(
            QStringLiteral("<iComAccNoLen>%1</iComAccNoLen>").arg(QLatin1String(good))))
            << good;
    }
    // Without the tick a length means nothing and stops no save.
    QTest::mouseClick(fixed, Qt::LeftButton, {}, QPoint(6, fixed->height() / 2));
    length->setText("");
    EXPECT_NE(card->GetSaveXml(ok), "");
    EXPECT_TRUE(ok);
}

TEST_F(BankCard, SystemBanksKeepTheirNameAndOthersOpenOnIt) {
    fill("105");
    EXPECT_EQ(edit("EdtcBankName")->text(), "中国建设银行");
    EXPECT_FALSE(edit("EdtcBankCode")->isEnabled());
    EXPECT_FALSE(edit("EdtcBankName")->isEnabled());
    EXPECT_TRUE(child<suite::CheckBox>("ChkbComdFixLen")->hasFocus());
    EXPECT_FALSE(edit("EdtcIndUnitcode")->isHidden());

    exec("insert into aa_bank (cBankCode, cBankName, bComdFixLen, "
         "iComAccNoLen) values ('901', '自建银行', 1, 12)");
    fill("901");
    EXPECT_TRUE(edit("EdtcBankName")->isEnabled());
    EXPECT_TRUE(edit("EdtcBankName")->hasFocus());
    EXPECT_EQ(edit("EdtiComAccNoLen")->text(), "12");
    EXPECT_TRUE(edit("EdtiComAccNoLen")->isEnabled());

    card->Emptyallfields();
    EXPECT_TRUE(edit("EdtcBankCode")->isEnabled());
    EXPECT_TRUE(edit("EdtcBankCode")->text().isEmpty());
    EXPECT_FALSE(edit("EdtiComAccNoLen")->isEnabled());
}

TEST_F(BankCard, ShowingRecordsIsNoChangeByTheUserAndLeavesNothingToUndo) {
    exec("insert into aa_bank (cBankCode, cBankName, bComdFixLen, "
         "iComAccNoLen) values ('901', '自建银行', 1, 12)");
    exec("insert into aa_bank (cBankCode, cBankName, bComdFixLen, "
         "iComAccNoLen) values ('902', '另一银行', 0, 12)");
    QSignalSpy changes(card.get(), &CardControl::ActiveSaveBtn);
    fill("901");
    EXPECT_TRUE(edit("EdtiComAccNoLen")->isEnabled());

    // The clerk types over the length and puts it back: the same text, with an undo history.
    auto* length = edit("EdtiComAccNoLen");
    length->setFocus();
    length->selectAll();
    QTest::keyClicks(length, "13");
    length->undo();
    length->undo();
    ASSERT_EQ(length->text(), "12");
    ASSERT_TRUE(length->isRedoAvailable());
    changes.clear();

    fill("902");
    EXPECT_EQ(changes.size(), 0);
    EXPECT_FALSE(length->isEnabled());
    EXPECT_EQ(length->text(), "12");
    EXPECT_FALSE(length->isUndoAvailable());
    EXPECT_FALSE(length->isRedoAvailable());
    EXPECT_FALSE(length->isModified());
    EXPECT_EQ(edit("EdtcBankName")->text(), "另一银行");
}

/// A name stored with a character the card refuses to take (written by an older program or by
/// hand) is shown whole, and browsing onto it tells the clerk of no refusal; typing the same
/// character is still refused.
TEST_F(BankCard, AStoredValueTheEditWouldRefuseIsShownWholeWithoutARefusal) {
    exec("insert into aa_bank (cBankCode, cBankName, bComdFixLen, "
         "iComAccNoLen) values ('903', '甲,乙银行', 0, 12)");
    suite::Edit* name = edit("EdtcBankName");
    QSignalSpy refusals(name, &QLineEdit::inputRejected);
    QToolTip::hideText();
    fill("903");
    EXPECT_EQ(name->text(), "甲,乙银行");
    EXPECT_EQ(refusals.size(), 0);
    EXPECT_FALSE(QToolTip::isVisible());

    name->setFocus();
    name->end(false);
    QTest::keyClick(name, Qt::Key_Comma);
    EXPECT_EQ(name->text(), "甲,乙银行");
    EXPECT_EQ(refusals.size(), 1);
    QToolTip::hideText();
}

/// A name longer than the column allows, written into a file by another program: the card
/// shows it whole, and saving it is refused with the reason instead of storing it cut.
TEST_F(BankCard, AStoredTextLongerThanTheEditTakesIsShownWholeAndNeverSavedCut) {
    if (temp.onServer())
        GTEST_SKIP() << "the server refuses to store the overlong name in the first place";
    const QString longName(70, QChar(u'长'));
    exec("insert into aa_bank (cBankCode, cBankName) values ('904', ?)", {longName});
    suite::Edit* name = edit("EdtcBankName");
    auto overlong = record("904");
    card->FillAllFields(overlong);
    EXPECT_EQ(name->text(), longName);
    bool valid = false;
    QString xml = card->GetSaveXml(valid);
    ASSERT_TRUE(valid);
    QString error;
    EXPECT_FALSE(db->Modify(xml, "aa_bank", error));
    EXPECT_TRUE(error.contains("60")) << error.toStdString();
    EXPECT_EQ(record("904")->Value("cBankName").toString(), longName);

    // The clerk shortens it from the middle: the cursor stays where the clerk works.
    name->setFocus();
    name->setCursorPosition(30);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(name, Qt::Key_Delete);
    EXPECT_EQ(name->text().size(), 60);
    EXPECT_EQ(name->cursorPosition(), 30);
    EXPECT_TRUE(name->isUndoAvailable());

    // The edit takes its own 60 characters again for the next record, and for a new one.
    exec("insert into aa_bank (cBankCode, cBankName) values ('905', '短')");
    fill("905");
    EXPECT_EQ(name->maxLength(), 60);
    card->FillAllFields(overlong);
    card->Emptyallfields();
    EXPECT_EQ(name->maxLength(), 60);
}

TEST_F(BankCard, RefusedInputIsExplainedAtTheEditInTheSessionLanguage) {
    suite::Edit* name = edit("EdtcBankName");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Comma);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().startsWith("不能输入 ,")) << QToolTip::text().toStdString();

    suite::Edit* code = edit("EdtcBankCode");
    code->setFocus();
    QApplication::clipboard()->setText("12345678901234");
    QTest::keyClick(code, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(code->text(), "1234567890");
    EXPECT_EQ(QToolTip::text(), "此栏最多 10 个字符，多出的部分没有输入。");

    suite::setSessionLanguage("en-US");
    QTest::keyClick(code, Qt::Key_Backspace);
    QTest::keyClick(code, Qt::Key_Bar);
    EXPECT_TRUE(QToolTip::text().startsWith("| cannot be entered"))
        << QToolTip::text().toStdString();
    suite::setSessionLanguage("zh-CN");
    QToolTip::hideText();
}

TEST_F(BankCard, CharactersNoNameMayHoldAreRefusedHoweverTheyCome) {
    // A right-to-left override stored in a name shows it reversed in every list and print.
    suite::Edit* name = edit("EdtcBankName");
    name->setFocus();
    commitText(name, QString::fromUtf16(u"\u202E行银商工"));
    EXPECT_EQ(name->text(), "") << "an input method's commit";
    EXPECT_TRUE(QToolTip::text().contains(u"U+202E") && QToolTip::text().contains(u"文字方向"))
        << QToolTip::text().toStdString();

    QApplication::clipboard()->setText(QString::fromUtf16(u"工商\u2067银行\u2069"));
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(name->text(), "") << "a paste with an isolate";
    QKeyEvent mark(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x200F)));
    QApplication::sendEvent(name, &mark);
    EXPECT_EQ(name->text(), "") << "a typed right-to-left mark";
    QApplication::clipboard()->setText(QString::fromUtf16(u"工商\u0007银行"));
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(name->text(), "") << "a control character";
    EXPECT_TRUE(QToolTip::text().contains(u"U+0007")) << QToolTip::text().toStdString();

    commitText(name, "工商银行");
    EXPECT_EQ(name->text(), "工商银行") << "the same name without them";

    // An edit that refuses no characters of its own still refuses these.
    suite::Edit plain(card.get(), "plain");
    for (const char16_t* text : {u"\u061C", u"\uFFFE", u"\U0001FFFF", u"a\xD800"}) {
        commitText(&plain, QString::fromUtf16(text));
        EXPECT_EQ(plain.text(), "") << QString::fromUtf16(text).toStdString();
    }
    QApplication::clipboard()->setText(QString::fromUtf16(u"\U0001F600"));
    plain.paste();
    EXPECT_EQ(plain.text(), QString::fromUtf16(u"\U0001F600")) << "a character beyond the BMP";
    QToolTip::hideText();
}

TEST_F(BankCard, ARefusedSaveTakesTheClerkToTheFirstEmptyField) {
    edit("EdtcBankCode")->setText("777");
    edit("EdtcBankName")->setText("  ");
    edit("EdtiIndAccNoLen")->setFocus();
    bool ok = true;
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_FALSE(ok);
    EXPECT_TRUE(edit("EdtcBankName")->hasFocus());
}
