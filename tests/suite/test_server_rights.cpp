#include "AccountDatabase.h"
#include "ChangeHistory.h"
#include "ClsCommon.h"
#include "FunctionLock.h"
#include "Login.h"
#include "RoleLogins.h"
#include "SessionRights.h"
#include "SuiteContext.h"
#include "TempDatabase.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::suite;

namespace {

const QString kBankXml =
    QStringLiteral("<AA_Bank><cBankCode>%1</cBankCode><cBankName>%2</cBankName></AA_Bank>");

QString bankXml(const QString& code, const QString& name = QStringLiteral("权限银行")) {
    return kBankXml.arg(code, name);
}

/// An account of the bank R1; each code gets a number of its own.
QString accountXml(const QString& code) {
    return QStringLiteral("<Bank><cBCode>%1</cBCode><cBAccount>6222 %2</cBAccount><cAccName>户名"
                          "</cAccName><dOpenAccDate>2026-01-05</dOpenAccDate><cCurrencyName>人民币"
                          "</cCurrencyName><bBflag>0</bBflag><cBName>支行</cBName><cBankCode>R1"
                          "</cBankCode><fCurBalance>0</fCurBalance></Bank>")
        .arg(code)
        .arg(qHash(code) % 100000000);
}

QVariant scalar(const QString& dbName, const QString& sql, const QVariantList& params = {}) {
    const auto r = AccountDatabase::open(dbName)->sql().query(sql, params);
    return r.rows.isEmpty() ? QVariant() : r.rows[0][0];
}

/// A session of the server transaction object logged in to dbName as the operator.
std::shared_ptr<ClsCommon> sessionAs(const QString& dbName, const QString& userId) {
    setCurrentUser(userId);
    auto common = std::make_shared<ClsCommon>();
    common->Init(dbName);
    EXPECT_TRUE(common->Status()) << common->lastError().toStdString();
    return common;
}

/// The owner's database with the three roles' login roles; skipped on a file.
struct ServerRights : ::testing::Test {
    TempDatabase temp;
    std::unique_ptr<RoleLogins> roles;

    void SetUp() override {
        if (!temp.onServer())
            GTEST_SKIP() << "login roles and rights are a server's";
        roles = std::make_unique<RoleLogins>(temp.name());
        // A bank and an account each role can find.
        auto owner = sessionAs(temp.name(), "admin");
        QString err, xml = bankXml("R1", "开户银行");
        ASSERT_TRUE(owner->Add(xml, "aa_bank", err)) << err.toStdString();
        xml = accountXml("A0");
        ASSERT_TRUE(owner->Add(xml, "bank", err)) << err.toStdString();
    }
    void TearDown() override { setCurrentUser("demo"); }

    std::shared_ptr<ClsCommon> as(RoleLogins::Group g) {
        return sessionAs(roles->url(g), RoleLogins::operatorOf(g));
    }
};

} // namespace

TEST(SessionStamp, HistoryAndAuditNameTheAccountTheDatabaseKnowsBesideTheOperator) {
    TempDatabase temp;
    auto common = sessionAs(temp.name(), "demo");
    QString err, xml = bankXml("S1");
    ASSERT_TRUE(common->Add(xml, "aa_bank", err)) << err.toStdString();
    // On a file the program's operating-system account; on a server the role it logged in as.
    const QString expected =
        temp.onServer() ? scalar(temp.name(), "SELECT session_user::text").toString() : osAccount();
    ASSERT_FALSE(expected.isEmpty());
    for (const char* table : {"tarvo_history", "tarvo_audit"}) {
        const auto r = AccountDatabase::open(temp.name())
                           ->sql()
                           .query(QStringLiteral("SELECT DISTINCT cUserId, cSessionUser FROM %1 "
                                                 "WHERE cKeyValue = 'S1'")
                                      .arg(QLatin1String(table)));
        EXPECT_EQ(r.rows.size(), 1) << table;
        if (r.rows.size() != 1)
            continue;
        EXPECT_EQ(r.rows[0][0].toString(), "demo") << table;
        EXPECT_EQ(r.rows[0][1].toString(), expected) << table;
    }
}

TEST_F(ServerRights, AnOperatorNotTiedToTheRoleCannotLogInAndTheServerRefusesItsRows) {
    const QString clerkUrl = roles->url(RoleLogins::Clerk);
    QString error;
    EXPECT_FALSE(Login::logIn(clerkUrl, "admin", error));
    EXPECT_TRUE(error.contains(roles->role(RoleLogins::Clerk)) && error.contains("admin"))
        << error.toStdString();
    EXPECT_TRUE(Login::logIn(clerkUrl, RoleLogins::operatorOf(RoleLogins::Clerk), error))
        << error.toStdString();

    // A program that skips the login check still cannot write as another operator.
    const QString before = storedRows(*sessionAs(temp.name(), "admin"));
    auto forged = sessionAs(clerkUrl, "admin");
    QString err, xml = accountXml("F1");
    EXPECT_FALSE(forged->Add(xml, "bank", err));
    EXPECT_FALSE(err.contains("permission denied")) << err.toStdString();
    EXPECT_EQ(storedRows(*sessionAs(temp.name(), "admin")), before);

    // Nor name itself anyone else: the server writes the role it authenticated.
    auto db = AccountDatabase::open(clerkUrl);
    db->sql().exec("INSERT INTO tarvo_audit (dWhen, cUserId, cSessionUser, cArchive, cAction) "
                   "VALUES ('2026-12-09', 'clerk1', 'postgres', 'bank', 'Add')");
    EXPECT_EQ(scalar(temp.name(), "SELECT cSessionUser FROM tarvo_audit WHERE dWhen = "
                                  "'2026-12-09'")
                  .toString(),
              roles->role(RoleLogins::Clerk));

    auto clerk = as(RoleLogins::Clerk);
    xml = accountXml("C1");
    ASSERT_TRUE(clerk->Add(xml, "bank", err)) << err.toStdString();
    const auto r = AccountDatabase::open(temp.name())
                       ->sql()
                       .query("SELECT DISTINCT cUserId, cSessionUser FROM tarvo_history WHERE "
                              "cKeyValue = 'C1'");
    ASSERT_EQ(r.rows.size(), 1);
    EXPECT_EQ(r.rows[0][0].toString(), "clerk1");
    EXPECT_EQ(r.rows[0][1].toString(), roles->role(RoleLogins::Clerk));
}

TEST_F(ServerRights, NoRoleButTheOwnerCanRewriteTheHistoryOrTheAudit) {
    // Even a right granted by mistake is refused by the server's own check.
    AccountDatabase::open(temp.name())
        ->sql()
        .execScript("GRANT UPDATE, DELETE, TRUNCATE ON tarvo_history, tarvo_audit TO "
                    "tarvo_manager");
    const QString before = storedRows(*sessionAs(temp.name(), "admin"));
    for (RoleLogins::Group g : {RoleLogins::Reader, RoleLogins::Clerk, RoleLogins::Manager}) {
        auto db = AccountDatabase::open(roles->url(g));
        for (const char* statement :
             {"UPDATE tarvo_history SET cNewValue = 'forged', cUserId = 'admin'",
              "DELETE FROM tarvo_history", "TRUNCATE tarvo_history",
              "UPDATE tarvo_audit SET cUserId = 'admin'", "DELETE FROM tarvo_audit",
              "TRUNCATE tarvo_audit"}) {
            EXPECT_THROW(db->sql().exec(QString::fromLatin1(statement)), DbError)
                << roles->role(g).toStdString() << ": " << statement;
        }
    }
    EXPECT_EQ(storedRows(*sessionAs(temp.name(), "admin")), before);
    // The owner repairs what must be repaired.
    auto owner = AccountDatabase::open(temp.name());
    EXPECT_GT(owner->sql().exec("UPDATE tarvo_history SET cUserId = cUserId"), 0);
}

TEST_F(ServerRights, EachRoleMayDoWhatItsGroupAllowsAndIsToldWhatNot) {
    struct Case {
        RoleLogins::Group group;
        const char* archive;
        const char* action;
        bool allowed;
    };
    const Case cases[] = {
        {RoleLogins::Reader, "bank", "Add", false},     {RoleLogins::Reader, "bank", "Modify", false},
        {RoleLogins::Reader, "bank", "Delete", false},  {RoleLogins::Reader, "aa_bank", "Add", false},
        {RoleLogins::Clerk, "bank", "Add", true},       {RoleLogins::Clerk, "bank", "Modify", true},
        {RoleLogins::Clerk, "bank", "Delete", false},   {RoleLogins::Clerk, "aa_bank", "Add", false},
        {RoleLogins::Clerk, "aa_bank", "Modify", false}, {RoleLogins::Manager, "bank", "Delete", true},
        {RoleLogins::Manager, "aa_bank", "Add", true},  {RoleLogins::Manager, "aa_bank", "Delete", true},
    };
    for (const Case& c : cases) {
        const QString refusal = as(c.group)->RightRefusal(c.archive, c.action);
        EXPECT_EQ(refusal.isEmpty(), c.allowed)
            << roles->role(c.group).toStdString() << " " << c.archive << " " << c.action << ": "
            << refusal.toStdString();
        if (!c.allowed) {
            EXPECT_TRUE(refusal.contains(roles->role(c.group))) << refusal.toStdString();
        }
    }
    // What the server still refuses comes back in the session's language.
    auto clerk = as(RoleLogins::Clerk);
    QVariant key = QStringLiteral("A0");
    QString err;
    EXPECT_FALSE(clerk->Delete(key, "cBCode", "bank", err, "clerk1"));
    EXPECT_TRUE(err.contains(roles->role(RoleLogins::Clerk)) && err.contains("权限"))
        << err.toStdString();
    EXPECT_FALSE(err.contains("permission denied")) << err.toStdString();
    EXPECT_EQ(scalar(temp.name(), "SELECT COUNT(*) FROM bank WHERE cBCode = 'A0'").toInt(), 1);
}

TEST_F(ServerRights, RightsAnsweredTogetherAreHandedOutOnceAndThenAskedAgain) {
    auto clerk = as(RoleLogins::Clerk);
    EXPECT_TRUE(clerk->RightRefusal("bank", "Add").isEmpty());
    EXPECT_FALSE(clerk->RightRefusal("bank", "Delete").isEmpty());
    // The administrator takes the clerk out of the group meanwhile.
    AccountDatabase::open(temp.name())
        ->sql()
        .execScript(QStringLiteral("REVOKE tarvo_clerk FROM %1").arg(roles->role(RoleLogins::Clerk)));
    EXPECT_TRUE(clerk->RightRefusal("bank", "Modify").isEmpty())
        << "the answer given with the first question";
    EXPECT_FALSE(clerk->RightRefusal("bank", "Add").isEmpty()) << "a second question is asked anew";
    EXPECT_FALSE(clerk->RightRefusal("bank", "Modify").isEmpty());
}

TEST_F(ServerRights, AReaderListsAndHoldsItsFunctionLockWithoutWritingARow) {
    auto reader = as(RoleLogins::Reader);
    QString sql = "select cBCode from bank where cBCode = 'A0'";
    const RecordsetPtr rs = reader->OpenX(sql);
    ASSERT_TRUE(rs) << reader->lastError().toStdString();
    EXPECT_EQ(rs->RecordCount(), 1);

    const LockHolder me = LockHolder::thisProcess("reader1", "reader1名");
    auto locks = std::make_unique<FunctionLock>(AccountDatabase::open(roles->url(RoleLogins::Reader)),
                                                me);
    LockHolder heldBy;
    ASSERT_TRUE(locks->acquire("bank", LockKind::Function, heldBy));
    EXPECT_TRUE(locks->acquire("bank", LockKind::Function, heldBy)) << "asked again";
    EXPECT_EQ(scalar(temp.name(), "SELECT COUNT(*) FROM tarvo_lock").toInt(), 0);
    // The server holds it all the same: a second session of the same operator is kept out.
    FunctionLock second(AccountDatabase::open(roles->url(RoleLogins::Reader)), me);
    EXPECT_FALSE(second.acquire("bank", LockKind::Function, heldBy));
    locks.reset();
    EXPECT_TRUE(second.acquire("bank", LockKind::Function, heldBy));

    // Its own options it keeps, committed without the tokens it may not write.
    auto db = AccountDatabase::open(roles->url(RoleLogins::Reader));
    Transaction tx(db->sql());
    db->sql().exec("INSERT INTO tarvo_option (cUserId, cKey, cValue) VALUES ('reader1', 'k', 'v')");
    EXPECT_NO_THROW(tx.commit());
    EXPECT_EQ(scalar(temp.name(), "SELECT cValue FROM tarvo_option WHERE cKey = 'k'").toString(),
              "v");
}

TEST_F(ServerRights, ASaveDoesNotWaitForAnotherRecordsSaveToCommit) {
    // One clerk's save stands open, history written, not yet committed.
    auto open = AccountDatabase::open(roles->url(RoleLogins::Clerk));
    Transaction tx(open->sql());
    const DictField* name = nullptr;
    for (const DictField* f : open->dictionary().fields("bank"))
        if (f->field.compare("cAccName", Qt::CaseInsensitive) == 0)
            name = f;
    ASSERT_TRUE(name);
    ChangeHistory(*open).record("bank", "Modify", "A0", "clerk1", {{name, QStringLiteral("户名"), QStringLiteral("新户名")}});

    auto other = as(RoleLogins::Clerk);
    other->database()->sql().limitStatementTime(3000);
    QElapsedTimer clock;
    clock.start();
    QString err, xml = accountXml("B1");
    EXPECT_TRUE(other->Add(xml, "bank", err)) << err.toStdString();
    EXPECT_LT(clock.elapsed(), 3000);
    tx.commit();
    EXPECT_EQ(scalar(temp.name(), "SELECT COUNT(DISTINCT iChange) FROM tarvo_history WHERE "
                                  "cKeyValue IN ('A0', 'B1')")
                  .toInt(),
              3);
}

TEST_F(ServerRights, OneRowOfAnotherOperatorRefusesItsWholeStatement) {
    auto clerk = AccountDatabase::open(roles->url(RoleLogins::Clerk));
    SqlBackend& sql = clerk->sql();
    // What a session can make for itself: an operator table that ties every operator to the
    // clerk, and an empty table under the name the server's check reads the statement's rows by.
    sql.execScript(QStringLiteral("CREATE TEMP TABLE tarvo_user (cUser_Id varchar(20), cDbRole "
                                  "varchar(63)); INSERT INTO tarvo_user SELECT cUser_Id, '%1' "
                                  "FROM public.tarvo_user; CREATE TEMP TABLE tarvo_added (cUserId "
                                  "varchar(20))")
                       .arg(roles->role(RoleLogins::Clerk)));
    struct Table {
        const char* name;
        const char* insert;
        const char* row; ///< with the change number, the row's place and the operator to put in
    };
    const Table tables[] = {
        {"tarvo_history",
         "INSERT INTO tarvo_history (iChange, iSeq, dWhen, cUserId, cArchive, cKeyValue, cAction, "
         "cField) VALUES ",
         "(CHANGE, SEQ, '2026-12-10', OPERATOR, 'bank', 'MIX', 'Add', 'cAccName')"},
        {"tarvo_audit", "INSERT INTO tarvo_audit (dWhen, cUserId, cArchive, cAction, cKeyValue) VALUES ",
         "('2026-12-10', OPERATOR, 'bank', 'Add', 'MIX')"},
    };
    const auto statement = [](const Table& t, int change, const QStringList& operators) {
        QStringList rows;
        for (int i = 0; i < operators.size(); ++i)
            rows << QString::fromLatin1(t.row)
                        .replace(QStringLiteral("CHANGE"), QString::number(change))
                        .replace(QStringLiteral("SEQ"), QString::number(i + 1))
                        .replace(QStringLiteral("OPERATOR"), operators[i].isNull() ? QStringLiteral("NULL")
                                                                    : u'\'' + operators[i] + u'\'');
        return QString::fromLatin1(t.insert) + rows.join(u", ");
    };
    const QStringList mixed[] = {{"clerk1", "admin"},
                                 {"admin", "clerk1", "clerk1"},
                                 {"clerk1", "manager1"},
                                 {"clerk1", QString()}};
    for (const Table& t : tables) {
        const QString count = QStringLiteral("SELECT COUNT(*) FROM %1 WHERE cKeyValue = 'MIX'")
                                  .arg(QLatin1String(t.name));
        for (const QStringList& operators : mixed) {
            EXPECT_THROW(sql.exec(statement(t, 900001, operators)), DbError)
                << t.name << ": " << operators.join(u',').toStdString();
            EXPECT_EQ(scalar(temp.name(), count).toInt(), 0) << t.name;
        }
        EXPECT_EQ(sql.exec(statement(t, 900002, {"clerk1", "clerk1"})), 2) << t.name;
        EXPECT_EQ(scalar(temp.name(), count).toInt(), 2) << t.name;
    }
    // The login role is dropped after the test; what it made would hold it back.
    sql.execScript("DROP TABLE pg_temp.tarvo_user, pg_temp.tarvo_added");
}

TEST_F(ServerRights, EveryRowOfAStatementCarriesTheSessionsRoleWhateverItNames) {
    struct Session {
        QString url;
        QString userId;
        QString key;
        int change;
    };
    const Session sessions[] = {{temp.name(), "admin", "OWN", 900101},
                                {roles->url(RoleLogins::Clerk), "clerk1", "CLK", 900102},
                                {roles->url(RoleLogins::Manager), "manager1", "MGR", 900103}};
    for (const Session& s : sessions) {
        auto db = AccountDatabase::open(s.url);
        const QString role = db->sql().query("SELECT session_user::text").rows[0][0].toString();
        // The program names the role itself, so that its rows need no trigger to put them right.
        EXPECT_EQ(sessionAccount(db->sql()), role);
        const QVariantList names{QVariant(), QStringLiteral("postgres"), role,
                                 roles->role(RoleLogins::Reader)};
        QStringList history, audit;
        QVariantList historyParams, auditParams;
        for (int i = 0; i < names.size(); ++i) {
            history << QStringLiteral("(?, ?, '2026-12-10', ?, ?, 'bank', ?, 'Add', 'cAccName')");
            historyParams << s.change << i + 1 << s.userId << names[i] << s.key;
            audit << QStringLiteral("('2026-12-10', ?, ?, 'bank', 'Add', ?)");
            auditParams << s.userId << names[i] << s.key;
        }
        db->sql().exec(QStringLiteral("INSERT INTO tarvo_history (iChange, iSeq, dWhen, cUserId, "
                                      "cSessionUser, cArchive, cKeyValue, cAction, cField) VALUES ") +
                           history.join(u", "),
                       historyParams);
        db->sql().exec(QStringLiteral("INSERT INTO tarvo_audit (dWhen, cUserId, cSessionUser, "
                                      "cArchive, cAction, cKeyValue) VALUES ") +
                           audit.join(u", "),
                       auditParams);
        for (const char* table : {"tarvo_history", "tarvo_audit"}) {
            const auto r = AccountDatabase::open(temp.name())
                               ->sql()
                               .query(QStringLiteral("SELECT cSessionUser, COUNT(*) FROM %1 WHERE "
                                                     "cKeyValue = ? GROUP BY cSessionUser")
                                          .arg(QLatin1String(table)),
                                      {s.key});
            ASSERT_EQ(r.rows.size(), 1) << table << " " << s.key.toStdString();
            EXPECT_EQ(r.rows[0][0].toString(), role) << table;
            EXPECT_EQ(r.rows[0][1].toInt(), names.size()) << table;
        }
    }
}

TEST_F(ServerRights, AClerksImportIsStoredUnderItsRoleAndOperator) {
    QStringList xmls;
    for (int i = 1; i <= 40; ++i)
        xmls << accountXml(QStringLiteral("I%1").arg(i));
    auto clerk = as(RoleLogins::Clerk);
    QVector<BatchVerdict> verdicts;
    QString err;
    ASSERT_TRUE(clerk->SaveBatch(xmls, "bank", true, verdicts, err)) << err.toStdString();
    for (const char* table : {"tarvo_history", "tarvo_audit"}) {
        const auto r = AccountDatabase::open(temp.name())
                           ->sql()
                           .query(QStringLiteral("SELECT cUserId, cSessionUser, COUNT(DISTINCT "
                                                 "cKeyValue) FROM %1 WHERE cKeyValue LIKE 'I%' "
                                                 "GROUP BY cUserId, cSessionUser")
                                      .arg(QLatin1String(table)));
        ASSERT_EQ(r.rows.size(), 1) << table;
        EXPECT_EQ(r.rows[0][0].toString(), "clerk1") << table;
        EXPECT_EQ(r.rows[0][1].toString(), roles->role(RoleLogins::Clerk)) << table;
        EXPECT_EQ(r.rows[0][2].toInt(), 40) << table;
    }
}
