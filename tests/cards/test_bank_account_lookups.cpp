#include "CardFixture.h"
#include "Eventually.h"

#include "CardWidgets.h"
#include "ModRef.h"
#include "ModalWatch.h"

#include <QAbstractItemModel>
#include <QCalendarWidget>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

using namespace tarvo;

namespace {

/// Picks, in the pick list that opens next, the first row the filter text leaves; records
/// the rows the list offered before filtering.
std::shared_ptr<QTimer> pickFirst(const QString& filter, QStringList* offered = nullptr) {
    return whenModal<QDialog>([filter, offered](QDialog& d) {
        auto* rows = d.findChild<QTableView*>("ReferRows");
        if (offered)
            for (int r = 0; r < rows->model()->rowCount(); ++r)
                *offered << rows->model()->index(r, 0).data().toString();
        d.findChild<QLineEdit*>("ReferFilter")->setText(filter);
        d.accept();
    });
}

/// Clicks the button at the right end of a reference edit.
void openLookup(suite::RefEdit* edit) {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F2);
}

} // namespace

TEST_F(BankAccountCard, ANewProvinceDropsTheCountyAndTheCountyListFollowsTheProvince) {
    open();
    fill("01");
    auto* province = ref("EdtcProvinceName");
    auto* county = ref("EdtcCountyName");
    EXPECT_EQ(province->Value(), "110000");
    EXPECT_EQ(county->text(), "海淀区");

    QSignalSpy changes(card.get(), &CardControl::ActiveSaveBtn);
    QStringList offered;
    {
        auto watch = pickFirst("广东", &offered);
        openLookup(province);
    }
    EXPECT_EQ(province->text(), "广东省");
    EXPECT_EQ(province->Value(), "440000");
    EXPECT_EQ(county->text(), "") << "picking a province drops the county";
    EXPECT_FALSE(offered.contains("110100")) << "only provinces are offered";
    EXPECT_GE(changes.size(), 1);

    offered.clear();
    {
        auto watch = pickFirst("广州", &offered);
        openLookup(county);
    }
    EXPECT_EQ(county->text(), "广州市");
    for (const QString& code : offered)
        EXPECT_TRUE(code.startsWith("44")) << code.toStdString();

    province->setFocus();
    QTest::keyClick(province, Qt::Key_Backspace);
    EXPECT_EQ(county->text(), "") << "typing in the province drops the county";

    // With no province the county list is not limited.
    province->Reset();
    offered.clear();
    {
        auto watch = pickFirst("", &offered);
        openLookup(county);
    }
    EXPECT_GT(offered.size(), 300);
}

TEST_F(BankAccountCard, TheCountyConditionQuotesTheProvinceValue) {
    const QString xml = "<RefConditions><Condition paramName='@cpCodeId' paramValue='" +
                        suite::RefEdit::attributeText("O'Neil & <Co>") + "' /></RefConditions>";
    EXPECT_EQ(suite::RefEdit::conditionSql(xml, "#FN[cpCodeId]=@cpCodeId"),
              "cpCodeId='O''Neil & <Co>'");
    EXPECT_EQ(suite::RefEdit::conditionSql("", "#FN[ilevels]=0 "), "ilevels=0 ");
    EXPECT_EQ(suite::RefEdit::conditionSql("", "#FN[cpCodeId]=@cpCodeId"), "")
        << "an unknown parameter gives no condition";
    EXPECT_EQ(suite::RefEdit::conditionSql("", "1=1; drop table bank"), "");
}

TEST_F(BankAccountCard, BanksAndCurrenciesAreFoundByCodeOrNameWhateverTheirCharacters) {
    exec("insert into aa_bank (cBankCode, cBankName) values ('990', 'Lloyd''s & Co')");
    open();
    auto* bank = ref("EdtcBankCode");
    bank->setValue("990");
    EXPECT_EQ(bank->text(), "Lloyd's & Co");
    card->Emptyallfields();
    edit("EdtcBCode")->setText("31");
    edit("EdtcBAccount")->setText("6222");
    ref("EdtcCurrencyName")->setValue("人民币");
    edit("EdtcBName")->setText("某支行");
    bank->setFocus();
    commitText(bank, "中国银行");
    bool ok = false;
    EXPECT_TRUE(card->GetSaveXml(ok).contains("<cBankCode>104</cBankCode>"))
        << "a name typed and saved at once counts as its bank";
    EXPECT_EQ(bank->Value(), "104");

    retype(bank, "没有这家银行");
    ref("EdtcCurrencyName")->setFocus();
    EXPECT_EQ(bank->Value(), "") << "an unknown bank is no choice";
    EXPECT_EQ(bank->text(), "") << "and the field is emptied for another try";

    auto* currency = ref("EdtcCurrencyName");
    QSignalSpy changes(card.get(), &CardControl::ActiveSaveBtn);
    {
        auto watch = pickFirst("USD");
        openLookup(currency);
    }
    EXPECT_EQ(currency->Value(), "美元");
    EXPECT_EQ(changes.size(), 1);
}

TEST_F(BankAccountCard, TheLedgerAccountReferenceOffersEndLevelAccountsOnly) {
    open();
    card->Emptyallfields();
    auto* code = edit("EdtcCode");
    code->setUTooltipText("tip");
    code->setText("1002");
    QSignalSpy changes(card.get(), &CardControl::ActiveSaveBtn);
    bool bankGroupChoosable = true, okOnGroup = true;
    QString started;
    qsizetype changesWhenOpen = -1;
    {
        auto watch = whenModal<QDialog>([&](QDialog& d) {
            changesWhenOpen = changes.size();
            auto* tree = d.findChild<QTreeWidget*>("AccountCodeTree");
            started = tree->currentItem() ? tree->currentItem()->text(0) : QString();
            bankGroupChoosable = tree->currentItem()->flags() & Qt::ItemIsSelectable;
            okOnGroup = d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled();
            d.reject();
        });
        QTest::mouseClick(child<QToolButton>("cmdref4"), Qt::LeftButton);
    }
    EXPECT_EQ(started, "1002") << "the reference opens on the edit's text";
    EXPECT_FALSE(bankGroupChoosable);
    EXPECT_FALSE(okOnGroup);
    EXPECT_EQ(changesWhenOpen, 1) << "the click is a change before the lookup opens";
    EXPECT_EQ(changes.size(), 1) << "and stays one when the lookup is cancelled";
    EXPECT_EQ(code->text(), "1002") << "cancelling changes no field";
    EXPECT_EQ(code->Tag(), "");
    EXPECT_EQ(code->UTooltipText(), "tip");

    {
        auto watch = whenModal<QDialog>([](QDialog& d) {
            auto* find = d.findChild<QLineEdit*>("AccountCodeFind");
            find->clear();
            commitText(find, "建设银行");
            d.accept();
        });
        QTest::mouseClick(child<QToolButton>("cmdref4"), Qt::LeftButton);
    }
    EXPECT_EQ(code->Tag(), "100202");
    EXPECT_EQ(code->text(), "建设银行存款");
    EXPECT_EQ(code->UTooltipText(), "tip") << "the tooltip is left alone";
}

TEST_F(BankAccountCard, TheCalendarOpensBelowTheEditOrAboveItNearTheBottom) {
    open();
    QWidget container;
    container.resize(600, 400);
    suite::Edit high(&container), low(&container);
    high.setGeometry(20, 20, 200, 19);
    low.setGeometry(20, 360, 200, 19);
    container.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&container));
    const auto pickAndMeasure = [&](suite::Edit& edit, int* top, bool pick) {
        QTimer::singleShot(50, [&, top, pick] {
            QWidget* popup = QApplication::activePopupWidget();
            if (!popup)
                return;
            *top = container.mapFromGlobal(popup->pos()).y();
            auto* calendar = popup->findChild<QCalendarWidget*>();
            if (pick)
                calendar->activated(QDate(2024, 2, 29));
            else
                popup->close();
        });
        ModRef::ShowDatePicker(edit, &container);
    };
    int highTop = -1, lowTop = -1;
    pickAndMeasure(high, &highTop, true);
    EXPECT_GE(highTop, high.geometry().bottom());
    EXPECT_EQ(high.text(), "2024-02-29");
    low.setText("2020-01-01");
    pickAndMeasure(low, &lowTop, false);
    EXPECT_LT(lowTop, low.y());
    EXPECT_EQ(low.text(), "2020-01-01") << "leaving the calendar changes nothing";
}

TEST_F(BankAccountCard, EveryLookupFieldTakesATypedCodeOrNameAndSaysWhenNeitherMatches) {
    exec("insert into aa_bank (cBankCode, cBankName) values ('AB1', 'Aston Bank')");
    open();
    card->Emptyallfields();
    edit("EdtcBCode")->setText("31");
    edit("EdtcBAccount")->setText("6222");
    edit("EdtcBName")->setText("某支行");
    const auto typeAndTab = [](suite::RefEdit* field, const QString& text, bool keys) {
        field->setFocus();
        field->selectAll();
        if (keys)
            QTest::keyClicks(field, text);
        else
            commitText(field, text);
        QTest::keyClick(field, Qt::Key_Tab);
    };
    auto* currency = ref("EdtcCurrencyName");
    auto* bank = ref("EdtcBankCode");
    auto* province = ref("EdtcProvinceName");
    auto* county = ref("EdtcCountyName");
    typeAndTab(currency, "cny", true);
    typeAndTab(bank, "ab1", true);
    typeAndTab(province, "吉林省", false);
    typeAndTab(county, "长春市", false);
    EXPECT_EQ(currency->Value(), "人民币") << "a currency code in any case";
    EXPECT_EQ(bank->Value(), "AB1");
    EXPECT_EQ(bank->text(), "Aston Bank");
    EXPECT_EQ(province->Value(), "220000");
    EXPECT_EQ(county->Value(), "220100");
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    bool ok = false;
    QString xml = card->GetSaveXml(ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(xml.contains("<cCurrencyName>人民币</cCurrencyName>")) << xml.toStdString();
    EXPECT_TRUE(xml.contains("<cBankCode>AB1</cBankCode>"));
    EXPECT_TRUE(xml.contains("<cCountyName>长春市</cCountyName>"));

    typeAndTab(currency, "CNX", true);
    typeAndTab(county, "朝阳区", false);
    typeAndTab(province, "110000", true);
    EXPECT_EQ(province->text(), "北京市") << "a province by its code";
    EXPECT_EQ(messages(), QStringList({"res:Tarvo.AA.ARCHIVE.COMMON.unknown_currency|CNX"}))
        << "a region is saved as written: one that names no region is no refusal";
    EXPECT_EQ(currency->text(), "") << "emptied for the clerk to try again";
    xml = card->GetSaveXml(ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(messages().value(1), "res:Tarvo.AA.ARCHIVE.COMMON.ccurrencyname");

    typeAndTab(currency, "美元", false);
    bank->setFocus();
    bank->selectAll();
    QTest::keyClicks(bank, "999");
    card->GetSaveXml(ok);
    EXPECT_FALSE(ok) << "a bank typed and saved at once";
    EXPECT_EQ(messages().value(2), "res:Tarvo.AA.ARCHIVE.COMMON.unknown_bank|999");
    EXPECT_EQ(messages().size(), 3) << "one refusal, one message";
}

TEST_F(BankAccountCard, TheCountyListOffersTheRealPlacesUnderPlaceholderLevels) {
    open();
    auto* province = ref("EdtcProvinceName");
    auto* county = ref("EdtcCountyName");
    const auto offeredFor = [&](const QString& provinceCode) {
        province->setValue(provinceCode);
        QStringList offered;
        auto watch = whenModal<QDialog>([&offered](QDialog& d) {
            auto* rows = d.findChild<QTableView*>("ReferRows");
            for (int r = 0; r < rows->model()->rowCount(); ++r)
                offered << rows->model()->index(r, 0).data().toString();
            d.reject();
        });
        openLookup(county);
        return offered;
    };
    const QStringList beijing = offeredFor("110000");
    EXPECT_TRUE(beijing.contains("110108")) << "海淀区";
    EXPECT_FALSE(beijing.contains("110100")) << "市辖区";
    EXPECT_EQ(beijing.size(), 16);
    const QStringList chongqing = offeredFor("500000");
    EXPECT_TRUE(chongqing.contains("500101") && chongqing.contains("500229"))
        << "districts and counties alike";
    EXPECT_FALSE(chongqing.contains("500100") || chongqing.contains("500200"));
    const QStringList henan = offeredFor("410000");
    EXPECT_TRUE(henan.contains("410100") && henan.contains("419001"))
        << "its cities and the county-level city under the province";
    EXPECT_FALSE(henan.contains("419000"));
    EXPECT_FALSE(henan.contains("410102")) << "no district of a real city";

    province->setValue("110000");
    card->activateWindow();
    EXPECT_EVENTUALLY(card->isActiveWindow());
    county->setFocus();
    commitText(county, "海淀区");
    QTest::keyClick(county, Qt::Key_Tab);
    EXPECT_EQ(county->Value(), "110108") << "a typed district of a municipality is found too";
}

TEST_F(BankAccountCard, TheCountyListAsksForTheProvincesChildrenInTheReferencesOwnWords) {
    open();
    auto* province = ref("EdtcProvinceName");
    auto* county = ref("EdtcCountyName");
    QString xml = "as it came", filter = "as it came";
    QVariant unused;
    Q_EMIT county->BeforeReference(xml, filter, unused);
    EXPECT_EQ(xml, "as it came") << "no province, no condition";
    EXPECT_EQ(filter, "as it came");

    province->setValue("500000");
    Q_EMIT county->BeforeReference(xml, filter, unused);
    EXPECT_EQ(xml, "<RefConditions><Condition paramName='@cpCodeId' paramValue='500000' />"
                   "</RefConditions>");
    EXPECT_EQ(filter, "#FN[cpCodeId]=@cpCodeId");
}

TEST_F(BankAccountCard, ProvinceAndCountyAreSavedAsShownWhetherOrNotTheyNameARegion) {
    open();
    fill("02");
    auto* province = ref("EdtcProvinceName");
    auto* county = ref("EdtcCountyName");
    retype(province, "江苏省");
    QTest::keyClick(province, Qt::Key_Tab);
    county->setFocus();
    commitText(county, "苏州工业园区");
    QTest::keyClick(county, Qt::Key_Tab);
    EXPECT_EQ(province->Value(), "320000") << "a region's name still finds it";
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    bool ok = false;
    const QString xml = card->GetSaveXml(ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(xml.contains("<cProvinceName>江苏省</cProvinceName>"
                             "<cCountyName>苏州工业园区</cCountyName>"))
        << xml.toStdString();
    EXPECT_TRUE(messages().isEmpty());
}
