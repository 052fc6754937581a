#include "AccountDatabase.h"
#include "ClsCommon.h"
#include "FunctionLock.h"
#include "SchemaUpgrade.h"
#include "TempDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>

using namespace tarvo::suite;

namespace {

QVariant scalar(AccountDatabase& db, const QString& sql) {
    const auto r = db.sql().query(sql);
    return r.rows.isEmpty() ? QVariant() : r.rows[0][0];
}

/// Takes away what the seventh version added: the session's account on history and audit rows,
/// the operators' login roles, and on a server the triggers and the sequence of change numbers.
void makeVersion6(SqlBackend& sql) {
    if (sql.kind() == u"postgresql")
        sql.execScript("DROP FUNCTION tarvo_stamp_session() CASCADE; "
                       "DROP FUNCTION tarvo_check_operators() CASCADE; "
                       "DROP FUNCTION tarvo_refuse_rewrite() CASCADE; "
                       "DROP FUNCTION tarvo_session_is_owner(); "
                       "DROP SEQUENCE tarvo_history_change");
    for (const char* table : {"tarvo_history", "tarvo_audit"})
        sql.execScript(QStringLiteral("ALTER TABLE %1 DROP COLUMN cSessionUser").arg(table));
    sql.execScript("ALTER TABLE tarvo_user DROP COLUMN cDbRole");
    sql.exec("UPDATE tarvo_meta SET cValue = '6' WHERE cKey = 'schema_version'");
}

/// Puts a database of this version back into the shape the first version wrote: the old lock
/// table, options of at most 200 characters, version 1.
void makeVersion1(const QString& name) {
    auto db = AccountDatabase::open(name);
    SqlBackend& sql = db->sql();
    makeVersion6(sql);
    sql.execScript("DROP TABLE tarvo_lock");
    sql.execScript("DROP TABLE tarvo_print_style");
    sql.execScript("DROP INDEX ix_bank_accno");
    sql.execScript("DROP TABLE tarvo_history");
    sql.execScript("DROP TABLE tarvo_commit");
    sql.execScript("CREATE TABLE tarvo_lock (cArchive varchar(40) NOT NULL, iKind smallint NOT "
                   "NULL, cUserId varchar(20) NOT NULL, cUserName varchar(40), cHost varchar(64), "
                   "iPid integer, cSession varchar(64), dLease varchar(30), PRIMARY KEY "
                   "(cArchive, iKind, cUserId))");
    if (sql.kind() == u"postgresql")
        sql.execScript("ALTER TABLE tarvo_option ALTER COLUMN cValue TYPE varchar(200)");
    sql.exec("UPDATE tarvo_meta SET cValue = '1' WHERE cKey = 'schema_version'");
}

/// What an upgraded database must allow: the new locks, long option values, stored page
/// set-ups, account numbers found by index.
void expectCurrentShape(const QString& name) {
    auto db = AccountDatabase::open(name);
    EXPECT_EQ(storedSchemaVersion(db->sql()), kSchemaVersion);
    EXPECT_TRUE(scalar(*db, db->sql().kind() == u"postgresql"
                                ? "SELECT 1 FROM pg_indexes WHERE indexname = 'ix_bank_accno'"
                                : "SELECT 1 FROM sqlite_master WHERE name = 'ix_bank_accno'")
                    .isValid());
    FunctionLock locks(AccountDatabase::open(name), LockHolder::thisProcess("demo", "演示用户"));
    LockHolder heldBy;
    EXPECT_TRUE(locks.acquire("bank", LockKind::Edit, heldBy));
    db->sql().exec("INSERT INTO tarvo_option (cUserId, cKey, cValue) VALUES ('demo', 'long', ?)",
                   {QString(2000, u'x')});
    db->sql().exec("INSERT INTO tarvo_print_style (cUserId, cArchive, cStyle) VALUES "
                   "('demo', 'bank', '<Style/>')");
    QString xml = "<AA_Bank><cBankCode>HX</cBankCode><cBankName>升级后</cBankName></AA_Bank>";
    QString err;
    tarvo::suite::ClsCommon common;
    common.Init(name);
    ASSERT_TRUE(common.Add(xml, "aa_bank", err)) << err.toStdString();
    EXPECT_EQ(scalar(*db, "SELECT cNewValue FROM tarvo_history WHERE cKeyValue = 'HX' AND "
                          "cField = 'cBankName'")
                  .toString(),
              "升级后");
}

} // namespace

TEST(SchemaUpgrade, AFileOfTheFirstVersionIsUpgradedInPlaceWithItsRows) {
    if (!qEnvironmentVariable("TARVO_TEST_PG").isEmpty())
        GTEST_SKIP() << "a database file of the embedded engine";
    QTemporaryDir dir;
    const QString name = dir.filePath("account.db");
    ASSERT_TRUE(QFile::copy(QStringLiteral(TARVO_TEST_DATA "/account_v1.db"), name));
    QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner);

    auto db = AccountDatabase::open(name);
    EXPECT_EQ(scalar(*db, "SELECT cBankName FROM aa_bank WHERE cBankCode = 'V1'").toString(),
              "旧版本银行");
    EXPECT_DOUBLE_EQ(scalar(*db, "SELECT fCurBalance FROM bank WHERE cBCode = 'OLD1'").toDouble(),
                     8888.88);
    EXPECT_EQ(scalar(*db, "SELECT COUNT(*) FROM bank").toInt(), 5);
    EXPECT_EQ(scalar(*db, "SELECT cValue FROM tarvo_option WHERE cKey = 'old.option'").toString(),
              "kept");
    expectCurrentShape(name);
}

TEST(SchemaUpgrade, EachBackendUpgradesAnOldShapeAndKeepsItsRows) {
    TempDatabase temp;
    {
        auto db = AccountDatabase::open(temp.name());
        db->sql().exec("INSERT INTO aa_bank (cBankCode, cBankName) VALUES ('U1', '升级银行')");
        // Accounts entered twice before duplicates were refused must not stop the upgrade.
        for (const char* code : {"D1", "D2"})
            db->sql().exec("INSERT INTO bank (cBCode, cBAccount, cCurrencyName, cBName, cBankCode) "
                           "VALUES (?, '6222 01', '人民币', '支行', 'U1')",
                           {QString::fromLatin1(code)});
    }
    makeVersion1(temp.name());
    expectCurrentShape(temp.name());
    auto db = AccountDatabase::open(temp.name());
    EXPECT_EQ(scalar(*db, "SELECT cBankName FROM aa_bank WHERE cBankCode = 'U1'").toString(),
              "升级银行");
    EXPECT_EQ(scalar(*db, "SELECT COUNT(*) FROM bank WHERE cBAccount = '6222 01'").toInt(), 2);
}

TEST(SchemaUpgrade, ADatabaseOfANewerProgramIsRefusedAndLeftAlone) {
    TempDatabase temp;
    AccountDatabase::open(temp.name())
        ->sql()
        .exec("UPDATE tarvo_meta SET cValue = '99' WHERE cKey = 'schema_version'");
    try {
        AccountDatabase::open(temp.name());
        ADD_FAILURE() << "a newer database was opened";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains("99") && e.text().contains("升级本程序")) << e.what();
    }
}

TEST(SchemaUpgrade, ADatabaseOfTheFourthVersionGainsTheHistoryAndKeepsItsAudit) {
    TempDatabase temp;
    {
        auto db = AccountDatabase::open(temp.name());
        db->sql().exec("INSERT INTO tarvo_audit (dWhen, cUserId, cArchive, cAction, cKeyValue) "
                       "VALUES ('2025-01-02T03:04:05', 'demo', 'bank', 'Add', 'A1')");
        db->sql().execScript("DROP TABLE tarvo_history");
        db->sql().exec("UPDATE tarvo_meta SET cValue = '4' WHERE cKey = 'schema_version'");
    }
    expectCurrentShape(temp.name());
    auto db = AccountDatabase::open(temp.name());
    EXPECT_EQ(scalar(*db, "SELECT cKeyValue FROM tarvo_audit WHERE cAction = 'Add' AND "
                          "cArchive = 'bank'")
                  .toString(),
              "A1");
}

TEST(SchemaUpgrade, ADatabaseOfTheSixthVersionStampsItsRowsAndNumbersChangesOnFromItsHistory) {
    TempDatabase temp;
    {
        auto db = AccountDatabase::open(temp.name());
        makeVersion6(db->sql());
        db->sql().exec("INSERT INTO tarvo_history (iChange, iSeq, dWhen, cUserId, cArchive, "
                       "cKeyValue, cAction, cField, cNewValue) VALUES (41, 1, '2025-01-02', "
                       "'demo', 'aa_bank', 'OLD', 'Add', 'cBankName', '旧行')");
    }
    expectCurrentShape(temp.name());
    auto db = AccountDatabase::open(temp.name());
    EXPECT_EQ(scalar(*db, "SELECT cNewValue FROM tarvo_history WHERE iChange = 41").toString(),
              "旧行");
    EXPECT_EQ(scalar(*db, "SELECT MIN(iChange) FROM tarvo_history WHERE cKeyValue = 'HX'").toInt(),
              42);
    EXPECT_FALSE(scalar(*db, "SELECT cSessionUser FROM tarvo_history WHERE cKeyValue = 'HX'")
                     .toString()
                     .isEmpty());
    EXPECT_NO_THROW(db->sql().exec("UPDATE tarvo_user SET cDbRole = 'clerk' WHERE cUser_Id = 'demo'"));
    if (db->sql().kind() == u"postgresql") {
        EXPECT_TRUE(scalar(*db, "SELECT 1 FROM pg_trigger WHERE tgname = 'tarvo_history_kept'")
                        .isValid());
    }
}

TEST(SchemaUpgrade, ADatabaseOfTheSeventhVersionShowsTheAccountPropertysWordsLeft) {
    TempDatabase temp;
    {
        auto db = AccountDatabase::open(temp.name());
        SqlBackend& sql = db->sql();
        sql.exec("UPDATE tarvo_colset_default SET iAlign = 7 WHERE cFld = 'iAccProperty'");
        // A layout stored while the defaults put both columns right.
        int order = 1;
        for (const char* field : {"iAccProperty", "fCurBalance"})
            sql.exec("INSERT INTO tarvo_colset_layout (cUserId, cColSet, iOrder, cFld, cCaption, "
                     "iAlign, bDisp, iColWidth) VALUES ('demo', 'Bank_NB', ?, ?, '列', 7, 1, 1000)",
                     {order++, QString::fromLatin1(field)});
        sql.exec("UPDATE tarvo_meta SET cValue = '7' WHERE cKey = 'schema_version'");
    }
    expectCurrentShape(temp.name());
    auto db = AccountDatabase::open(temp.name());
    EXPECT_EQ(
        scalar(*db, "SELECT iAlign FROM tarvo_colset_default WHERE cFld = 'iAccProperty'").toInt(),
        1);
    EXPECT_EQ(
        scalar(*db, "SELECT iAlign FROM tarvo_colset_layout WHERE cFld = 'iAccProperty'").toInt(),
        1);
    EXPECT_EQ(
        scalar(*db, "SELECT iAlign FROM tarvo_colset_layout WHERE cFld = 'fCurBalance'").toInt(), 7)
        << "numbers stay right";
}

TEST(SchemaUpgrade, ADatabaseOfTheEighthVersionChecksOperatorsOnceAStatementAndNumbersOn) {
    TempDatabase temp;
    if (!temp.onServer())
        GTEST_SKIP() << "the history's triggers are a server's";
    qlonglong taken = 0;
    {
        auto db = AccountDatabase::open(temp.name());
        SqlBackend& sql = db->sql();
        // The eighth version checked each row in a trigger of its own.
        sql.execScript("DROP FUNCTION tarvo_check_operators() CASCADE; "
                       "DROP TRIGGER tarvo_history_stamp ON tarvo_history; "
                       "CREATE TRIGGER tarvo_history_stamp BEFORE INSERT ON tarvo_history FOR "
                       "EACH ROW EXECUTE FUNCTION tarvo_stamp_session()");
        // Numbers a save still open has taken and not yet written.
        taken = sql.query("SELECT MAX(nextval('tarvo_history_change')) FROM generate_series(1, 5)")
                    .rows[0][0]
                    .toLongLong();
        sql.exec("UPDATE tarvo_meta SET cValue = '8' WHERE cKey = 'schema_version'");
    }
    expectCurrentShape(temp.name());
    auto db = AccountDatabase::open(temp.name());
    EXPECT_EQ(scalar(*db, "SELECT COUNT(*) FROM pg_trigger WHERE tgname IN "
                          "('tarvo_history_operators', 'tarvo_audit_operators')")
                  .toInt(),
              2);
    EXPECT_TRUE(scalar(*db, "SELECT tgqual IS NOT NULL FROM pg_trigger WHERE tgname = "
                            "'tarvo_history_stamp'")
                    .toBool());
    EXPECT_GT(scalar(*db, "SELECT MIN(iChange) FROM tarvo_history WHERE cKeyValue = 'HX'")
                  .toLongLong(),
              taken);
}

namespace {

/// Waits for what another connection committed to reach this one: a server's notification
/// travels on its own.
bool eventually(const std::function<bool()>& cond) {
    for (int i = 0; i < 100; ++i) {
        if (cond())
            return true;
        QThread::msleep(20);
    }
    return cond();
}

bool hasField(const tarvo::RecordsetPtr& rows, const char* field) {
    return rows && rows->fieldIndex(QString::fromLatin1(field)) >= 0;
}

} // namespace

TEST(SchemaUpgrade, ASessionRunningMeanwhileSeesTheUpgradedTablesWithoutConnectingAgain) {
    TempDatabase temp;
    ClsCommon session;
    session.Init(temp.name());
    ASSERT_FALSE(hasField(session.ReferenceTable("aa_bank"), "cNote"));
    // Run twice, so that a server keeps it prepared with the columns it had.
    QString byCode = "select * from aa_bank where cBankCode = ?";
    for (int run = 0; run < 2; ++run)
        ASSERT_TRUE(session.OpenXBound(byCode, {"103"})) << session.lastError().toStdString();

    // The next version's program upgrades the database while the session runs.
    auto next = AccountDatabase::open(temp.name());
    next->sql().exec("UPDATE tarvo_meta SET cValue = ? WHERE cKey = 'schema_version'",
                     {QString::number(kSchemaVersion - 1)});
    next->sql().execScript("ALTER TABLE aa_bank ADD COLUMN cNote varchar(30)");
    upgradeSchema(next->sql());

    EXPECT_TRUE(eventually([&] { return hasField(session.ReferenceTable("aa_bank"), "cNote"); }))
        << "the kept bank table with its new column";
    const tarvo::RecordsetPtr bank = session.OpenXBound(byCode, {"103"});
    EXPECT_TRUE(hasField(bank, "cNote")) << session.lastError().toStdString();
}

TEST(SchemaUpgrade, AColumnTheDictionaryGainsIsTypedByItOnEveryConnectionOfTheProcess) {
    TempDatabase temp;
    auto session = AccountDatabase::open(temp.name());
    // On a server a second connection (the list's reader) takes the session's dictionary.
    auto beside = AccountDatabase::open(temp.name());
    const auto noted = [](AccountDatabase& db) {
        const std::lock_guard use(db.inUse());
        db.noticeSchemaChange();
        const DictField* f = db.dictionary().find("aa_bank", "cNote");
        return f ? f->definedSize() : 0;
    };
    ASSERT_EQ(noted(*session), 0);

    {
        auto other = AccountDatabase::open(temp.name());
        other->sql().execScript("ALTER TABLE aa_bank ADD COLUMN cNote varchar(30)");
        other->sql().exec("INSERT INTO tarvo_datadict (cTable, cField, iOrder, cType, iSize, "
                          "cCaptionZh, cCaptionEn) VALUES ('aa_bank', 'cNote', 99, 'varchar', "
                          "30, '备注', 'Note')");
    }
    EXPECT_TRUE(eventually([&] { return noted(*session) == 30; }));
    EXPECT_EQ(noted(*beside), 30);

    ClsCommon typed;
    typed.Init(temp.name());
    QString notes = "select cNote from aa_bank";
    const tarvo::RecordsetPtr rows = typed.OpenX(notes);
    ASSERT_TRUE(rows) << typed.lastError().toStdString();
    EXPECT_EQ(rows->FieldAt(0).definedSize, 30);

    // Once every connection is gone, the next one of the process reads the dictionary anew.
    session.reset();
    beside.reset();
    typed.Init(QString());
    EXPECT_EQ(noted(*AccountDatabase::open(temp.name())), 30);
}
