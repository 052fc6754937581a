// Rows that look like stored records they are not: codes and account numbers without the
// leading zeros a spreadsheet dropped, and accounts with a stored one's name and bank.
#include "ImportFixture.h"
#include "UnattendedImport.h"

#include <QTextStream>

using namespace tarvo;

namespace {

struct LookalikeTest : ImportTest {
    LookalikeTest() {
        // Codes and numbers with leading zeros besides the demo accounts': a number of zeros
        // and two digits, and a company number with one leading zero, as some provinces give.
        addAccount("05", "0000000000000000011", "零号公司基本户", "102");
        addAccount("06", "0123456789012345", "零号公司一般户", "105");
    }
    void addAccount(const QString& code, const QString& number, const QString& name,
                    const QString& bank) {
        h.exec("insert into bank (cBCode, cBAccount, cAccName, cCurrencyName, cBName, cBankCode) "
               "values (?, ?, ?, '人民币', '原开户支行', ?)",
               {code, number, name, bank});
    }
    QString file(const QString& name, const QStringList& rows) {
        return write(name,
                     QStringLiteral("编码,银行账号,币种,开户银行,所属银行编码,账户名称\n") +
                         rows.join(u'\n') + u'\n',
                     "UTF-8");
    }
    int count(const QString& where) {
        return h.scalar(QStringLiteral("select count(*) from bank where ") + where).toInt();
    }
};

TEST_F(LookalikeTest, ACodeOrNumberThatIsAStoredOneWithoutItsZerosIsRefusedWhateverElseChanged) {
    const QString path = file("zeros.csv", {"05,11,人民币,改名支行,102,零号公司基本户",
                                            "6,0123456789012345,人民币,另一支行,105,另一户名",
                                            "N9,123456789012345,人民币,新开支行,301,新户",
                                            "5,11,人民币,新开支行,102,新户",
                                            "N10,6222000000000099,人民币,新开支行,102,新户"});
    withList("bank", "NB", [&](FrmMain& w) {
        EXPECT_TRUE(withPreview(w, path, [&](FrmImport& p) {
            EXPECT_EQ(verdicts(p), (QStringList{"拒绝", "拒绝", "拒绝", "拒绝", "新增"}));
            const QStringList reasons = column(p, 2);
            // The number lost its zeros on a record the row names by its own code.
            EXPECT_TRUE(reasons[0].contains(
                u"银行账号“11”是电子表格去掉了前导零的“0000000000000000011”，不能导入"))
                << reasons[0].toStdString();
            // The code lost its zero, though the number is the stored one's.
            EXPECT_TRUE(reasons[1].contains(u"编码“6”是电子表格去掉了前导零的“06”"))
                << reasons[1].toStdString();
            EXPECT_FALSE(reasons[1].contains(u"银行账号")) << reasons[1].toStdString();
            // A new code with a company number that lost its one zero.
            EXPECT_TRUE(reasons[2].contains(u"“123456789012345”是电子表格去掉了前导零的"
                                            u"“0123456789012345”"))
                << reasons[2].toStdString();
            EXPECT_TRUE(reasons[3].contains(u"编码“5”") && reasons[3].contains(u"银行账号“11”"))
                << reasons[3].toStdString();
            EXPECT_EQ(reasons[4], "");
            importButton(p)->click();
        }));
    });
    EXPECT_EQ(count("cBCode in ('5', '6', 'N9')"), 0);
    EXPECT_EQ(stored("cBAccount", "05"), "0000000000000000011");
    EXPECT_EQ(stored("cBName", "05"), "原开户支行");
    EXPECT_EQ(stored("cBName", "06"), "原开户支行");
    EXPECT_EQ(stored("cBAccount", "N10"), "6222000000000099");
}

TEST_F(LookalikeTest, ABankCodeWithoutItsZerosIsRefusedLikeAnAccounts) {
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('0901', '零号测试银行')");
    const QString path = write(
        "banks.csv", "银行编码,银行名称\n901,零号测试银行\n0901,改名银行\n902,新银行\n", "UTF-8");
    withList("aa_bank", "", [&](FrmMain& w) {
        EXPECT_TRUE(withPreview(w, path, [&](FrmImport& p) {
            EXPECT_EQ(verdicts(p), (QStringList{"拒绝", "修改", "新增"}));
            EXPECT_TRUE(column(p, 2)[0].contains(u"“901”是电子表格去掉了前导零的“0901”"))
                << column(p, 2)[0].toStdString();
            importButton(p)->click();
        }));
    });
    EXPECT_EQ(h.scalar("select count(*) from aa_bank where cBankCode = '901'").toInt(), 0);
    EXPECT_EQ(h.scalar("select cBankName from aa_bank where cBankCode = '0901'").toString(),
              "改名银行");
}

TEST_F(LookalikeTest, ARecordStoredAsTheFileNamesItIsUpdatedEvenWhenItsZeroedTwinIsStoredToo) {
    addAccount("5", "62220000000005", "五号户", "104");
    addAccount("007", "62220000000007", "零零七户", "104");
    const QString path =
        file("exact.csv", {"05,0000000000000000011,人民币,改名支行,102,零号公司基本户",
                           "5,62220000000005,人民币,五号改名支行,104,五号户",
                           "007,62220000000007,人民币,零零七改名支行,104,零零七户",
                           "07,62220000000077,人民币,新开支行,104,新户",
                           "0005,62220000000555,人民币,新开支行,104,新户"});
    withList("bank", "NB", [&](FrmMain& w) {
        EXPECT_TRUE(withPreview(w, path, [&](FrmImport& p) {
            EXPECT_EQ(verdicts(p), (QStringList{"修改", "修改", "修改", "拒绝", "拒绝"}));
            const QStringList reasons = column(p, 2);
            EXPECT_EQ(reasons[0], "") << "a stored bare twin is no reason to look at 05";
            // What a spreadsheet would have made of 05 is stored as well: the row changes the
            // record it names, and says what it might have been.
            EXPECT_TRUE(reasons[1].startsWith(u"提示：")) << reasons[1].toStdString();
            EXPECT_TRUE(reasons[1].contains(u"编码“5”也是已有的“05”去掉前导零的样子"))
                << reasons[1].toStdString();
            EXPECT_EQ(reasons[2], "");
            // Codes that differ from stored ones only in their zeros are refused as well,
            // though no spreadsheet made them.
            EXPECT_TRUE(reasons[3].contains(u"编码“07”与已有的“007”只差前导零"))
                << reasons[3].toStdString();
            EXPECT_TRUE(reasons[4].contains(u"编码“0005”与已有的“05”只差前导零"))
                << reasons[4].toStdString();
            importButton(p)->click();
        }));
    });
    EXPECT_EQ(stored("cBName", "05"), "改名支行");
    EXPECT_EQ(stored("cBName", "5"), "五号改名支行");
    EXPECT_EQ(stored("cBName", "007"), "零零七改名支行");
    EXPECT_EQ(count("cBCode in ('07', '0005')"), 0);
}

TEST_F(LookalikeTest, AnAccountWithAStoredOnesNameAndBankButAnotherNumberIsFlaggedNotRefused) {
    const QString path =
        file("alike.csv", {"N11,6222000000000111,人民币,新开支行,102,示例公司工行基本户",
                           "03,100000000099,人民币,中国银行广州天河支行,104,示例公司中行一般户",
                           "N12,6222000000000112,人民币,新开支行,105,示例公司工行基本户",
                           "04,100000000044,美元,改名支行,104,示例公司中行美元户",
                           "02,11000000000000000022,人民币,改名支行,105,改了户名"});
    withList("bank", "NB", [&](FrmMain& w) {
        EXPECT_TRUE(withPreview(w, path, [&](FrmImport& p) {
            EXPECT_EQ(verdicts(p), (QStringList{"新增", "修改", "新增", "修改", "修改"}));
            const QStringList reasons = column(p, 2);
            EXPECT_TRUE(reasons[0].startsWith(u"提示：账户名称和所属银行编码与已有的“01”相同"))
                << reasons[0].toStdString();
            EXPECT_TRUE(reasons[0].contains(u"“0200000000000000011”")) << reasons[0].toStdString();
            EXPECT_TRUE(reasons[1].contains(u"由“100000000033”改为“100000000099”"))
                << reasons[1].toStdString();
            EXPECT_EQ(reasons[2], "") << "another bank";
            EXPECT_EQ(reasons[3], "") << "the same number";
            EXPECT_EQ(reasons[4], "") << "another name";
            EXPECT_TRUE(importButton(p)->isEnabled());
        }));

        // A script sees the same flags and is not held back by them.
        QString printed;
        QTextStream out(&printed);
        EXPECT_TRUE(importUnattended("bank", w.listFields(), {path, false, false}, out));
        const QStringList lines = printed.split(u'\n');
        ASSERT_GE(lines.size(), 2);
        EXPECT_TRUE(lines[0].startsWith(u"2\t新增\t提示：")) << lines[0].toStdString();
        EXPECT_TRUE(lines[1].startsWith(u"3\t修改\t提示：")) << lines[1].toStdString();
    });
    EXPECT_EQ(stored("cBAccount", "03"), "100000000033") << "checking stores nothing";
}

TEST_F(LookalikeTest, AStoredTwinIsFoundWhereverItStandsInALongArchive) {
    // More accounts than the archive is read in at a time, the twins at either end of it.
    h.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000) "
           "INSERT INTO bank (cBCode, cBAccount, cAccName, cCurrencyName, cBName, cBankCode) "
           "SELECT 'T' || substr(CAST(100000 + i AS varchar(10)), 2), '6222' || i, "
           "'长档案账户' || i, '人民币', '测试支行', '102' FROM n");
    const QString path =
        file("far.csv", {"N21,6222000000000121,人民币,新开支行,102,长档案账户12000",
                         "N22,6222000000000122,人民币,新开支行,102,长档案账户1"});
    withList("bank", "NB", [&](FrmMain& w) {
        QString printed;
        QTextStream out(&printed);
        EXPECT_TRUE(importUnattended("bank", w.listFields(), {path, false, false}, out));
        const QStringList lines = printed.split(u'\n');
        ASSERT_GE(lines.size(), 2) << printed.toStdString();
        EXPECT_TRUE(lines[0].contains(u"与已有的“T12000”相同")) << lines[0].toStdString();
        EXPECT_TRUE(lines[1].contains(u"与已有的“T00001”相同")) << lines[1].toStdString();
    });
}

} // namespace
