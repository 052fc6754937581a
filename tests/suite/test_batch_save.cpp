#include "BatchFixture.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

QString bank(const QString& code, const QString& name, const QString& fixed = QStringLiteral("0"),
             const QString& length = {}) {
    return QStringLiteral("<AA_Bank><cBankCode>%1</cBankCode><cBankName>%2</cBankName>"
                          "<bComdFixLen>%3</bComdFixLen><iComAccNoLen>%4</iComAccNoLen></AA_Bank>")
        .arg(code, name, fixed, length);
}

using BatchSave = BatchFixture;

TEST_F(BatchSave, CheckingGivesEveryRecordItsVerdictAndStoresNothing) {
    const QStringList xmls{
        bank("901", "测试银行"),                               // new
        bank("102", "中国工商银行", "1", "19"),                // a rule set
        bank("104", "中国银行"),                               // as stored
        bank("902", "定长银行", "1", ""),                      // fixed length without one
        QStringLiteral("<AA_Bank><cBankCode>903</cBankCode>"), // malformed
        bank("105", "建行"),                                   // a system bank renamed
    };
    const QString before = snapshot();
    bool ok = false;
    const auto verdicts = run(xmls, "aa_bank", false, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(kinds(verdicts), (QVector<K>{K::Added, K::Modified, K::Unchanged, K::Refused,
                                           K::Refused, K::Refused}));
    EXPECT_TRUE(verdicts[0].reason.isEmpty());
    EXPECT_TRUE(verdicts[3].reason.contains(u"企业账号长度")) << verdicts[3].reason.toStdString();
    EXPECT_FALSE(verdicts[4].reason.isEmpty());
    EXPECT_TRUE(verdicts[5].reason.contains(u"“中国建设银行”是系统预置的银行"))
        << verdicts[5].reason.toStdString();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(BatchSave, StoringKeepsEveryRecordAndTheSameBatchAgainChangesNothing) {
    const QStringList xmls{bank("901", "测试银行"), bank("102", "中国工商银行", "1", "19"),
                           bank("104", "中国银行")};
    bool ok = false;
    EXPECT_EQ(kinds(run(xmls, "aa_bank", true, &ok)),
              (QVector<K>{K::Added, K::Modified, K::Unchanged}));
    ASSERT_TRUE(ok);
    EXPECT_EQ(value("select cBankName from aa_bank where cBankCode = '901'").toString(),
              "测试银行");
    EXPECT_EQ(value("select iComAccNoLen from aa_bank where cBankCode = '102'").toInt(), 19);
    // The record equal to its stored row is not written: no audit row for it.
    EXPECT_EQ(value("select count(*) from tarvo_audit").toInt(), 2);

    const QString after = snapshot();
    EXPECT_EQ(kinds(run(xmls, "aa_bank", false)),
              (QVector<K>{K::Unchanged, K::Unchanged, K::Unchanged}));
    EXPECT_EQ(kinds(run(xmls, "aa_bank", true, &ok)),
              (QVector<K>{K::Unchanged, K::Unchanged, K::Unchanged}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(snapshot(), after);
}

TEST_F(BatchSave, ValuesWrittenDifferentlyButStoredAlikeAreUnchanged) {
    const QString extra =
        QStringLiteral("<dOpenAccDate>2024-03-05</dOpenAccDate><fCurBalance>1234.5</fCurBalance>"
                       "<cOrgNo></cOrgNo><bBflag>0</bBflag><iSignFlag>1</iSignFlag>");
    ASSERT_EQ(kinds(run({account("A1", "6222 0001", extra)}, "bank", true)), QVector<K>{K::Added});
    const QString same =
        QStringLiteral("<dOpenAccDate>2024/3/5</dOpenAccDate><fCurBalance>1,234.5000</fCurBalance>"
                       "<cOrgNo></cOrgNo><bBflag>false</bBflag><iSignFlag>1</iSignFlag>");
    EXPECT_EQ(kinds(run({account("A1", "6222 0001", same)}, "bank", false)),
              QVector<K>{K::Unchanged});
    // Blanks count in a text: the stored number is kept as the clerk typed it.
    EXPECT_EQ(kinds(run({account("A1", "62220001", same)}, "bank", false)),
              QVector<K>{K::Modified});
    EXPECT_EQ(kinds(run({account("A1", "6222 0001",
                                 QStringLiteral("<fCurBalance>1234.51</fCurBalance>"))},
                        "bank", false)),
              QVector<K>{K::Modified});
}

TEST_F(BatchSave, LaterRecordsSeeEarlierOnesAndARefusedOneLeavesTheOthers) {
    // The second number equals the first without its blank and hyphen: a duplicate, although
    // the first is not stored yet.
    const QStringList xmls{account("A1", "6222-0001 77"), account("A2", "6222000177"),
                           account("A3", "6222000188")};
    const auto verdicts = run(xmls, "bank", false);
    EXPECT_EQ(kinds(verdicts), (QVector<K>{K::Added, K::Refused, K::Added}));
    EXPECT_TRUE(verdicts[1].reason.contains(u"A1")) << verdicts[1].reason.toStdString();

    bool ok = true;
    QString error;
    const QString before = snapshot();
    run(xmls, "bank", true, &ok, &error);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(u"第 2 条")) << error.toStdString();
    EXPECT_EQ(snapshot(), before);

    ASSERT_EQ(kinds(run({xmls[0], xmls[2]}, "bank", true, &ok)), (QVector<K>{K::Added, K::Added}));
    EXPECT_TRUE(ok);
}

TEST_F(BatchSave, ADatabaseErrorWhileStoringKeepsNoRecord) {
    if (temp.onServer())
        sql().execScript(
            QStringLiteral("CREATE FUNCTION refuse_903() RETURNS trigger LANGUAGE plpgsql AS "
                           "$$ BEGIN RAISE EXCEPTION 'disk full'; END $$; "
                           "CREATE TRIGGER refuse_903 BEFORE INSERT ON aa_bank FOR EACH ROW "
                           "WHEN (NEW.cBankCode = '903') EXECUTE FUNCTION refuse_903();"));
    else
        sql().execScript(QStringLiteral("CREATE TRIGGER refuse_903 BEFORE INSERT ON aa_bank "
                                        "WHEN NEW.cBankCode = '903' "
                                        "BEGIN SELECT RAISE(ABORT, 'disk full'); END;"));
    const QStringList xmls{bank("901", "甲"), bank("102", "中国工商银行", "1", "19"),
                           bank("903", "丙"), bank("904", "丁")};
    // Checking names the record the database refuses and still judges the ones after it.
    const auto verdicts = run(xmls, "aa_bank", false);
    EXPECT_EQ(kinds(verdicts), (QVector<K>{K::Added, K::Modified, K::Refused, K::Added}));
    EXPECT_TRUE(verdicts[2].reason.contains(u"disk full")) << verdicts[2].reason.toStdString();

    const QString before = snapshot();
    bool ok = true;
    QString error;
    run(xmls, "aa_bank", true, &ok, &error);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(u"第 3 条")) << error.toStdString();
    EXPECT_EQ(snapshot(), before);
    // The connection is fit for the next save.
    QString single = bank("905", "戊");
    QString err;
    EXPECT_TRUE(db.Add(single, "aa_bank", err)) << err.toStdString();
}

TEST_F(BatchSave, AStopAskedAtAnyMomentEndsTheBatchAndKeepsNothing) {
    QStringList xmls;
    for (int i = 0; i < 12; ++i)
        xmls << bank(QString::number(910 + i), QStringLiteral("停止%1").arg(i));
    const QString before = snapshot();
    // The second round has a trigger of its own on the table: records go one at a time.
    for (const bool ownTrigger : {false, true}) {
        SCOPED_TRACE(ownTrigger ? "records one at a time" : "records in reads");
        if (ownTrigger)
            addHarmlessTrigger("aa_bank");
        // A batch that runs through tells how far it got, and asks whether to stop as often.
        int asks = 0;
        qint64 lastDone = -1;
        const WorkProgress watching{[&](qint64 done) { lastDone = done; },
                                    [&] { return ++asks, false; }};
        QVector<BatchVerdict> verdicts;
        QString error;
        ASSERT_TRUE(db.SaveBatch(xmls, "aa_bank", false, verdicts, error, watching));
        EXPECT_EQ(lastDone, xmls.size());
        ASSERT_GT(asks, xmls.size());
        for (const bool store : {false, true}) {
            for (int stopAt = 0; stopAt < asks; ++stopAt) {
                SCOPED_TRACE(QStringLiteral("store %1, stop at ask %2")
                                 .arg(store)
                                 .arg(stopAt)
                                 .toStdString());
                int asked = 0;
                const WorkProgress stopping{{}, [&] { return asked++ >= stopAt; }};
                EXPECT_FALSE(db.SaveBatch(xmls, "aa_bank", store, verdicts, error, stopping));
                EXPECT_TRUE(error.isEmpty()) << error.toStdString();
                EXPECT_EQ(snapshot(), before);
            }
        }
    }
    // The connection is fit for the whole batch after.
    bool ok = false;
    EXPECT_EQ(run(xmls, "aa_bank", true, &ok).size(), xmls.size());
    EXPECT_TRUE(ok);
}

TEST_F(BatchSave, AnAccountNamingWhatTheDatabaseDoesNotHoldIsRefusedWithTheReason) {
    const struct {
        QString xml;
        const char16_t* reason;
    } cases[] = {
        {account("B1", "1").replace("<cBankCode>102<", "<cBankCode>999<"), u"编码为“999”的银行"},
        {account("B2", "2").replace("人民币", "金币"), u"币种档案中没有“金币”"},
        {account("B3", "3", "<cCode>9999</cCode>"), u"编码为“9999”的科目"},
        {account("B4", "4", "<cCode>1002</cCode>"), u"不是末级科目"},
    };
    for (const auto& c : cases) {
        QString xml = c.xml;
        QString error;
        EXPECT_FALSE(db.Add(xml, "bank", error)) << xml.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf16(c.reason))) << error.toStdString();
    }
    QString fine = account("B5", "5", "<cCode>100201</cCode>");
    QString error;
    EXPECT_TRUE(db.Add(fine, "bank", error)) << error.toStdString();
}

} // namespace
