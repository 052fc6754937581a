#include "BatchFixture.h"
#include "ChangeHistory.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

/// n new accounts N0001… with numbers 7000…, none of them stored.
QStringList newAccounts(int n) {
    QStringList xmls;
    for (int i = 1; i <= n; ++i)
        xmls << account(QStringLiteral("N%1").arg(i, 4, 10, QLatin1Char('0')),
                        QStringLiteral("7000%1").arg(i, 6, 10, QLatin1Char('0')));
    return xmls;
}

using BatchCheck = BatchFixture;

QString describe(const QVector<BatchVerdict>& verdicts) {
    QString out;
    for (int i = 0; i < verdicts.size(); ++i)
        out +=
            QStringLiteral("%1 %2 %3\n").arg(i + 1).arg(verdicts[i].kind).arg(verdicts[i].reason);
    return out;
}

TEST_F(BatchCheck, TheCheckGivesTheVerdictsAndReasonsOfSavingRecordByRecord) {
    // Stored: 01 (0200000000000000011), 02, 03 from the demo data.
    const QStringList accounts{
        account("M1", "8100 01"),            // new
        account("01", "0200000000000000011", // as stored
                "<cAccName>示例公司工行基本户</cAccName>")
            .replace("海淀支行", "中国工商银行北京海淀支行"),
        account("02", "8100-02"),                                  // moves to a new number ...
        account("M2", "11000000000000000022"),                     // ... and frees its old one
        account("M3", "0200-0000 0000 0000 011"),                  // a stored account's number
        account("M4", "810001"),                                   // the first row's number
        account("M1", "8100 01", "<cAccName>改名</cAccName>"),     // the first row again
        account("M5", "8100 05").replace("人民币", "金币"),        // no such currency
        account("M6", "8100 06").replace(">102<", ">999<"),        // no such bank
        account("M7", "8100 07", "<cCode>1002</cCode>"),           // not an end-level account
        account("M8", "8100 08", "<cCode>100201</cCode>"),         // an end-level account
        account("M9", "").replace("<cBName>海淀支行", "<cBName>"), // required fields empty
        account("MA", "8100 0A", "<cNoSuch>1</cNoSuch>"),          // unknown column
        account("MB", "8100 0B", "<fCurBalance>12x</fCurBalance>"),
        account("MC", QString(51, u'9')),                     // too long
        account("03", "8100 0D", "<iSignFlag>1</iSignFlag>"), // modified
        QStringLiteral("<AA_Bank><cBankCode>1</cBankCode></AA_Bank>"),
        QStringLiteral("<Bank><cBCode>MD</cBCode>"),
    };
    const QStringList banks{
        QStringLiteral("<AA_Bank><cBankCode>105</cBankCode><cBankName>建行</cBankName></AA_Bank>"),
        QStringLiteral("<AA_Bank><cBankCode>901</cBankCode><cBankName>甲</cBankName>"
                       "<bComdFixLen>1</bComdFixLen></AA_Bank>"),
        QStringLiteral("<AA_Bank><cBankCode>102</cBankCode><bComdFixLen>1</bComdFixLen></AA_Bank>"),
        QStringLiteral("<AA_Bank><cBankCode>104</cBankCode><iComAccNoLen>12</iComAccNoLen>"
                       "</AA_Bank>"),
        QStringLiteral("<AA_Bank><cBankCode>104</cBankCode><bComdFixLen>1</bComdFixLen>"
                       "</AA_Bank>"),
    };
    const QString before = snapshot();
    const auto quickAccounts = run(accounts, "bank", false);
    const auto quickBanks = run(banks, "aa_bank", false);
    ASSERT_EQ(quickAccounts.size(), accounts.size());
    EXPECT_EQ(quickAccounts[2].kind, K::Modified);
    EXPECT_EQ(quickAccounts[3].kind, K::Added) << describe(quickAccounts).toStdString();
    EXPECT_TRUE(quickAccounts[4].reason.contains(u"“01”")) << describe(quickAccounts).toStdString();
    EXPECT_TRUE(quickAccounts[5].reason.contains(u"“M1”")) << describe(quickAccounts).toStdString();
    EXPECT_EQ(quickAccounts[6].kind, K::Modified);
    EXPECT_EQ(snapshot(), before);

    addHarmlessTrigger("bank");
    addHarmlessTrigger("aa_bank");
    EXPECT_EQ(describe(quickAccounts), describe(run(accounts, "bank", false)));
    EXPECT_EQ(describe(quickBanks), describe(run(banks, "aa_bank", false)));
}

TEST_F(BatchCheck, ACheckOfALongFileWritesNothingAndFindsDuplicatesFarApart) {
    QStringList xmls = newAccounts(1200);
    xmls[20] = account("N0021", "7000000003");     // row 3's number ...
    xmls[1150] = account("N1151", "70-0000 0003"); // ... far apart, written differently
    xmls[1190] = account("N0005", "7000000005", "<cAccName>又一次</cAccName>"); // row 5 again
    xmls[800] = account("N0801", "0200000000000000011"); // the stored account 01's number
    const QString before = snapshot();
    const QFileInfo file(temp.name());
    const QFileInfo wal(temp.name() + QStringLiteral("-wal"));
    const auto size = file.size(), walSize = wal.size();
    const auto modified = file.lastModified(), walModified = wal.lastModified();
    const int changes = temp.onServer() ? 0 : count(QStringLiteral("SELECT total_changes()"));

    const auto verdicts = run(xmls, "bank", false);
    ASSERT_EQ(verdicts.size(), 1200);
    QVector<int> refused;
    for (int i = 0; i < verdicts.size(); ++i)
        if (verdicts[i].kind == K::Refused)
            refused << i;
    EXPECT_EQ(refused, (QVector<int>{20, 800, 1150})) << describe(verdicts).toStdString();
    EXPECT_TRUE(verdicts[20].reason.contains(u"“N0003”"));
    EXPECT_TRUE(verdicts[1150].reason.contains(u"“N0003”"));
    EXPECT_TRUE(verdicts[800].reason.contains(u"“01”"));
    EXPECT_EQ(verdicts[1190].kind, K::Modified);

    EXPECT_EQ(snapshot(), before);
    if (!temp.onServer()) {
        // Not even a row written and rolled back, nor a page of the file touched.
        EXPECT_EQ(count(QStringLiteral("SELECT total_changes()")), changes);
        const QFileInfo fileAfter(temp.name()), walAfter(temp.name() + QStringLiteral("-wal"));
        EXPECT_EQ(fileAfter.size(), size);
        EXPECT_EQ(fileAfter.lastModified(), modified);
        EXPECT_EQ(walAfter.size(), walSize);
        EXPECT_EQ(walAfter.lastModified(), walModified);
    }
}

TEST_F(BatchCheck, CodesWithQuotesCommasAndBracesAreFoundWhenAskedForAllAtOnce) {
    // On a server the codes of a run go as one list parameter: none may split it or end it.
    const QStringList codes{"Q\"1", "B\\2", "C,3", "{D}", "NULL", "E 5", "F\\\""};
    QStringList xmls;
    for (int i = 0; i < codes.size(); ++i)
        xmls << account(QString(codes[i]).toHtmlEscaped(), QStringLiteral("810000000%1").arg(i));
    ASSERT_EQ(kinds(run(xmls, "bank", true)), QVector<K>(codes.size(), K::Added))
        << describe(run(xmls, "bank", false)).toStdString();

    xmls << account("N9", "8100000003");
    const auto verdicts = run(xmls, "bank", false);
    QVector<K> expected(codes.size(), K::Unchanged);
    expected << K::Refused;
    EXPECT_EQ(kinds(verdicts), expected) << describe(verdicts).toStdString();
    EXPECT_TRUE(verdicts.last().reason.contains(u"“{D}”")) << verdicts.last().reason.toStdString();
}

TEST_F(BatchCheck, ARecordEmptyingAColumnTheDatabaseHoldsNotNullIsRefusedByTheCheck) {
    // The dictionary lets the flag be left out, the table does not let it be emptied.
    const QStringList xmls{account("03", "8300 01", "<iSignFlag></iSignFlag>"),
                           account("M1", "8300 02", "<bBflag></bBflag>")};
    const auto verdicts = run(xmls, "bank", false);
    ASSERT_EQ(verdicts.size(), 2);
    for (const auto& v : verdicts) {
        EXPECT_EQ(v.kind, K::Refused);
        EXPECT_TRUE(v.reason.contains(u"不能为空")) << v.reason.toStdString();
    }
    const QString before = snapshot();
    bool ok = true;
    QString error;
    run(xmls, "bank", true, &ok, &error);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(u"第 1 条")) << error.toStdString();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(BatchCheck, StoringInBatchesKeepsNoneWhenARowInTheMiddleIsRefused) {
    QStringList xmls = newAccounts(450);
    xmls[299] = account("N0300", "7000000010"); // row 10's number
    const QString before = snapshot();
    bool ok = true;
    QString error;
    run(xmls, "bank", true, &ok, &error);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error.contains(u"第 300 条")) << error.toStdString();
    EXPECT_EQ(snapshot(), before);

    xmls[299] = account("N0300", "7000000300");
    const auto verdicts = run(xmls, "bank", true, &ok, &error);
    ASSERT_TRUE(ok) << error.toStdString();
    EXPECT_EQ(count("SELECT COUNT(*) FROM bank WHERE cBCode LIKE 'N%'"), 450);
    EXPECT_EQ(count("SELECT COUNT(*) FROM tarvo_audit WHERE cKeyValue LIKE 'N%'"), 450);
    // Stored again the file changes nothing.
    const QString after = snapshot();
    run(xmls, "bank", true, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(snapshot(), after);
}

TEST_F(BatchCheck, ABatchLeavesTheHistoryASaveOfEachRecordWould) {
    QString single = account("S1", "9100 01", "<iSignFlag>1</iSignFlag>");
    QString error;
    ASSERT_TRUE(db.Add(single, "bank", error)) << error.toStdString();
    const QString changes = QStringLiteral("<cAccName>改</cAccName><dOpenAccDate>2024-03-05"
                                           "</dOpenAccDate><fCurBalance>12.5</fCurBalance>");
    QString modify = account("S1", "9100 99", changes);
    ASSERT_TRUE(db.Modify(modify, "bank", error)) << error.toStdString();
    bool ok = false;
    run({account("T1", "9200 01", "<iSignFlag>1</iSignFlag>"), account("T1", "9200 99", changes)},
        "bank", true, &ok, &error);
    ASSERT_TRUE(ok) << error.toStdString();

    suite::ChangeHistory history(*db.database());
    const auto fields = [&](const QString& key) {
        QStringList out;
        for (auto e : history.read(QStringLiteral("bank"), key))
            out << e.action + u' ' + e.field + u' ' +
                       e.before.replace(QStringLiteral("91"), QStringLiteral("92")) + u'>' +
                       e.after.replace(QStringLiteral("91"), QStringLiteral("92"))
                           .replace(QStringLiteral("S1"), QStringLiteral("T1"));
        return out;
    };
    EXPECT_EQ(fields("T1"), fields("S1"));
    EXPECT_FALSE(fields("T1").isEmpty());
    // The batch's changes are numbered in their order, after the single saves'.
    EXPECT_EQ(count("SELECT MAX(iChange) FROM tarvo_history WHERE cKeyValue = 'T1' AND "
                    "cAction = 'Modify'"),
              count("SELECT MAX(iChange) FROM tarvo_history"));
}

TEST_F(BatchCheck, AConnectionLostInTheMiddleOfStoringKeepsNoneAndTheNextSaveReconnects) {
    if (!temp.onServer())
        GTEST_SKIP() << "a server's connection";
    // The server ends the session while the batch writes its audit rows.
    sql().execScript(QStringLiteral(
        "CREATE FUNCTION end_session() RETURNS trigger LANGUAGE plpgsql AS "
        "$$ BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NEW; END $$; "
        "CREATE TRIGGER end_session BEFORE INSERT ON tarvo_audit FOR EACH ROW "
        "WHEN (NEW.cKeyValue = 'N0250') EXECUTE FUNCTION end_session();"));
    const QString before = snapshot();
    bool ok = true;
    QString error;
    run(newAccounts(400), "bank", true, &ok, &error);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(snapshot(), before);
    QString next = account("R1", "9300 01");
    EXPECT_TRUE(db.Add(next, "bank", error)) << error.toStdString();
    EXPECT_EQ(count("SELECT COUNT(*) FROM bank WHERE cBCode LIKE 'N%'"), 0);
}

} // namespace
