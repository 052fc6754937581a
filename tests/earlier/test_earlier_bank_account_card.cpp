// The bank-account card of the earlier build: no password management, the same save XML
// otherwise, lookups through buttons beside plain fields, and the suite's earlier layout and
// font members.
#include "../cards/CardFixture.h"

#include "CardWidgets.h"
#include "ModalWatch.h"
#include "ctlAA_Bank.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>

using namespace tarvo;

TEST_F(BankAccountCard, TheSaveXmlLeavesOutPasswordManagementAndKeepsTheOrder) {
    exec("update bank set iSignFlag=2, iAccProperty=null, cCode='999999', bPwdMng=1, "
         "cAccName='O''Brien & Co' where cBCode='01'");
    open();
    auto* pwd = child<suite::CheckBox>("chkbPwdMng");
    ASSERT_NE(pwd, nullptr);
    EXPECT_TRUE(pwd->isHidden());
    fill("01");
    for (int i = 0; i < 30; ++i) {
        QWidget* focus = QApplication::focusWidget();
        EXPECT_NE(focus, pwd) << "the box is never reached by Tab";
        if (focus)
            QTest::keyClick(focus, Qt::Key_Tab);
    }

    bool ok = false;
    QString xml = card->GetSaveXml(ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(xml,
              "<Bank><cBCode>01</cBCode><cBAccount>0200000000000000011</cBAccount>"
              "<cAccName>O'Brien &amp; Co</cAccName><dOpenAccDate>2018-03-12</dOpenAccDate>"
              "<cCurrencyName>人民币</cCurrencyName><bBflag>0</bBflag>"
              "<cBName>中国工商银行北京海淀支行</cBName><cBankCode>102</cBankCode>"
              "<cProvinceName>北京市</cProvinceName><cCountyName>海淀区</cCountyName>"
              "<cOpenAccAddr>北京市海淀区示例路1号</cOpenAccAddr><iAccProperty>-1</iAccProperty>"
              "<cCode></cCode><fCurBalance>1250000.00</fCurBalance>"
              "<cCustomerNo>DEMO0000001</cCustomerNo><cOrgNo>DEMO-ORG-001</cOrgNo>"
              "<cUnionBankNo>102100000001</cUnionBankNo><iSignFlag>1</iSignFlag></Bank>");

    QString error;
    ASSERT_TRUE(db->Modify(xml, "bank", error)) << error.toStdString();
    EXPECT_EQ(record("01")->Value("bPwdMng").toInt(), 1) << "the stored flag is kept";
}

TEST_F(BankAccountCard, NoEmptyRowIsLeftWhereThePasswordRowWas) {
    open();
    const auto* account = child<suite::Frame>("FrameAcc");
    int lowest = 0;
    for (const QWidget* w : account->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->isHidden())
            lowest = std::max(lowest, w->geometry().bottom());
    const int rowPitch = 390 / 15;
    EXPECT_LT(account->height() - lowest, rowPitch) << "below the last row of the frame";
    EXPECT_LT(child<suite::Frame>("FrameBank")->y() - account->geometry().bottom(), rowPitch);
}

TEST_F(BankAccountCard, ButtonsBesideTheFieldsLookUpAndWhatTheyChooseIsSaved) {
    open();
    const QStringList layouts = recording->callsOf("UCtrlLayout");
    ASSERT_EQ(layouts.size(), 1);
    EXPECT_TRUE(layouts[0].endsWith(",Tarvo.AA.ARCHIVE.TARVOARCHIVE.ctlBank)"))
        << layouts[0].toStdString();
    EXPECT_TRUE(recording->callsOf("SetConPosition").isEmpty());
    EXPECT_EQ(edit("EdtcBCode")->font().family(), "Noto Serif CJK SC");

    for (const char* field : {"EdtcCurrencyName", "EdtcBankCode", "EdtcProvinceName",
                              "EdtcCountyName", "EdtdOpenAccDate"}) {
        auto* own = ref(field)->findChild<QAction*>(QString::fromLatin1(field) + "_ref");
        EXPECT_NE(own, nullptr) << field;
        if (own) {
            EXPECT_FALSE(own->isVisible()) << field << " is a plain edit";
        }
    }
    fill("01");
    QSignalSpy changes(card.get(), &CardControl::ActiveSaveBtn);

    {
        auto watch = whenModal<QDialog>([](QDialog& d) {
            d.findChild<QLineEdit*>("ReferFilter")->setText("建设");
            d.accept();
        });
        child<QToolButton>("cmdref1")->click();
    }
    EXPECT_EQ(ref("EdtcBankCode")->Value(), "105");
    EXPECT_EQ(ref("EdtcBankCode")->text(), "中国建设银行");

    QTimer::singleShot(50, [] {
        if (QWidget* popup = QApplication::activePopupWidget())
            Q_EMIT popup->findChild<QCalendarWidget*>()->activated(QDate(2024, 2, 29));
    });
    child<QToolButton>("CmdDate0")->click();
    EXPECT_EQ(ref("EdtdOpenAccDate")->text(), "2024-02-29");
    EXPECT_GE(changes.size(), 2);

    bool ok = false;
    const QString xml = card->GetSaveXml(ok);
    ASSERT_TRUE(ok);
    EXPECT_TRUE(xml.contains("<dOpenAccDate>2024-02-29</dOpenAccDate>")) << xml.toStdString();
    EXPECT_TRUE(xml.contains("<cBankCode>105</cBankCode>"));
}

TEST_F(BankAccountCard, TheBankCardIsLaidOutUnderItsOwnKey) {
    tarvo::ArchiveSession::current().oPub = recording;
    ctlAA_Bank bankCard;
    ClsCommonPtr srv = db;
    PubPtr pub = recording;
    QString xml = QStringLiteral("<aa_bank><HelpContextId>7</HelpContextId></aa_bank>");
    ASSERT_TRUE(bankCard.Init(srv, pub, xml, comVar));
    const QStringList layouts = recording->callsOf("UCtrlLayout");
    ASSERT_EQ(layouts.size(), 1);
    EXPECT_TRUE(layouts[0].endsWith(",Tarvo.AA.ARCHIVE.TARVOARCHIVE.ctlAA_Bank)"));
    EXPECT_TRUE(recording->callsOf("SetConPosition").isEmpty());
    EXPECT_EQ(bankCard.findChild<suite::Edit*>("EdtcBankCode")->font().family(),
              "Noto Serif CJK SC");
}
