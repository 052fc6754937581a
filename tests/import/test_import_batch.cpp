// The import batch on its own, as the preview and the command line drive it: a file's rows
// read and mapped, checked without storing, the noted rows refused, and stored once.
#include "ImportBatch.h"
#include "ImportFixture.h"

#include <QThread>

using namespace tarvo;

namespace {

TEST_F(ImportTest, ABatchReadsItsRowsAndTheirLineNumbersPastBlankLines) {
    const QString file = write("blank.csv",
                               ",,\r\n银行编码,银行名称\r\n901,测试银行,多出的一栏\r\n,\r\n902,第二银行\r\n",
                               "UTF-8");
    withList("aa_bank", "", [&](FrmMain& w) {
        ImportBatch batch("aa_bank", w.listFields());
        QString error;
        ASSERT_TRUE(batch.read(file, error)) << error.toStdString();
        EXPECT_EQ(batch.headers(), (QStringList{"银行编码", "银行名称"}));
        ASSERT_EQ(batch.data().size(), 2);
        EXPECT_EQ(batch.data()[0].second, (QStringList{"901", "测试银行"}))
            << "a cell beyond the captions is no field's";
        EXPECT_EQ(batch.data()[0].first, 3) << "counted from the file's first line";
        EXPECT_EQ(batch.data()[1].first, 5) << "the blank line is left out, not renumbered";
        EXPECT_EQ(batch.data()[1].second, (QStringList{"902", "第二银行"}));
        ASSERT_EQ(batch.mapping().size(), 2);
        EXPECT_GE(batch.mapping()[0], 0) << "a caption of the list names its field";
        EXPECT_GE(batch.mapping()[1], 0);

        const QString captionsOnly = write("captions.csv", "银行编码,银行名称\r\n", "UTF-8");
        EXPECT_FALSE(batch.read(captionsOnly, error));
        EXPECT_TRUE(error.contains(u"没有可导入的数据")) << error.toStdString();
    });
}

TEST_F(ImportTest, ABatchMapsAFieldFromOneColumnOnlyAndChecksOnlyWithItsKey) {
    const QString file =
        write("own.csv", "code,name\r\n901,测试银行\r\n902,第二银行\r\n", "UTF-8");
    withList("aa_bank", "", [&](FrmMain& w) {
        ImportBatch batch("aa_bank", w.listFields());
        QString error;
        ASSERT_TRUE(batch.read(file, error)) << error.toStdString();
        EXPECT_FALSE(batch.keyMapped());
        EXPECT_FALSE(batch.check(error));
        EXPECT_TRUE(error.contains(u"银行编码")) << error.toStdString();
        EXPECT_TRUE(batch.verdicts().isEmpty());

        EXPECT_EQ(batch.mapping(), (QVector<int>{-1, -1})) << "captions the list does not know";
        // The fields the captions "银行编码" and "银行名称" name, as a file naming them finds them.
        ImportBatch named("aa_bank", w.listFields());
        ASSERT_TRUE(named.read(write("named.csv", "银行编码,银行名称\r\n901,测试银行\r\n", "UTF-8"),
                               error));
        const int key = named.mapping().value(0, -1);
        const int bankName = named.mapping().value(1, -1);
        ASSERT_GE(key, 0);
        ASSERT_GE(bankName, 0);

        EXPECT_EQ(batch.setMapping(1, key), -1) << "no column had the field";
        EXPECT_EQ(batch.setMapping(0, key), 1) << "the column that had it gives it up";
        EXPECT_EQ(batch.mapping(), (QVector<int>{key, -1}));
        EXPECT_EQ(batch.setMapping(1, bankName), -1);
        ASSERT_TRUE(batch.check(error)) << error.toStdString();
        EXPECT_EQ(batch.countsText(), "共 2 行：新增 2，修改 0，无变化 0，拒绝 0");
        EXPECT_EQ(h.scalar("select count(*) from aa_bank where cBankCode in ('901','902')").toInt(),
                  0)
            << "a check stores nothing";
    });
}

TEST_F(ImportTest, ABatchRefusesItsNotedRowsWhenAskedAndStoresTheRestOnce) {
    h.exec("update aa_bank set bComdFixLen = 1, iComAccNoLen = 19 where cBankCode = '102'");
    const QString file = write("length.csv",
                               "编码,银行账号,币种,开户银行,所属银行编码\r\n"
                               "L1,6222-0000-0000-01,人民币,海淀支行,102\r\n"
                               "L2,6222 0000 0000 0000 002,人民币,海淀支行,102\r\n"
                               "L3,6222 0000 0000 0000 003,人民币,海淀支行,999\r\n",
                               "UTF-8");
    withList("bank", "NB", [&](FrmMain& w) {
        ImportBatch batch("bank", w.listFields());
        QString error;
        ASSERT_TRUE(batch.read(file, error)) << error.toStdString();
        ASSERT_TRUE(batch.check(error)) << error.toStdString();
        ASSERT_EQ(batch.verdicts().size(), 3);
        EXPECT_EQ(batch.noted(), 1);
        EXPECT_EQ(batch.verdictText(0), "新增");
        EXPECT_TRUE(batch.reasonText(0).startsWith(u"提示：")) << batch.reasonText(0).toStdString();
        EXPECT_EQ(batch.verdictText(2), "拒绝");
        EXPECT_TRUE(batch.reasonText(2).contains(u"999")) << batch.reasonText(2).toStdString();

        batch.refuseNoted();
        EXPECT_EQ(batch.noted(), 0);
        EXPECT_EQ(batch.verdictText(0), "拒绝");
        EXPECT_EQ(batch.countsText(), "共 3 行：新增 1，修改 0，无变化 0，拒绝 2");

        ImportBatch::Counts done{};
        ASSERT_TRUE(batch.store(done, error)) << error.toStdString();
        EXPECT_EQ(done[BatchVerdict::Added], 1);
        EXPECT_EQ(ImportBatch::storedText(done), "导入完成：新增 1 条，修改 0 条。");
        EXPECT_EQ(h.scalar("select count(*) from bank where cBCode like 'L%'").toInt(), 1);
        EXPECT_EQ(stored("cBAccount", "L2"), "6222 0000 0000 0000 002");

        ImportBatch again("bank", w.listFields());
        ASSERT_TRUE(again.read(file, error));
        ASSERT_TRUE(again.check(error)) << error.toStdString();
        EXPECT_EQ(again.verdictText(1), "无变化");
    });
}

TEST_F(ImportTest, ABatchThatLetsItsCellsGoJudgesALongFileAsOneThatKeepsThem) {
    // Far enough apart that the two rows holding one number are read in different runs of the
    // save's checks; the last row names a bank the archive does not hold.
    constexpr int kRows = 1200;
    constexpr int kSecondHolder = 1100;
    const auto number = [](int i) { return QStringLiteral("95588%1").arg(i, 12, 10, QLatin1Char('0')); };
    QString text = QStringLiteral("编码,银行账号,币种,开户银行,所属银行编码\r\n");
    for (int i = 1; i <= kRows; ++i)
        text += QStringLiteral("D%1,%2,人民币,海淀支行,%3\r\n")
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .arg(number(i == kSecondHolder ? 2 : i), i == kRows ? "999" : "102");
    const QString file = write("long.csv", text, "UTF-8");
    withList("bank", "NB", [&](FrmMain& w) {
        const auto judged = [&](bool dropCells) {
            ImportBatch batch("bank", w.listFields());
            if (dropCells)
                batch.dropCellsWhenChecked();
            QString error;
            EXPECT_TRUE(batch.read(file, error)) << error.toStdString();
            EXPECT_TRUE(batch.check(error)) << error.toStdString();
            batch.refuseNoted();
            QStringList lines;
            for (int r = 0; r < batch.verdicts().size(); ++r)
                lines << QStringLiteral("%1 %2 %3").arg(batch.data()[r].first).arg(
                             batch.verdictText(r), batch.reasonText(r));
            EXPECT_EQ(batch.data().size(), kRows);
            EXPECT_EQ(batch.data().constLast().second.isEmpty(), dropCells);
            return lines << batch.countsText();
        };
        const QStringList kept = judged(false);
        ASSERT_EQ(kept.size(), kRows + 1);
        EXPECT_EQ(kept[1], "3 新增 ") << "the first holder of the number";
        EXPECT_TRUE(kept[kSecondHolder - 1].startsWith(QStringLiteral("%1 拒绝").arg(kSecondHolder + 1)))
            << kept[kSecondHolder - 1].toStdString();
        EXPECT_TRUE(kept[kSecondHolder - 1].contains(number(2)))
            << kept[kSecondHolder - 1].toStdString();
        EXPECT_TRUE(kept[kRows - 1].startsWith(QStringLiteral("%1 拒绝").arg(kRows + 1)));
        EXPECT_TRUE(kept[kRows - 1].contains(u"999")) << kept[kRows - 1].toStdString();
        EXPECT_EQ(kept.last(), "共 1200 行：新增 1198，修改 0，无变化 0，拒绝 2");
        EXPECT_EQ(judged(true), kept);
    });
}

TEST_F(ImportTest, ChecksInOneProcessSeeTheBanksAndCurrenciesAnotherConnectionChanged) {
    // The rows name a bank and a currency by name and by code; between the checks another
    // clerk's program adds them, tightens the bank's rule, and takes the currency away again.
    const QString file = write("names.csv",
                               "编码,银行账号,币种,开户银行,所属银行\r\n"
                               "R1,6222 0000 0000 0101,新币,海淀支行,777\r\n"
                               "R2,6222 0000 0000 0102,XNB,海淀支行,测试七行\r\n",
                               "UTF-8");
    withList("bank", "NB", [&](FrmMain& w) {
        QString error;
        const auto judged = [&] {
            ImportBatch batch("bank", w.listFields());
            EXPECT_TRUE(batch.read(file, error)) << error.toStdString();
            EXPECT_TRUE(batch.check(error)) << error.toStdString();
            QStringList lines;
            for (int r = 0; r < batch.verdicts().size(); ++r)
                lines << batch.verdictText(r) + u' ' + batch.reasonText(r);
            return lines;
        };
        // Judged again until both rows' verdicts begin with the text: the other program's
        // commit reaches this connection on its own on a server.
        const auto bothBegin = [&](const QString& verdict) {
            QStringList lines;
            for (int i = 0; i < 100; ++i) {
                lines = judged();
                if (lines.size() == 2 && lines[0].startsWith(verdict) &&
                    lines[1].startsWith(verdict))
                    return lines;
                QThread::msleep(20);
            }
            ADD_FAILURE() << "both verdicts begin with " << verdict.toStdString() << ": "
                          << lines.join(" | ").toStdString();
            return lines;
        };
        const QStringList before = judged();
        ASSERT_EQ(before.size(), 2);
        EXPECT_TRUE(before[0].startsWith(u"拒绝")) << before[0].toStdString();
        EXPECT_TRUE(before[1].contains(u"测试七行")) << before[1].toStdString();

        h.exec("insert into aa_bank (cBankCode, cBankName) values ('777', '测试七行')");
        h.exec("insert into foreigncurrency (i_id, cexch_code, cexch_name) "
               "values (9901, 'XNB', '新币')");
        const QStringList added = bothBegin("新增");
        EXPECT_EQ(added, (QStringList{"新增 ", "新增 "}))
            << "the bank found by its code and by its name, the currency by its name and code";

        h.exec("update aa_bank set bComdFixLen = 1, iComAccNoLen = 19 where cBankCode = '777'");
        const QStringList noted = bothBegin("新增 提示：");
        ASSERT_EQ(noted.size(), 2);
        EXPECT_TRUE(noted[1].contains(u"19")) << noted[1].toStdString();

        h.exec("delete from foreigncurrency where cexch_code = 'XNB'");
        const QStringList refused = bothBegin("拒绝");
        ASSERT_EQ(refused.size(), 2);
        EXPECT_TRUE(refused[0].contains(u"新币")) << refused[0].toStdString();
        EXPECT_TRUE(refused[1].contains(u"XNB")) << refused[1].toStdString();
        EXPECT_EQ(h.scalar("select count(*) from bank where cBCode like 'R_'").toInt(), 0);
    });
}

} // namespace
