// What the bank card and the bank-account card promise alike: edits that refuse the same
// characters, Enter walking the fields to the save, captions that fit in both languages, and
// a save that stores every field and reads back as it was shown.
#include "BankAccountFixture.h"
#include "CardLayout.h"
#include "CardWidgets.h"
#include "Pub.h"
#include "SuiteContext.h"
#include "ctlAA_Bank.h"

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
    static constexpr const char* archive = "aa_bank";
    static constexpr const char* keyField = "cBankCode";
    static constexpr const char* initXml = "<aa_bank><HelpContextId>7</HelpContextId></aa_bank>";
    static constexpr const char* firstField = "EdtcBankCode";
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
        return {{"cBankName", "中国建设银行"}, {"bComdFixLen", "1"}, {"iComAccNoLen", "20"},
                {"bIndFixLen", "1"},          {"iIndAccNoLen", "19"}, {"iIndAutoInputLen", "6"},
                {"cIndUnitcode", "4401"},     {"bSysData", "0"}};
    }
    static QList<std::pair<const char*, QString>> shownAgain() {
        return {{"EdtcBankName", "中国建设银行"}, {"EdtcIndUnitcode", "4401"}};
    }
};

template <> struct CardCase<ctlBank> {
    static constexpr const char* archive = "bank";
    static constexpr const char* keyField = "cBCode";
    static constexpr const char* initXml = "<bank><HelpContextId>9</HelpContextId></bank>";
    static constexpr const char* firstField = "EdtcBCode";
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
        return {{"cBAccount", "6222 0000 1111"}, {"cCurrencyName", "美元"},
                {"cBankCode", "990"},             {"cProvinceName", "广东省"},
                {"cCountyName", "广州市"},        {"cCode", "100202"},
                {"iAccProperty", "2"},            {"iSignFlag", "1"},
                {"bPwdMng", "1"},                 {"fCurBalance", "-1234567.25"},
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

template <typename Card> struct BothCards : BankAccountCard {
    using Case = CardCase<Card>;
    std::unique_ptr<Card> shown;

    void TearDown() override {
        shown.reset();
        BankAccountCard::TearDown();
    }
    /// Opens the card over the given public services (the recording ones by default).
    void openCard(PubPtr pub = nullptr) {
        if (!pub)
            pub = recording;
        ArchiveSession::current().oPub = pub;
        ArchiveSession::current().sSysId = QStringLiteral("NB");
        shown = std::make_unique<Card>();
        ClsCommonPtr srv = db;
        QString xml = QString::fromUtf8(Case::initXml);
        ASSERT_TRUE(shown->Init(srv, pub, xml, comVar));
        shown->show();
        shown->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(shown.get()));
    }
    RecordsetPtr storedRecord(const QString& key) {
        QString sql = QStringLiteral("select * from %1 where %2='%3'")
                          .arg(QLatin1String(Case::archive), QLatin1String(Case::keyField), key);
        return db->OpenX(sql);
    }
};

using Cards = ::testing::Types<ctlAA_Bank, ctlBank>;
TYPED_TEST_SUITE(BothCards, Cards);

TYPED_TEST(BothCards, RefusedCharactersNeverReachAnEditHoweverTheyAreTyped) {
    this->openCard();
    for (suite::Edit* e : this->shown->template findChildren<suite::Edit*>()) {
        // A date is typed into its own calendar edit, which takes digits and dashes only.
        if (e->objectName() == u"EdtdOpenAccDate" || e->isHidden() || !e->isEnabled())
            continue;
        e->clear();
        e->setFocus();
        QTest::keyClicks(e, "A<B>C'D\"E|F&G,H");
        EXPECT_EQ(e->text(), "ABCDEFGH") << e->objectName().toStdString();
    }
}

TYPED_TEST(BothCards, EnterWalksTheFieldsAndAsksToSaveInTheLastOne) {
    this->openCard();
    QSignalSpy saves(this->shown.get(), &CardControl::SaveRs);
    QStringList walked;
    this->shown->template findChild<QWidget*>(TestFixture::Case::firstField)->setFocus();
    for (int i = 0; i < 30 && saves.isEmpty() && QApplication::focusWidget(); ++i) {
        QWidget* at = QApplication::focusWidget();
        walked << at->objectName();
        QTest::keyClick(at, Qt::Key_Return);
        // A card may move the focus on from its event loop; a key that moves nothing ends the
        // walk short.
        if (!QTest::qWaitFor(
                [&] { return QApplication::focusWidget() != at || !saves.isEmpty(); }, 1000))
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
        this->openCard(std::make_shared<suite::Pub>());
        EXPECT_EQ(layoutFaults(*this->shown), QStringList());
    }
}

TYPED_TEST(BothCards, WhatTheCardSavesIsStoredAndReadBackFieldForField) {
    this->openCard(std::make_shared<suite::Pub>());
    const QString key = TestFixture::Case::fill(*this->shown, [this] {
        this->exec("insert into aa_bank (cBankCode, cBankName) values ('990', 'Lloyd''s & Co')");
    });
    bool ok = false;
    QString xml = this->shown->GetSaveXml(ok);
    ASSERT_TRUE(ok);
    QString error;
    ASSERT_TRUE(this->db->Add(xml, TestFixture::Case::archive, error)) << error.toStdString();

    RecordsetPtr record = this->storedRecord(key);
    ASSERT_TRUE(record && record->RecordCount() == 1);
    for (const Stored& s : TestFixture::Case::stored())
        EXPECT_TRUE(sameValue(record->Value(s.field), s.value))
            << s.field << ": " << record->Value(s.field).toString().toStdString();

    // Shown again, it saves the same text, and the service takes it back unchanged.
    this->shown->FillAllFields(record);
    for (const auto& [name, text] : TestFixture::Case::shownAgain())
        EXPECT_EQ(this->shown->template findChild<QLineEdit*>(name)->text(), text) << name;
    QString again = this->shown->GetSaveXml(ok);
    EXPECT_EQ(again, xml);
    ASSERT_TRUE(this->db->Modify(again, TestFixture::Case::archive, error))
        << error.toStdString();
    record = this->storedRecord(key);
    for (const Stored& s : TestFixture::Case::stored())
        EXPECT_TRUE(sameValue(record->Value(s.field), s.value)) << s.field;
}

} // namespace
