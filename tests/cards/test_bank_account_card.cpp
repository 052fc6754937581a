#include "CardFixture.h"
#include "Eventually.h"

#include "CardWidgets.h"
#include "KeyHook.h"
#include "Pub.h"
#include "SuiteContext.h"

#include <QApplication>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

using namespace tarvo;

namespace {

/// Presses Enter in the focused control of the card, as the user does.
void enter() {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

/// Answers every message box that comes on top while it lives, keeping their texts. A box
/// is answered once it is active, so that its taking the focus has happened, or when it has
/// waited a while under another box that closed.
struct BoxAnswerer {
    QStringList texts;
    QTimer timer;
    int waited = 0;
    BoxAnswerer() {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || (!box->isActiveWindow() && ++waited < 30))
                return;
            waited = 0;
            texts << box->text();
            box->accept();
        });
        timer.start();
    }
};

} // namespace

TEST_F(BankAccountCard, SetUpTakesLengthsFromTheSchemaAndCaptionsFromTheResources) {
    open();
    EXPECT_EQ(edit("EdtcBCode")->maxLength(), 10);
    EXPECT_EQ(edit("EdtcBAccount")->maxLength(), 50);
    EXPECT_EQ(ref("EdtcBankCode")->maxLength(), 60) << "the bank is typed by its name";
    EXPECT_EQ(edit("EdtcCode")->maxLength(), 100);
    EXPECT_EQ(ref("EdtdOpenAccDate")->maxLength(), 30);
    EXPECT_TRUE(recording->calls.contains("SetDblLen(EdtfCurBalance,2)"));
    EXPECT_TRUE(recording->calls.contains("SetLabelCaption(" +
                                          QString::number(card->controls().size()) + ",Bank_NB)"));
    EXPECT_EQ(edit("EdtcOrgNo")->HelpContextId(), 9);

    auto* list = child<suite::ComboBox>("CmbiAccProperty");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(2), "res:Tarvo.AA.ARCHIVE.COMMON.iaccproperty2");
    EXPECT_EQ(list->ListIndex(), 0);
    // The key numbers of the captions run opposite to the stored values.
    EXPECT_EQ(child<suite::OptionButton>("OptiSignFlag0")->text(),
              "res:Tarvo.AA.ARCHIVE.COMMON.isignflag1");
    EXPECT_EQ(child<suite::OptionButton>("OptiSignFlag1")->text(),
              "res:Tarvo.AA.ARCHIVE.COMMON.isignflag0");
    for (const char* must :
         {"LblcBCode", "LblcBAccount", "LblcCurrencyName", "LblcBName", "LblcBankCode"})
        EXPECT_EQ(child<suite::Label>(must)->Tag(), "1") << must;
    EXPECT_EQ(child<suite::Label>("LblcAccName")->Tag(), "");
}

TEST_F(BankAccountCard, AMissingSchemaIsReportedOnceAndTheCardStillOpens) {
    exec("drop table code");
    open();
    EXPECT_EQ(messages(), QStringList{"res:Tarvo.AAARCHIVE.COMMON.dbversionold"});
    EXPECT_EQ(edit("EdtcBCode")->maxLength(), 32767) << "the design lengths stay";
}

TEST_F(BankAccountCard, TabReachesTheLookupButtonAndTheSuspensionBoxLast) {
    open("NB");
    EXPECT_FALSE(child<suite::Frame>("frameNB")->isHidden());
    edit("EdtfCurBalance")->setFocus();
    QTest::keyClick(edit("EdtfCurBalance"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "cmdref4");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "ChkbBflag");
}

TEST_F(BankAccountCard, WithoutOnlineBankingTheSecondSignFlagAsksToSave) {
    open("");
    EXPECT_TRUE(child<suite::Frame>("frameNB")->isHidden());
    QSignalSpy saves(card.get(), &CardControl::SaveRs);
    child<suite::OptionButton>("OptiSignFlag0")->setFocus();
    enter();
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "OptiSignFlag1");
    EXPECT_TRUE(saves.isEmpty());
    enter();
    EXPECT_EQ(saves.size(), 1);

    // The hidden fields still go into the save XML.
    card->Emptyallfields();
    edit("EdtcBCode")->setText("07");
    edit("EdtcBAccount")->setText("6222");
    ref("EdtcCurrencyName")->setValue("人民币");
    edit("EdtcBName")->setText("某支行");
    ref("EdtcBankCode")->setValue("102");
    bool ok = false;
    const QString xml = card->GetSaveXml(ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(xml.contains("<iAccProperty>2</iAccProperty><cCode></cCode><fCurBalance>"
                             "</fCurBalance>"));
}

TEST_F(BankAccountCard, TheBalanceRefusesTheSevenCharactersAsAnAmountToo) {
    open();
    // Set up by the suite as an amount, the balance still refuses what every edit refuses, the
    // comma among it; an amount shown with its separators stays editable.
    auto* balance = edit("EdtfCurBalance");
    suite::Pub().SetDblLen(balance, QVariant(), 2);
    balance->clear();
    balance->setFocus();
    QTest::keyClicks(balance, "1<>'\"|&,2");
    EXPECT_EQ(balance->text(), "12");
    commitText(balance, ",");
    EXPECT_EQ(balance->text(), "12") << "nor through an input method";
    balance->clear();
    QTest::keyClicks(balance, "1<2,345'.5&0");
    EXPECT_EQ(balance->text(), "12345.50");
    balance->setText("1,234,567.80");
    balance->end(false);
    QTest::keyClick(balance, Qt::Key_Backspace);
    QTest::keyClicks(balance, "5");
    EXPECT_EQ(balance->text(), "1,234,567.85");
}

TEST_F(BankAccountCard, UserChoicesRaiseTheChangeAndTheCardsOwnFillDoesNot) {
    open();
    QSignalSpy changes(card.get(), &CardControl::ActiveSaveBtn);
    fill("01");
    card->Emptyallfields();
    EXPECT_TRUE(changes.isEmpty());

    auto* suspended = child<suite::CheckBox>("ChkbBflag");
    QTest::mouseClick(suspended, Qt::LeftButton, {}, QPoint(6, suspended->height() / 2));
    EXPECT_EQ(changes.size(), 1);
    auto* second = child<suite::OptionButton>("OptiSignFlag1");
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(6, second->height() / 2));
    EXPECT_EQ(changes.size(), 2);
    auto* list = child<suite::ComboBox>("CmbiAccProperty");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(changes.size(), 3);
}

TEST_F(BankAccountCard, AStoredRecordIsShownAndSavedBackAsItWas) {
    exec("update bank set iSignFlag=2, iAccProperty=null, cCode='999999', "
         "cAccName='O''Brien & Co' where cBCode='01'");
    open();
    fill("01");
    EXPECT_FALSE(edit("EdtcBCode")->isEnabled());
    EXPECT_TRUE(edit("EdtcBAccount")->hasFocus());
    EXPECT_EQ(edit("EdtcAccName")->text(), "O'Brien & Co");
    EXPECT_EQ(ref("EdtcBankCode")->text(), "中国工商银行");
    EXPECT_EQ(ref("EdtcBankCode")->Value(), "102");
    EXPECT_EQ(ref("EdtdOpenAccDate")->Value(), "2018-03-12");
    EXPECT_TRUE(child<suite::OptionButton>("OptiSignFlag1")->isChecked());
    EXPECT_EQ(child<suite::ComboBox>("CmbiAccProperty")->ListIndex(), -1);
    EXPECT_TRUE(edit("EdtcCode")->text().isEmpty()) << "the account no longer exists";
    EXPECT_EQ(edit("EdtfCurBalance")->text(), "1250000.00");
    EXPECT_EQ(ref("EdtcCountyName")->text(), "海淀区") << "filling keeps the county";

    bool ok = false;
    EXPECT_EQ(card->GetSaveXml(ok),
              "<Bank><cBCode>01</cBCode><cBAccount>0200000000000000011</cBAccount>"
              "<cAccName>O'Brien &amp; Co</cAccName><dOpenAccDate>2018-03-12</dOpenAccDate>"
              "<cCurrencyName>人民币</cCurrencyName><bBflag>0</bBflag><bPwdMng>0</bPwdMng>"
              "<cBName>中国工商银行北京海淀支行</cBName><cBankCode>102</cBankCode>"
              "<cProvinceName>北京市</cProvinceName><cCountyName>海淀区</cCountyName>"
              "<cOpenAccAddr>北京市海淀区示例路1号</cOpenAccAddr><iAccProperty>-1</iAccProperty>"
              "<cCode></cCode><fCurBalance>1250000.00</fCurBalance>"
              "<cCustomerNo>DEMO0000001</cCustomerNo><cOrgNo>DEMO-ORG-001</cOrgNo>"
              "<cUnionBankNo>102100000001</cUnionBankNo><iSignFlag>1</iSignFlag></Bank>");
    EXPECT_TRUE(ok);

    card->Emptyallfields();
    EXPECT_TRUE(edit("EdtcBCode")->isEnabled());
    EXPECT_TRUE(edit("EdtcBCode")->hasFocus());
    EXPECT_EQ(ref("EdtcBankCode")->text(), "");
    EXPECT_EQ(ref("EdtcBankCode")->Value(), "");
    EXPECT_EQ(child<suite::ComboBox>("CmbiAccProperty")->ListIndex(), 2);
    EXPECT_TRUE(child<suite::OptionButton>("OptiSignFlag0")->isChecked());
}

TEST_F(BankAccountCard, MustInputFieldsAreCheckedInOrderAndBlanksCountAsEmpty) {
    open();
    card->Emptyallfields();
    bool ok = true;
    edit("EdtcBCode")->setText("   ");
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_FALSE(ok);
    edit("EdtcBCode")->setText(" 8 ");
    QWidget* const focused = QApplication::focusWidget();
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_EQ(QApplication::focusWidget(), focused) << "the focus is not moved";
    edit("EdtcBAccount")->setText("6222");
    EXPECT_EQ(card->GetSaveXml(ok), "");
    ref("EdtcCurrencyName")->setValue("人民币");
    EXPECT_EQ(card->GetSaveXml(ok), "");
    edit("EdtcBName")->setText("某支行");
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_EQ(messages(), QStringList({"res:Tarvo.AA.ARCHIVE.COMMON.cbcode_notnull",
                                       "res:Tarvo.AA.ARCHIVE.COMMON.cbaccount_notnull",
                                       "res:Tarvo.AA.ARCHIVE.COMMON.ccurrencyname",
                                       "res:Tarvo.AA.ARCHIVE.COMMON.cbname_notnull",
                                       "res:Tarvo.AA.ARCHIVE.COMMON.bank_cbankcode_notnull"}));
    ref("EdtcBankCode")->setValue("102");
    const QString xml = card->GetSaveXml(ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(xml.startsWith("<Bank><cBCode> 8 </cBCode>")) << "a padded code keeps its blanks";
    EXPECT_EQ(card->KeyVal(), " 8 ");
}

TEST_F(BankAccountCard, TypedAccountCodesAreCheckedWhenTheUserLeavesTheField) {
    open();
    card->Emptyallfields();
    auto* code = edit("EdtcCode");
    code->setFocus();
    commitText(code, "工商银行存款");
    edit("EdtfCurBalance")->setFocus();
    EXPECT_EQ(code->Tag(), "100201") << "a name completes the code";
    EXPECT_EQ(code->text(), "工商银行存款");
    EXPECT_TRUE(messages().isEmpty());

    code->setFocus();
    QTest::keyClick(code, Qt::Key_End);
    QTest::keyClick(code, Qt::Key_Backspace);
    EXPECT_EQ(code->Tag(), "") << "typing drops the code of the earlier choice";
    code->setText("1002");
    edit("EdtfCurBalance")->setFocus();
    EXPECT_EQ(messages(), QStringList{"res:Tarvo.AA.ARCHIVE.COMMON.no_code_end"})
        << "an account with sub-accounts cannot be chosen";
    EXPECT_EQ(code->text(), "");

    code->setFocus();
    commitText(code, "没有的科目");
    child<QToolButton>("cmdref4")->setFocus();
    EXPECT_EQ(messages().size(), 1) << "moving to the lookup button does not refuse";
    EXPECT_EQ(code->text(), "没有的科目");
}

TEST_F(BankAccountCard, AnUnknownAccountInFocusStopsOneSaveAndTheNextSaveGoesThrough) {
    open();
    fill("02");
    auto* code = edit("EdtcCode");
    retype(code, "不存在");
    bool ok = true;
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(messages(), QStringList{"res:Tarvo.AA.ARCHIVE.COMMON.no_code_end"});
    EXPECT_EQ(code->text(), "");
    EXPECT_TRUE(code->hasFocus());
    const QString xml = card->GetSaveXml(ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(xml.contains("<cCode></cCode>"));
}

TEST_F(BankAccountCard, AmountsThatTheColumnCannotHoldExactlyAreRefused) {
    for (const char* good :
         {"0", "-1,250,000.50", "123456789012345.1234", "12.34000", "+7", "000000000000000001.5"})
        EXPECT_TRUE(ctlBank::isStorableAmount(good)) << good;
    for (const char* bad : {"1234567890123456", "1.23456", "1,23.4", "12a", "--1", ""})
        EXPECT_FALSE(ctlBank::isStorableAmount(bad)) << bad;

    open();
    fill("03");
    edit("EdtfCurBalance")->setText("1234567890123456.00");
    bool ok = true;
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(recording->callsOf("MsgBox").value(0).section(u',', 0, 0),
              "MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.fcurbalance_notexact|1234567890123456.00");
}

TEST_F(BankAccountCard, AnAccountNumberThatBreaksItsBanksLengthIsExplainedAndSavedOnlyIfConfirmed) {
    exec("update aa_bank set bComdFixLen = 1, iComAccNoLen = 19 where cBankCode = '102'");
    open();
    fill("01");
    auto* number = edit("EdtcBAccount");
    const auto leaveWith = [&](const QString& typed) {
        retype(number, typed);
        edit("EdtcAccName")->setFocus();
    };
    const QString tooShort = "res:Tarvo.AA.ARCHIVE.COMMON.cbaccount_length|中国工商银行|19|17";
    leaveWith("0200-0000 0000 00011");
    EXPECT_EQ(messages(), QStringList{tooShort}) << "separators are not counted";
    number->setFocus();
    edit("EdtcAccName")->setFocus();
    EXPECT_EQ(messages().size(), 1) << "passing through the field again repeats nothing";
    leaveWith("0200 0000-0000 0000 011");
    leaveWith("02000000000000000110");
    EXPECT_EQ(messages().value(1),
              "res:Tarvo.AA.ARCHIVE.COMMON.cbaccount_length|中国工商银行|19|20");
    leaveWith("0200 0000 0000 0000 01１");
    EXPECT_EQ(messages().value(2), "res:Tarvo.AA.ARCHIVE.COMMON.cbaccount_digits|中国工商银行|"
                                   "0200 0000 0000 0000 01１")
        << "a full-width digit is no digit of an account number";
    leaveWith("0200-0000 0000 00011");
    EXPECT_EQ(messages().value(3), tooShort) << "a number changed back is explained again";
    recording->calls.clear();
    recording->msgBoxAnswer = 7;
    bool ok = true;
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_FALSE(ok);
    const QStringList asked = recording->callsOf("MsgBox");
    ASSERT_EQ(asked.size(), 1) << "the question alone, without the leave message again";
    EXPECT_TRUE(asked[0].startsWith("MsgBox(" + tooShort +
                                    "\nres:Tarvo.AA.ARCHIVE.COMMON.cbaccount_saveanyway,36,"
                                    "res:Tarvo.AA.ARCHIVE.COMMON.question)"))
        << asked[0].toStdString();
    EXPECT_TRUE(number->hasFocus());

    recording->msgBoxAnswer = 6;
    EXPECT_TRUE(card->GetSaveXml(ok).contains("<cBAccount>0200-0000 0000 00011</cBAccount>"));
    EXPECT_TRUE(ok);

    // The rule is the bank's: another bank without one takes the same number without a word.
    ref("EdtcBankCode")->setValue("103");
    recording->calls.clear();
    leaveWith("0200-0000 0000 00011");
    EXPECT_NE(card->GetSaveXml(ok), "");
    EXPECT_TRUE(recording->callsOf("MsgBox").isEmpty());
}

TEST_F(BankAccountCard, ARefusalAtSavingShowsOneBoxWhereverTheFocusGoes) {
    open("NB", std::make_shared<suite::Pub>());
    fill("02");
    bool ok = true;
    for (const char* field : {"EdtcCode", "EdtcCurrencyName"}) {
        card->activateWindow();
        EXPECT_EVENTUALLY(card->isActiveWindow());
        auto* typed = edit(field);
        retype(typed, "不存在");
        BoxAnswerer boxes;
        EXPECT_EQ(card->GetSaveXml(ok), "");
        QTest::qWait(50);
        EXPECT_FALSE(ok);
        EXPECT_EQ(boxes.texts.size(), 1) << field << ": " << boxes.texts.join('|').toStdString();
        if (auto* lookup = qobject_cast<suite::RefEdit*>(typed))
            lookup->setValue("人民币");
    }
}

TEST_F(BankAccountCard, SwitchingToAnotherWindowKeepsHalfTypedTextUnchecked) {
    open();
    fill("02");
    auto* code = edit("EdtcCode");
    auto* currency = ref("EdtcCurrencyName");
    QWidget other;
    other.resize(200, 100);
    const auto switchAway = [&] {
        other.show();
        other.activateWindow();
        EXPECT_EVENTUALLY(other.isActiveWindow());
        card->activateWindow();
        EXPECT_EVENTUALLY(card->isActiveWindow());
    };
    retype(currency, "人民");
    switchAway();
    EXPECT_EQ(currency->text(), "人民");
    code->setFocus();
    EXPECT_EQ(messages(), QStringList{"res:Tarvo.AA.ARCHIVE.COMMON.unknown_currency|人民"})
        << "moving on within the card checks the field";
    EXPECT_TRUE(currency->hasFocus()) << "and gives the focus back to the emptied field";
    currency->setValue("人民币");

    retype(code, "工商");
    switchAway();
    EXPECT_EQ(code->text(), "工商") << "half-typed text stays";
    EXPECT_TRUE(code->hasFocus());
    EXPECT_EQ(messages().size(), 1);
    QTest::keyClick(code, Qt::Key_Tab);
    EXPECT_EQ(messages().value(1), "res:Tarvo.AA.ARCHIVE.COMMON.no_code_end");
}

TEST_F(BankAccountCard, AnEmptyMustInputFieldIsRefusedWhereTheFocusIs) {
    // The focus stays: an unknown account waiting in the ledger-account field is neither checked
    // (a second message) nor erased by a move away from it.
    open("NB", std::make_shared<suite::Pub>());
    fill("02");
    edit("EdtcBName")->clear();
    card->activateWindow();
    EXPECT_EVENTUALLY(card->isActiveWindow());
    auto* code = edit("EdtcCode");
    retype(code, "没有的科目");
    bool ok = true;
    {
        BoxAnswerer boxes;
        EXPECT_EQ(card->GetSaveXml(ok), "");
        QTest::qWait(50);
        EXPECT_EQ(boxes.texts.size(), 1) << boxes.texts.join('|').toStdString();
    }
    EXPECT_FALSE(ok);
    // The card's own focus: the window gets it back when it is active again.
    EXPECT_EQ(card->focusWidget(), code);
    EXPECT_EQ(code->text(), "没有的科目");
}

TEST_F(BankAccountCard, AnUnknownTypedCodeLeavesTheFocusInItsEmptiedField) {
    open("NB", std::make_shared<suite::Pub>());
    card->Emptyallfields();
    for (const char* name : {"EdtcCode", "EdtcCurrencyName", "EdtcBankCode"}) {
        for (const auto key : {Qt::Key_Tab, Qt::Key_Return}) {
            card->activateWindow();
            EXPECT_EVENTUALLY(card->isActiveWindow());
            auto* field = edit(name);
            field->setFocus();
            commitText(field, "没有的");
            BoxAnswerer boxes;
            QTest::keyClick(field, key);
            EXPECT_EVENTUALLY(boxes.texts.size() == 1);
            QTest::qWait(100);
            // The card's own focus, which the window gives back when it is active again.
            EXPECT_EQ(card->focusWidget(), field)
                << name << ": what the clerk types next goes into the field, after "
                << (key == Qt::Key_Tab ? "Tab" : "Enter");
            EXPECT_EQ(field->text(), "") << name;
            EXPECT_EQ(boxes.texts.size(), 1) << name;
        }
    }
}
