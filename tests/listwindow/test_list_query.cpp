#include "ListWindowFixture.h"
#include "Eventually.h"

#include <QLabel>
#include <QTest>

using namespace tarvo;

namespace {
const QString kBankNbList =
    "select cBCode,cBAccount,cAccName,dOpenAccDate,cCurrencyName,cBName,Bank.cBankCode,"
    "AA_Bank.cBankName,cProvinceName,cCountyName,cOpenAccAddr,cCustomerNo,cOrgNo,cUnionBankNo,"
    "iAccProperty,Bank.cCode,Code.ccode_name,fCurBalance,iSignFlag,bPwdMng,bBflag from bank"
    " Left Join AA_Bank on Bank.cBankCode=AA_Bank.cBankCode "
    " Left Join Code on Bank.cCode=Code.cCode ";
}

TEST_F(ListWindowTest, TheFirstQueryOfEachArchiveIsBuiltFromItsColumnSet) {
    withList("bank", "NB", [&](FrmMain& w) {
        EXPECT_TRUE(h.sql.contains(kBankNbList + " where (1=1) Order By cBCode asc"))
            << h.sql.join("\n").toStdString();
        EXPECT_EQ(w.grid()->Rows(), 5) << "the four demo accounts under the header row";
        EXPECT_EQ(w.m_KeyCol, 1);
    });
    withList("aa_bank", "", [&](FrmMain& w) {
        EXPECT_EQ(h.sql.filter("from aa_bank").last(),
                  "select cBankCode,cBankName,bComdFixLen,iComAccNoLen,bIndFixLen,iIndAccNoLen,"
                  "iIndAutoInputLen,cIndUnitcode,bSysData from aa_bank where (1=1) Order By "
                  "cBankCode asc");
        EXPECT_EQ(w.GetJoinTables("AA_Bank.cBankName,Code.ccode_name"), "")
            << "the bank archive never joins";
    });
}

TEST_F(ListWindowTest, JoinsComeInTheirOrderWhateverTheColumnOrder) {
    withList("bank", "", [&](FrmMain& w) {
        EXPECT_EQ(w.GetJoinTables("code.CCODE_NAME,AA_BANK.cBankName"),
                  " Left Join AA_Bank on Bank.cBankCode=AA_Bank.cBankCode "
                  " Left Join Code on Bank.cCode=Code.cCode ");
        EXPECT_EQ(w.GetJoinTables("cBCode,Code.ccode_name"),
                  " Left Join Code on Bank.cCode=Code.cCode ");
        EXPECT_EQ(w.GetJoinTables("cBCode"), "");
    });
}

TEST_F(ListWindowTest, ConditionsAndTheirMessages) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto* stb = w.findChild<suite::StatusBar*>("Stb");
        const int rows = w.grid()->Rows();

        int m = mark();
        refreshList(w, "   ");
        EXPECT_TRUE(h.sql.last().endsWith(" where (1=1) Order By cBankCode asc"));
        EXPECT_TRUE(callsSince(m).filter("MsgBox(").isEmpty()) << "blanks are no condition";

        m = mark();
        refreshList(w, "cBankCode='zz'");
        EXPECT_TRUE(h.sql.last().contains(" where cBankCode='zz' and (1=1) Order By"));
        EXPECT_EQ(callsSince(m).filter("MsgBox(").value(0),
                  "MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.findnothing,64,"
                  "res:Tarvo.AA.ARCHIVE.COMMON.information)");
        EXPECT_EQ(w.grid()->Rows(), 1) << "emptied to its header row";
        EXPECT_EQ(stb->PanelText(3), "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|0");

        refreshList(w, "");
        EXPECT_EQ(w.grid()->Rows(), rows);
        m = mark();
        refreshList(w, "cBankCode='1' and (");
        EXPECT_EQ(callsSince(m).filter("MsgBox(").value(0),
                  "MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.conditionerror,64,"
                  "res:Tarvo.AA.ARCHIVE.COMMON.information)");
        EXPECT_EQ(w.grid()->Rows(), rows) << "the grid keeps its rows";
        EXPECT_EQ(stb->PanelText(3),
                  "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|" + QString::number(rows - 1));
    });
}

TEST_F(ListWindowTest, AnEmptyTableRefreshesWithoutAMessage) {
    h.exec("delete from bank");
    withList("bank", "", [&](FrmMain& w) {
        EXPECT_EQ(w.grid()->Rows(), 1);
        EXPECT_TRUE(h.pub()->callsOf("MsgBox").isEmpty());
        EXPECT_EQ(w.findChild<suite::StatusBar*>("Stb")->PanelText(3),
                  "res:Tarvo.AA.ARCHIVE.COMMON.rstcount|0");
    });
}

TEST_F(ListWindowTest, AWildBalanceDecimalsSettingStillLoadsTheList) {
    const int accounts = h.scalar("select count(*) from bank").toInt();
    ASSERT_GT(accounts, 0);
    for (const char* wild : {"99999", "1e308", "-1e308"}) {
        h.exec("update AccInformation set cValue=? where cName='iStrsPriDecDgt'", {wild});
        withList("bank", "NB", [&](FrmMain& w) {
            EXPECT_EQ(w.grid()->Rows(), accounts + 1) << wild;
            EXPECT_EQ(h.pub()->callsOf("MsgBox").size(), 1) << "one warning about the setting";
        });
    }
}

TEST_F(ListWindowTest, TheStatusBarShowsTheFilterWhileItAppliesAndClearsItFromTheLinkOrTheDialog) {
    withList("aa_bank", "", [&](FrmMain& w) {
        auto* stb = w.findChild<suite::StatusBar*>("Stb");
        auto* link = stb->findChild<QLabel*>("Panel2Link");
        ASSERT_TRUE(link);
        const int all = w.grid()->Rows();
        const auto filter = [&] {
            w.showFilter("银行名称 包含 “工商”");
            refreshList(w, "cBankName like '%工商%'");
            ASSERT_LT(w.grid()->Rows(), all);
        };
        EXPECT_TRUE(stb->PanelText(2).isEmpty());
        EXPECT_FALSE(link->isVisibleTo(stb));
        filter();
        EXPECT_EQ(stb->PanelText(2), "已过滤：银行名称 包含 “工商”");
        EXPECT_EQ(stb->PanelLink(2), "清除过滤");
        EXPECT_TRUE(link->isVisibleTo(stb));
        EXPECT_EQ(w.filterShown(), "银行名称 包含 “工商”");

        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, link->height() / 2));
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_EQ(w.grid()->Rows(), all) << "every record again";
        EXPECT_TRUE(stb->PanelText(2).isEmpty());
        EXPECT_FALSE(link->isVisibleTo(stb));
        EXPECT_TRUE(w.filterShown().isEmpty());

        // Cleared in the filter dialog: the service tells the list and answers no condition.
        filter();
        h.pub()->onFind = [](QWidget* list) { dynamic_cast<FrmMain*>(list)->showFilter(""); };
        w.DoCommand("Filter");
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_EQ(w.grid()->Rows(), all);
        EXPECT_TRUE(stb->PanelText(2).isEmpty());

        // A dialog cancelled with no filter in force reads nothing.
        const int reads = sqlMark();
        w.DoCommand("Filter");
        EXPECT_EQ(sqlMark(), reads);
    });
}
