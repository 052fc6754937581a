// The bank-account card of the earlier build: no password management, the same save XML
// otherwise, and what it saves keeps a stored password-management flag.
#include "../cards/BankAccountFixture.h"

#include "CardWidgets.h"

using namespace tarvo;

TEST_F(BankAccountCard, TheSaveXmlLeavesOutPasswordManagementAndKeepsTheOrder) {
    exec("update bank set iSignFlag=2, iAccProperty=null, cCode='999999', bPwdMng=1, "
         "cAccName='O''Brien & Co' where cBCode='01'");
    open();
    auto* pwd = child<suite::CheckBox>("chkbPwdMng");
    ASSERT_NE(pwd, nullptr);
    EXPECT_TRUE(pwd->isHidden());
    auto stored = account("01");
    card->FillAllFields(stored);
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
    EXPECT_EQ(account("01")->Value("bPwdMng").toInt(), 1) << "the stored flag is kept";
}
