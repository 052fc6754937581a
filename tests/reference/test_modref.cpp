#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "ClsCommon.h"
#include "Edit.h"
#include "IReferClient.h"
#include "ModRef.h"
#include "RecordingPub.h"
#include "TempDatabase.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

/// A server transaction object that logs every query it runs.
class LoggingDb : public suite::ClsCommon {
public:
    QStringList sql;
    QList<QVariantList> params;
    RecordsetPtr OpenX(QString& text) override {
        sql << text;
        params << QVariantList();
        return ClsCommon::OpenX(text);
    }
    RecordsetPtr OpenXBound(QString& text, const QVariantList& values) override {
        sql << text;
        params << values;
        return ClsCommon::OpenXBound(text, values);
    }
};

/// A pick list that records how it was prepared and answers with chosen rows.
class FakeReferClient : public IReferClient {
public:
    static inline QStringList calls;
    static inline QString chooseFilter;
    bool EnumRefInit(LoginPtr&, qint16 mode, bool flag, QString& table,
                     QString& condition) override {
        calls << QStringLiteral("EnumRefInit(%1,%2,%3,%4)")
                     .arg(mode)
                     .arg(flag ? "True" : "False", table, condition);
        return true;
    }
    void Show() override { calls << "Show"; }
    RecordsetPtr recmx() const override {
        if (chooseFilter.isEmpty())
            return nullptr;
        auto rs = std::make_shared<Recordset>(
            QVector<FieldInfo>{{"i_id", 3, 4}, {"cexch_code", 202, 8}, {"cexch_name", 202, 60}});
        rs->appendRow({1, "CNY", "人民币"});
        rs->appendRow({2, "USD", "美元"});
        rs->setFilter(chooseFilter);
        return rs;
    }
};

struct ModRefTest : ::testing::Test {
    TempDatabase temp;
    std::shared_ptr<RecordingPub> pub = std::make_shared<RecordingPub>();
    std::shared_ptr<LoggingDb> db = std::make_shared<LoggingDb>();
    suite::Edit edit;
    void SetUp() override {
        db->Init(temp.name());
        ArchiveSession& s = ArchiveSession::current();
        s.oPub = pub;
        s.SrvDB = db;
        edit.setObjectName("EdtcCode");
    }
    void TearDown() override {
        ArchiveSession::current() = ArchiveSession();
        ClassRegistry::instance().unregisterClass("MoxReferC.MoxReferClient");
    }
    RecordsetPtr record(const QString& query) {
        QString q = query;
        return db->OpenX(q);
    }
};

} // namespace

TEST_F(ModRefTest, ATypedCodeWithATagIsNeverQueried) {
    edit.setText("whatever");
    edit.setTag("100201");
    QString table = "CODE", condition;
    EXPECT_TRUE(ModRef::CheckTypedCode(table, edit, condition));
    EXPECT_TRUE(db->sql.isEmpty());
    EXPECT_EQ(table, "CODE") << "returns before touching the caller's table";
}

TEST_F(ModRefTest, ATypedNameOrCodeIsCompletedFromItsTable) {
    edit.setText("中国建设银行");
    QString table = "AA_Bank", condition;
    EXPECT_TRUE(ModRef::CheckTypedCode(table, edit, condition));
    EXPECT_EQ(table, "aa_bank");
    EXPECT_EQ(condition, "(1=1)");
    EXPECT_EQ(db->sql.last(),
              "select top 1 * from aa_bank where   (cBankCode=? or cBankName=?) and (1=1)");
    EXPECT_EQ(db->params.last(), QVariantList({"中国建设银行", "中国建设银行"}));
    EXPECT_EQ(edit.Tag(), "105");
    EXPECT_EQ(edit.UTooltipText(), "res:Tarvo.AA.ARCHIVE.FIELD.codecolon105");

    edit.setText("100201");
    edit.setTag("");
    table = "code";
    condition = "(bEnd=1)";
    EXPECT_TRUE(ModRef::CheckTypedCode(table, edit, condition));
    EXPECT_FALSE(edit.Text().isEmpty());
    EXPECT_NE(edit.Text(), "100201") << "a code is replaced by its name";
    EXPECT_EQ(edit.Tag(), "100201");
}

TEST_F(ModRefTest, AnUnknownOrNonEndLevelCodeIsRefusedAndEmptied) {
    edit.setText("1002");
    QString table = "code", condition = "(bEnd=1)";
    EXPECT_FALSE(ModRef::CheckTypedCode(table, edit, condition));
    EXPECT_EQ(pub->callsOf("MsgBox").last(), "MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.no_code_end,64,"
                                             "res:Tarvo.AA.ARCHIVE.COMMON.information)");
    EXPECT_TRUE(edit.Text().isEmpty());
    EXPECT_TRUE(edit.Tag().isEmpty());

    edit.setText("O'Neil");
    table = "foreigncurrency";
    condition.clear();
    EXPECT_FALSE(ModRef::CheckTypedCode(table, edit, condition)) << "an apostrophe is only text";
    EXPECT_EQ(db->params.last(), QVariantList({"O'Neil", "O'Neil"}));

    for (const QString hostile : {"\\' or 1=1) --", "' or '1'='1", "x') or (1=1", "\\"}) {
        edit.setText(hostile);
        table = "aa_bank";
        condition.clear();
        EXPECT_FALSE(ModRef::CheckTypedCode(table, edit, condition)) << hostile.toStdString();
        EXPECT_TRUE(edit.Tag().isEmpty());
    }

    edit.setText("x");
    table = "Person";
    EXPECT_TRUE(ModRef::CheckTypedCode(table, edit, condition));
    EXPECT_EQ(pub->callsOf("MsgBox").last(),
              "MsgBox(没有提供表（person）服务！,64,res:Tarvo.AA.ARCHIVE.COMMON.information)");
}

TEST_F(ModRefTest, ACodeWhoseLookupFailsIsRefusedWithTheReason) {
    edit.setText("105");
    QString table = "aa_bank", condition = "(no_such_column=1)";
    EXPECT_FALSE(ModRef::CheckTypedCode(table, edit, condition)) << "the query fails";
    ASSERT_FALSE(pub->callsOf("MsgBox").isEmpty());
    EXPECT_TRUE(pub->callsOf("MsgBox").last().contains("无法核对“105”"));
    EXPECT_EQ(edit.Text(), "105") << "what the user typed stays to be corrected";
    EXPECT_TRUE(edit.Tag().isEmpty());

    db->Init(temp.name() + "/no/such/folder");
    condition.clear();
    EXPECT_FALSE(ModRef::CheckTypedCode(table, edit, condition)) << "the connection is gone";
    EXPECT_TRUE(pub->callsOf("MsgBox").last().contains("无法核对“105”"));
}

TEST_F(ModRefTest, FillCodeNameShowsOneMatchAndEmptiesOtherwise) {
    ClsCommonPtr srv = db;
    auto bank = record("select * from bank where cBCode='01'");
    const QString name =
        record("select ccode_name from code where cCode='" + bank->Value("cCode").toString() + "'")
            ->Value("ccode_name")
            .toString();
    ASSERT_FALSE(name.isEmpty());
    const qsizetype asked = db->sql.size();
    ModRef::FillCodeName(srv, edit, bank, "cCode", "code", "cCode", "ccode_name");
    EXPECT_EQ(edit.Tag(), bank->Value("cCode").toString());
    EXPECT_EQ(edit.Text(), name);
    EXPECT_EQ(db->sql.size(), asked) << "the session's copy of the ledger accounts answers";

    auto gone = std::make_shared<Recordset>(QVector<FieldInfo>{{"cCode", 202, 40}});
    gone->appendRow({"999999"});
    ModRef::FillCodeName(srv, edit, gone, "cCode", "code", "cCode", "ccode_name");
    EXPECT_TRUE(edit.Text().isEmpty()) << "a code that matches no account any more";
    EXPECT_TRUE(edit.Tag().isEmpty());
    EXPECT_TRUE(edit.UTooltipText().isEmpty());

    const int queries = int(db->sql.size());
    auto none = std::make_shared<Recordset>(QVector<FieldInfo>{{"cCode", 202, 40}});
    none->appendRow({QVariant()});
    edit.setText("x");
    ModRef::FillCodeName(srv, edit, none, "cCode", "code", "cCode", "ccode_name");
    EXPECT_TRUE(edit.Text().isEmpty());
    EXPECT_EQ(db->sql.size(), queries) << "no code, no query";
}

TEST_F(ModRefTest, NullsAndBitsForDisplay) {
    EXPECT_EQ(ModRef::NullToDefault(QVariant(), "d").toString(), "d");
    EXPECT_EQ(ModRef::NullToDefault(QVariant(0), "d").toInt(), 0);
    auto rs = record("select top 1 * from aa_bank");
    EXPECT_EQ(ModRef::NullToDefault(rs, "nope", "d").toString(), "d") << "an unreadable field";
    EXPECT_EQ(ModRef::FieldToCheckValue(QVariant(true), 0), 1);
    EXPECT_EQ(ModRef::FieldToCheckValue(QVariant("TRUE"), 0), 1);
    EXPECT_EQ(ModRef::FieldToCheckValue(QVariant(false), 1), 0);
    EXPECT_EQ(ModRef::FieldToCheckValue(QVariant(), 1), 1);
    EXPECT_EQ(ModRef::FieldToCheckValue(QVariant(), 0), 0);
}

TEST_F(ModRefTest, ThePickListGetsTheConditionThenTheMatchAndWritesTheChoice) {
    ClassRegistry::instance().registerClass("MoxReferC.MoxReferClient",
                                            [] { return std::make_shared<FakeReferClient>(); });
    FakeReferClient::calls.clear();
    FakeReferClient::chooseFilter = "i_id = 2";
    RecordsetPtr rows;
    bool ok = false;
    QString condition = " ilevels=0 ";
    ModRef::OpenReference(edit, "hr_ct007", rows, ok, condition);
    EXPECT_EQ(condition, " ilevels=0  and (match ccodeid,vdescription)");
    EXPECT_EQ(
        FakeReferClient::calls,
        QStringList({"EnumRefInit(1,False,hr_ct007, ilevels=0  and (match ccodeid,vdescription))",
                     "Show"}));
    ASSERT_TRUE(ok);
    ModRef::SetRefEditFromRow(rows, ok, edit, "i_id,cexch_code", "cexch_name");
    EXPECT_EQ(edit.Text(), "美元");
    EXPECT_EQ(edit.Tag(), "2") << "the key goes to the tag";
    EXPECT_EQ(edit.UTooltipText(), "res:Tarvo.AA.ARCHIVE.FIELD.codecolonUSD")
        << "the code to the tooltip";

    FakeReferClient::chooseFilter.clear();
    condition.clear();
    ModRef::OpenReference(edit, "aa_bank", rows, ok, condition);
    EXPECT_FALSE(ok) << "nothing chosen";
    EXPECT_EQ(condition, "(match cBankCode,cBankName)");
    ModRef::SetRefEditFromRow(rows, ok, edit, "cBankCode", "cBankName");
    EXPECT_EQ(edit.Text(), "美元") << "a cancelled pick changes nothing";

    ClassRegistry::instance().unregisterClass("MoxReferC.MoxReferClient");
    ModRef::OpenReference(edit, "aa_bank", rows, ok, condition);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(pub->callsOf("MsgBox").isEmpty()) << "a missing pick list is silent";
}
