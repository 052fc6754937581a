// The 联行号 of imported bank accounts: twelve digits or none, and with a branch directory the
// fields its branch fills and what the clerk is told of a code the directory does not list.
#include "ImportBatch.h"
#include "ImportFixture.h"
#include "StoredBranches.h"

using namespace tarvo;

namespace {

/// Each row's verdict and reason, "verdict|reason", after a check of the file.
QStringList judged(FrmMain& w, const QString& file) {
    ImportBatch batch("bank", w.listFields());
    QString error;
    EXPECT_TRUE(batch.read(file, error)) << error.toStdString();
    EXPECT_TRUE(batch.check(error)) << error.toStdString();
    QStringList out;
    for (int r = 0; r < batch.verdicts().size(); ++r)
        out << batch.verdictText(r) + u'|' + batch.reasonText(r);
    return out;
}

TEST_F(ImportTest, AnInterbankCodeIsTwelveDigitsOrNoneAndASpreadsheetsRewriteIsRefused) {
    const QString file = write("codes.csv",
                               "编码,银行账号,币种,开户银行,所属银行编码,联行号\r\n"
                               "U1,6222000000000101,人民币,甲支行,102,102100000009\r\n"
                               "U2,6222000000000102,人民币,乙支行,102,\r\n"
                               "U3,6222000000000103,人民币,丙支行,102,10210000000\r\n"
                               "U4,6222000000000104,人民币,丁支行,102,1021000000AB\r\n"
                               "U5,6222000000000105,人民币,戊支行,102,1.02331E+11\r\n"
                               "U6,6222000000000106,人民币,己支行,102, 102100000016 \r\n"
                               "U7,6222000000000107,人民币,庚支行,102,１０２１００００００１７\r\n"
                               "U8,6222000000000108,人民币,辛支行,102,102 100 000 018\r\n",
                               "UTF-8");
    withList("bank", "NB", [&](FrmMain& w) {
        const QStringList rows = judged(w, file);
        ASSERT_EQ(rows.size(), 8);
        EXPECT_EQ(rows[0], "新增|") << "without a directory nothing is said of a good code";
        EXPECT_EQ(rows[1], "新增|") << "an account may have no code yet";
        EXPECT_EQ(rows[2], "拒绝|联行号“10210000000”应为 12 位数字，或不填");
        EXPECT_EQ(rows[3], "拒绝|联行号“1021000000AB”应为 12 位数字，或不填");
        EXPECT_EQ(rows[4], "拒绝|联行号“1.02331E+11”是电子表格改写成的科学计数法，原联行号已丢失");
        EXPECT_EQ(rows[5], "新增|") << "blanks around the digits are a slip";
        EXPECT_TRUE(rows[6].startsWith(u"拒绝|")) << "digits of another width are not ASCII digits";
        EXPECT_TRUE(rows[7].startsWith(u"拒绝|")) << rows[7].toStdString();

        ImportBatch batch("bank", w.listFields());
        QString error;
        ASSERT_TRUE(batch.read(file, error));
        ASSERT_TRUE(batch.check(error)) << error.toStdString();
        ImportBatch::Counts stored{};
        ASSERT_TRUE(batch.store(stored, error)) << error.toStdString();
    });
    EXPECT_EQ(stored("cUnionBankNo", "U6"), "102100000016");
    EXPECT_EQ(stored("cUnionBankNo", "U2"), "");
    EXPECT_EQ(h.scalar("select count(*) from bank where cBCode in ('U3','U4','U5','U7','U8')")
                  .toInt(),
              0);
}

TEST_F(ImportTest, ADirectorysBranchFillsOnlyTheFieldsARowLeavesEmptyAndOtherCodesAreFlagged) {
    const QString file = write("filled.csv",
                               "编码,银行账号,币种,开户银行,所属银行编码,联行号\r\n"
                               "K1,6222000000000201,人民币,,,102331000009\r\n"
                               "K2,6222000000000202,人民币,自填支行,105,102331000009\r\n"
                               "K3,6222000000000203,人民币,丙支行,102,102331000777\r\n"
                               "K4,6222000000000204,人民币,丁支行,105,105290000099\r\n"
                               "01,0200000000000000011,人民币,中国工商银行北京海淀支行,102,"
                               "102331000009\r\n"
                               "K6,6222000000000206,人民币,己支行,102,\r\n",
                               "UTF-8");
    withList("bank", "NB", [&](FrmMain& w) {
        storeBranches({madeUpBranch("102331000009", "示例银行虚构市某某支行", "浙江", "杭州")},
                      {madeUpBranch("105290000099", "示例银行虚构区已撤支行", "上海", "上海")},
                      QDate(2026, 11, 1));
        const QStringList rows = judged(w, file);
        ASSERT_EQ(rows.size(), 6);
        EXPECT_EQ(rows[0], "新增|提示：开户银行、所属银行编码、省/自治区、市/县已按联行号填写");
        EXPECT_EQ(rows[1], "新增|提示：省/自治区、市/县已按联行号填写")
            << "what the row gives stays, however the directory names it";
        EXPECT_EQ(rows[2],
                  "新增|提示：联行号“102331000777”不在联行号目录中：目录可能比银行的通知旧，请核对");
        EXPECT_EQ(rows[3], "新增|提示：联行号“105290000099”在联行号目录中已于 2026-11-01 停用，请核对");
        EXPECT_EQ(rows[4], "修改|") << "a stored account's province and city are not empty";
        EXPECT_EQ(rows[5], "新增|") << "no code, nothing to say";

        ImportBatch batch("bank", w.listFields());
        QString error;
        ASSERT_TRUE(batch.read(file, error));
        ASSERT_TRUE(batch.check(error)) << error.toStdString();
        ImportBatch::Counts counts{};
        ASSERT_TRUE(batch.store(counts, error)) << error.toStdString();
    });
    EXPECT_EQ(stored("cBName", "K1"), "示例银行虚构市某某支行");
    EXPECT_EQ(stored("cBankCode", "K1"), "102") << "the head bank, as the bank archive has it";
    EXPECT_EQ(stored("cProvinceName", "K1"), "浙江省") << "named as the regions name it";
    EXPECT_EQ(stored("cCountyName", "K1"), "杭州市");
    EXPECT_EQ(stored("cBName", "K2"), "自填支行");
    EXPECT_EQ(stored("cBankCode", "K2"), "105");
    EXPECT_EQ(stored("cProvinceName", "01"), "北京市");
    EXPECT_EQ(stored("cCountyName", "01"), "海淀区");
    EXPECT_EQ(stored("cUnionBankNo", "01"), "102331000009");
}

} // namespace
