// The list's filter of bank accounts whose 联行号 wants a look: which accounts it lists, and
// the status line's count of them per problem.
#include "ListWindowFixture.h"
#include "Eventually.h"
#include "StoredBranches.h"

#include <QAction>

using namespace tarvo;

namespace {

QStringList codes(FrmMain& w) {
    QStringList out;
    for (int r = 1; r < w.grid()->Rows(); ++r)
        out << w.grid()->TextMatrix(r, 1);
    out.sort();
    return out;
}

QString filterPanel(FrmMain& w) {
    return w.findChild<suite::StatusBar*>("Stb")->PanelText(2);
}

TEST_F(ListWindowTest, WithoutADirectoryTheFilterListsMissingAndMalformedCodesAndCountsThem) {
    // 01 and 02 keep their good codes; the demo's 03 and 04 share one.
    h.exec("update bank set cUnionBankNo = '' where cBCode = '01'");
    h.exec("update bank set cUnionBankNo = null where cBCode = '02'");
    h.exec("update bank set cUnionBankNo = '10458100000' where cBCode = '03'");
    withList("bank", "NB", [&](FrmMain& w) {
        auto* item = w.findChild<QAction*>("mUnionBankCheck");
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->isVisible());
        EXPECT_TRUE(w.findChild<QAction*>("mImportBranches")->isVisible());
        const int all = w.grid()->Rows() - 1;

        item->trigger();
        EXPECT_EVENTUALLY(settled(w) && filterPanel(w).contains(u"（"));
        EXPECT_EQ(codes(w), (QStringList{"01", "02", "03"}));
        EXPECT_EQ(filterPanel(w), "已过滤：联行号待核对（缺少 2，不是 12 位数字 1）")
            << "without a directory nothing is said of codes it would know";

        w.DoCommand("Refresh");
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_EQ(w.grid()->Rows() - 1, all) << "a refresh shows every account again";
        EXPECT_EQ(filterPanel(w), "");
    });
}

TEST_F(ListWindowTest, WithADirectoryTheFilterTellsUnknownAndRetiredCodesApart) {
    // 04 keeps the code of a listed branch; 03 had the same one.
    h.exec("update bank set cUnionBankNo = '1021' where cBCode = '01'");
    h.exec("update bank set cUnionBankNo = '104581000777' where cBCode = '03'");
    withList("bank", "NB", [&](FrmMain& w) {
        storeBranches({madeUpBranch("104581000003", "示例银行虚构市天河支行", "广东", "广州")},
                      {madeUpBranch("105290000002", "示例银行虚构区已撤支行", "上海", "上海")},
                      QDate(2026, 11, 1));
        w.DoCommand("UnionBankCheck");
        EXPECT_EVENTUALLY(settled(w) && filterPanel(w).contains(u"（"));
        EXPECT_EQ(codes(w), (QStringList{"01", "02", "03"}));
        EXPECT_EQ(filterPanel(w),
                  "已过滤：联行号待核对（缺少 0，不是 12 位数字 1，目录中没有 1，已停用 1）");
    });
}

TEST_F(ListWindowTest, OnlyTheBankAccountsListOffersTheInterbankCodeFilterAndDirectoryImport) {
    withList("aa_bank", "", [&](FrmMain& w) {
        for (const char* name : {"mUnionBankCheck", "mImportBranches"}) {
            auto* item = w.findChild<QAction*>(name);
            ASSERT_NE(item, nullptr) << name;
            EXPECT_FALSE(item->isVisible()) << name;
        }
        const int all = w.grid()->Rows() - 1;
        w.DoCommand("UnionBankCheck");
        EXPECT_EVENTUALLY(settled(w));
        EXPECT_EQ(w.grid()->Rows() - 1, all) << "the banks have no 联行号 to filter by";
        EXPECT_EQ(filterPanel(w), "");
    });
}

} // namespace
