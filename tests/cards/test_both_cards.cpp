// What the bank card and the bank-account card promise alike: edits that refuse the same
// characters, every way of the clerk's changing a field counted as a change, Enter walking the
// fields to the save, captions that fit in both languages, and a save that stores every field
// and reads back as it was shown.
#include "CardFixture.h"
#include "CardLayout.h"
#include "CardWidgets.h"
#include "Pub.h"
#include "SuiteContext.h"
#include "ctlAA_Bank.h"

#include <QClipboard>
#include <QMimeData>
#include <QScopeGuard>
#include <QSignalSpy>

using namespace tarvo;

namespace {

/// A stored column and what it holds after the save; numbers compare as numbers, whatever
/// type the engine gives them back as.
struct Stored {
    const char* field;
    QString value;
};

template <typename Card> struct CardCase;

template <> struct CardCase<ctlAA_Bank> {
    static constexpr const char* firstField = "EdtcBankCode";
    static constexpr const char* nameField = "EdtcBankName";
    static constexpr const char* digitsField = "EdtiIndAccNoLen";
    /// In tab order; the company length waits for its box, and the unit code row is hidden
    /// but for the construction bank: the auto length is last.
    static QString walk() {
        return "EdtcBankCode EdtcBankName ChkbComdFixLen ChkbIndFixLen EdtiIndAccNoLen "
               "EdtiIndAutoInputLen";
    }
    static QString fill(ctlAA_Bank& card, const std::function<void()>&) {
        card.findChild<suite::Edit*>("EdtcBankCode")->setText("950");
        card.findChild<suite::Edit*>("EdtcBankName")->setText("中国建设银行");
        card.findChild<suite::CheckBox*>("ChkbComdFixLen")->setValue(1);
        card.findChild<suite::Edit*>("EdtiComAccNoLen")->setText("20");
        card.findChild<suite::CheckBox*>("ChkbIndFixLen")->setValue(1);
        card.findChild<suite::Edit*>("EdtiIndAccNoLen")->setText("19");
        card.findChild<suite::Edit*>("EdtiIndAutoInputLen")->setText("6");
        card.findChild<suite::Edit*>("EdtcIndUnitcode")->setText("4401");
        return "950";
    }
    static QList<Stored> stored() {
        return {{"cBankName", "中国建设银行"}, {"bComdFixLen", "1"},   {"iComAccNoLen", "20"},
                {"bIndFixLen", "1"},           {"iIndAccNoLen", "19"}, {"iIndAutoInputLen", "6"},
                {"cIndUnitcode", "4401"},      {"bSysData", "0"}};
    }
    static QList<std::pair<const char*, QString>> shownAgain() {
        return {{"EdtcBankName", "中国建设银行"}, {"EdtcIndUnitcode", "4401"}};
    }
};

template <> struct CardCase<ctlBank> {
    static constexpr const char* firstField = "EdtcBCode";
    static constexpr const char* nameField = "EdtcAccName";
    static constexpr const char* digitsField = "EdtcBAccount";
    /// The suspension box is left out: Tab reaches it, Enter does not.
    static QString walk() {
        return "EdtcBCode EdtcBAccount EdtcAccName EdtdOpenAccDate EdtcCurrencyName chkbPwdMng "
               "EdtcBName EdtcBankCode EdtcCustomerNo EdtcOrgNo EdtcUnionBankNo EdtcOpenAccAddr "
               "EdtcProvinceName EdtcCountyName OptiSignFlag0 OptiSignFlag1 CmbiAccProperty "
               "EdtcCode EdtfCurBalance";
    }
    static QString fill(ctlBank& card, const std::function<void()>& addBank) {
        addBank();
        const auto edit = [&](const char* name) { return card.findChild<suite::Edit*>(name); };
        const auto ref = [&](const char* name) { return card.findChild<suite::RefEdit*>(name); };
        card.Emptyallfields();
        edit("EdtcBCode")->setText("90");
        edit("EdtcBAccount")->setText("6222 0000 1111");
        edit("EdtcAccName")->setText("测试账户");
        ref("EdtdOpenAccDate")->setValue("2024-02-29");
        ref("EdtcCurrencyName")->setValue("美元");
        card.findChild<suite::CheckBox*>("chkbPwdMng")->setValue(1);
        edit("EdtcBName")->setText("伦敦分行");
        ref("EdtcBankCode")->setValue("990");
        ref("EdtcProvinceName")->setValue("广东省");
        ref("EdtcCountyName")->setValue("广州市");
        edit("EdtcCode")->setText("建设银行存款");
        edit("EdtcCode")->setTag("100202");
        edit("EdtfCurBalance")->setText("-1,234,567.25");
        edit("EdtcUnionBankNo")->setText("105290000009");
        card.findChild<suite::OptionButton*>("OptiSignFlag1")->setValue(true);
        return "90";
    }
    static QList<Stored> stored() {
        return {{"cBAccount", "6222 0000 1111"},
                {"cCurrencyName", "美元"},
                {"cBankCode", "990"},
                {"cProvinceName", "广东省"},
                {"cCountyName", "广州市"},
                {"cCode", "100202"},
                {"iAccProperty", "2"},
                {"iSignFlag", "1"},
                {"bPwdMng", "1"},
                {"fCurBalance", "-1234567.25"},
                {"cUnionBankNo", "105290000009"}};
    }
    /// The bank by its name, quote and ampersand kept; the amount with its separators.
    static QList<std::pair<const char*, QString>> shownAgain() {
        return {{"EdtcBankCode", "Lloyd's & Co"}, {"EdtfCurBalance", "-1,234,567.25"}};
    }
};

bool sameValue(const QVariant& stored, const QString& expected) {
    bool number = false;
    const double e = expected.toDouble(&number);
    return number ? stored.toDouble() == e : stored.toString() == expected;
}

/// Drags a text over an edit and drops it there, as another program would.
void dropText(QWidget* target, const QString& text) {
    QMimeData data;
    data.setText(text);
    const QPoint at(4, target->height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
}

template <typename Card> struct BothCards : CardFixture<Card> { using Case = CardCase<Card>; };

using Cards = ::testing::Types<ctlAA_Bank, ctlBank>;
TYPED_TEST_SUITE(BothCards, Cards);

TYPED_TEST(BothCards, RefusedCharactersNeverReachAnEditHoweverTheyAreTyped) {
    this->open();
    for (suite::Edit* e : this->card->template findChildren<suite::Edit*>()) {
        // A date is typed into its own calendar edit, which takes digits and dashes only; the
        // interbank code takes digits only.
        if (e->objectName() == u"EdtdOpenAccDate" || e->objectName() == u"EdtcUnionBankNo" ||
            e->isHidden() || !e->isEnabled())
            continue;
        e->clear();
        e->setFocus();
        QTest::keyClicks(e, "A<B>C'D\"E|F&G,H");
        EXPECT_EQ(e->text(), "ABCDEFGH") << e->objectName().toStdString();
    }
}

TYPED_TEST(BothCards, EveryWayTheUserChangesAFieldCountsAndNothingElseDoes) {
    this->open();
    QSignalSpy changes(this->card.get(), &CardControl::ActiveSaveBtn);
    suite::Edit* name = this->edit(TestFixture::Case::nameField);
    name->setText("程序写入");
    this->card->Emptyallfields();
    EXPECT_EQ(changes.size(), 0) << "text the card sets is no change of the user's";

    name->setFocus();
    QInputMethodEvent composing("zhongguo", {});
    QApplication::sendEvent(name, &composing);
    EXPECT_EQ(changes.size(), 0) << "an unfinished composition changes nothing yet";
    commitText(name, "中国银行");
    EXPECT_EQ(name->text(), "中国银行");
    EXPECT_EQ(changes.size(), 1) << "an input method's commit";
    commitText(name, "ＡＢ１２");
    EXPECT_EQ(changes.size(), 2) << "full-width characters";

    QApplication::clipboard()->setText("分行");
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(name->text(), "中国银行ＡＢ１２分行");
    EXPECT_EQ(changes.size(), 3) << "a paste";
    QApplication::clipboard()->setText("北京,上海");
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(name->text(), "中国银行ＡＢ１２分行") << "a comma is refused";
    EXPECT_EQ(changes.size(), 3) << "a refused paste changes nothing";
    QTest::keyClick(name, Qt::Key_Ampersand);
    EXPECT_EQ(changes.size(), 3) << "a refused key changes nothing";

    suite::Edit* digits = this->edit(TestFixture::Case::digitsField);
    digits->setFocus();
    dropText(digits, "19");
    EXPECT_EQ(digits->text(), "19");
    EXPECT_EQ(changes.size(), 4) << "a drop";
    dropText(digits, "1,9");
    EXPECT_EQ(digits->text(), "19") << "a dropped comma is refused";
    EXPECT_EQ(changes.size(), 4);
}

TYPED_TEST(BothCards, EnterWalksTheFieldsAndAsksToSaveInTheLastOne) {
    this->open();
    QSignalSpy saves(this->card.get(), &CardControl::SaveRs);
    QStringList walked;
    this->card->template findChild<QWidget*>(TestFixture::Case::firstField)->setFocus();
    for (int i = 0; i < 30 && saves.isEmpty() && QApplication::focusWidget(); ++i) {
        QWidget* at = QApplication::focusWidget();
        walked << at->objectName();
        QTest::keyClick(at, Qt::Key_Return);
        // A card may move the focus on from its event loop; a key that moves nothing ends the
        // walk short.
        if (!QTest::qWaitFor([&] { return QApplication::focusWidget() != at || !saves.isEmpty(); },
                             1000))
            break;
    }
    EXPECT_EQ(walked.join(u' ').toStdString(), TestFixture::Case::walk().toStdString());
    EXPECT_EQ(saves.size(), 1);
}

TYPED_TEST(BothCards, InBothLanguagesNoCaptionIsCutAndEachColumnLinesUp) {
    const auto restore = qScopeGuard([] { suite::setSessionLanguage("zh-CN"); });
    for (const char* language : {"en-US", "zh-CN"}) {
        SCOPED_TRACE(language);
        suite::setSessionLanguage(language);
        this->open("NB", std::make_shared<suite::Pub>());
        EXPECT_EQ(layoutFaults(*this->card), QStringList());
    }
}

TYPED_TEST(BothCards, WhatTheCardSavesIsStoredAndReadBackFieldForField) {
    this->open("NB", std::make_shared<suite::Pub>());
    const QString key = TestFixture::Case::fill(*this->card, [this] {
        this->exec("insert into aa_bank (cBankCode, cBankName) values ('990', 'Lloyd''s & Co')");
    });
    bool ok = false;
    QString xml = this->card->GetSaveXml(ok);
    ASSERT_TRUE(ok);
    QString error;
    ASSERT_TRUE(this->db->Add(xml, CardTable<TypeParam>::archive, error)) << error.toStdString();

    RecordsetPtr record = this->record(key);
    ASSERT_TRUE(record && record->RecordCount() == 1);
    for (const Stored& s : TestFixture::Case::stored())
        EXPECT_TRUE(sameValue(record->Value(s.field), s.value))
            << s.field << ": " << record->Value(s.field).toString().toStdString();

    // Shown again, it saves the same text, and the service takes it back unchanged.
    this->card->FillAllFields(record);
    for (const auto& [name, text] : TestFixture::Case::shownAgain())
        EXPECT_EQ(this->card->template findChild<QLineEdit*>(name)->text(), text) << name;
    QString again = this->card->GetSaveXml(ok);
    EXPECT_EQ(again, xml);
    ASSERT_TRUE(this->db->Modify(again, CardTable<TypeParam>::archive, error))
        << error.toStdString();
    record = this->record(key);
    for (const Stored& s : TestFixture::Case::stored())
        EXPECT_TRUE(sameValue(record->Value(s.field), s.value)) << s.field;
}

} // namespace
