#include "SchemaUpgrade.h"

#include "SqlDialect.h"

#include <QCoreApplication>
#include <QFile>

#include <iterator>

namespace tarvo::suite {

namespace {

bool columnExists(SqlBackend& db, const QString& table, const QString& column) {
    return !db.query(EngineDialect::of(db).columnExistsQuery, {table.toLower(), column.toLower()})
                .rows.isEmpty();
}

/// Version 2: the edit lock became one per archive (cScope in the key), and an option value
/// holds a list's filter fields.
void toVersion2(SqlBackend& db) {
    if (!columnExists(db, QStringLiteral("tarvo_lock"), QStringLiteral("cScope"))) {
        // Rows of the old lock protocol cannot be honoured by the new one; a lock is no data.
        db.execScript(QStringLiteral("DROP TABLE tarvo_lock"));
        db.execScript(QStringLiteral(
            "CREATE TABLE tarvo_lock (cArchive varchar(40) NOT NULL, iKind smallint NOT NULL, "
            "cScope varchar(20) NOT NULL, cUserId varchar(20) NOT NULL, cUserName varchar(40), "
            "cHost varchar(64), iPid integer, cSession varchar(64), dLease varchar(30), "
            "PRIMARY KEY (cArchive, iKind, cScope))"));
    }
    if (EngineDialect::of(db).enforcesVarcharLength)
        db.execScript(
            QStringLiteral("ALTER TABLE tarvo_option ALTER COLUMN cValue TYPE varchar(2000)"));
}

/// Version 3: page set-ups of the list printouts, per user and archive.
void toVersion3(SqlBackend& db) {
    db.execScript(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS tarvo_print_style (cUserId varchar(20) NOT NULL, "
        "cArchive varchar(40) NOT NULL, cStyle text NOT NULL, dChanged varchar(30), "
        "PRIMARY KEY (cUserId, cArchive))"));
}

/// Version 4: bank accounts are looked up by their number as compared for duplicates.
void toVersion4(SqlBackend& db) {
    db.execScript(QStringLiteral("CREATE INDEX IF NOT EXISTS ix_bank_accno ON bank "
                                 "((replace(replace(cBAccount, ' ', ''), '-', '')))"));
}

/// Version 5: the records' history, field by field.
void toVersion5(SqlBackend& db) {
    db.execScript(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS tarvo_history (iChange integer NOT NULL, iSeq integer NOT "
        "NULL, dWhen varchar(30) NOT NULL, cUserId varchar(20), cArchive varchar(40) NOT NULL, "
        "cKeyValue varchar(60) NOT NULL, cAction varchar(10) NOT NULL, cField varchar(80) NOT "
        "NULL, cOldValue text, cNewValue text, PRIMARY KEY (iChange, iSeq))"));
    db.execScript(QStringLiteral("CREATE INDEX IF NOT EXISTS ix_tarvo_history_key ON "
                                 "tarvo_history (cArchive, cKeyValue)"));
}

/// Version 6: tokens of the commits on a server, to settle a commit whose answer was lost.
void toVersion6(SqlBackend& db) {
    db.execScript(QStringLiteral("CREATE TABLE IF NOT EXISTS tarvo_commit (cToken varchar(40) "
                                 "NOT NULL PRIMARY KEY, dWhen varchar(30) NOT NULL)"));
}

/// Version 7: history and audit rows name who the database knew the session as; operators are
/// tied to the server's login roles; on a server, history and audit are append-only and the
/// history's change numbers come from a sequence.
void toVersion7(SqlBackend& db) {
    if (!columnExists(db, QStringLiteral("tarvo_user"), QStringLiteral("cDbRole")))
        db.execScript(QStringLiteral("ALTER TABLE tarvo_user ADD COLUMN cDbRole varchar(63)"));
    for (const char* table : {"tarvo_history", "tarvo_audit"})
        if (!columnExists(db, QLatin1String(table), QStringLiteral("cSessionUser")))
            db.execScript(QStringLiteral("ALTER TABLE %1 ADD COLUMN cSessionUser varchar(63)")
                              .arg(QLatin1String(table)));
    applyServerRights(db);
}

/// Version 8: the account property shows words, which stand left as texts do. Only the right
/// alignment the defaults used to give is changed: the set-up offers no other.
void toVersion8(SqlBackend& db) {
    for (const char* table : {"tarvo_colset_default", "tarvo_colset_layout"})
        db.execScript(QStringLiteral("UPDATE %1 SET iAlign = 1 WHERE lower(cFld) = "
                                     "'iaccproperty' AND iAlign = 7")
                          .arg(QLatin1String(table)));
}

/// Version 9: on a server the operators of history and audit rows are checked once a statement,
/// and a row that names the session's own role is stored without a trigger's call.
void toVersion9(SqlBackend& db) {
    applyServerRights(db);
}

/// Version 10: on a server, a lock is taken in one statement, and the sessions hear of changes
/// to the reference tables they keep.
void toVersion10(SqlBackend& db) {
    applyServerFunctions(db);
}

/// Version 11: on a server, the sessions hear of changes to the data dictionary.
void toVersion11(SqlBackend& db) {
    applyServerFunctions(db);
}

struct Step {
    int version;
    void (*apply)(SqlBackend&);
};

constexpr Step kSteps[] = {
    {2, toVersion2},
    {3, toVersion3},
    {4, toVersion4},
    {5, toVersion5},
    {6, toVersion6},
    {7, toVersion7},
    {8, toVersion8},
    {9, toVersion9},
    {10, toVersion10},
    {11, toVersion11},
};
static_assert(std::size(kSteps) == kSchemaVersion - 1, "one step per version after the first");

void refuseNewer(int version) {
    if (version > kSchemaVersion)
        throw DbError(
            QCoreApplication::translate("tarvo::suite::DbError",
                                        "账套数据库的结构版本为 %1，而本程序只认识到版本 %2："
                                        "它由更新版本的程序建立或升级过，请先升级本程序再打开。")
                .arg(version)
                .arg(kSchemaVersion));
}

} // namespace

namespace {

void runServerScript(SqlBackend& db, const QString& path) {
    if (!EngineDialect::of(db).loginRoles)
        return;
    QFile script(path);
    if (!script.open(QIODevice::ReadOnly))
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "缺少数据库脚本 %1")
                          .arg(script.fileName()));
    db.execScript(QString::fromUtf8(script.readAll()));
}

} // namespace

void applyServerRights(SqlBackend& db) {
    runServerScript(db, QStringLiteral(":/suite/data/postgres_rights.sql"));
}

void applyServerFunctions(SqlBackend& db) {
    runServerScript(db, QStringLiteral(":/suite/data/postgres_functions.sql"));
}

int storedSchemaVersion(SqlBackend& db) {
    const auto r =
        db.query(QStringLiteral("SELECT cValue FROM tarvo_meta WHERE cKey = 'schema_version'"));
    if (r.rows.isEmpty())
        return 1;
    bool ok = false;
    const int version = r.rows[0][0].toString().trimmed().toInt(&ok);
    if (!ok || version < 1)
        throw DbError(
            QCoreApplication::translate("tarvo::suite::DbError", "账套数据库的结构版本“%1”无法识别")
                .arg(r.rows[0][0].toString()));
    return version;
}

void upgradeSchema(SqlBackend& db) {
    int version = storedSchemaVersion(db);
    refuseNewer(version);
    if (version == kSchemaVersion)
        return;
    Transaction tx(db);
    db.lockSchema();
    // Another program may have upgraded it while we waited.
    version = storedSchemaVersion(db);
    refuseNewer(version);
    if (version == kSchemaVersion)
        return;
    for (const Step& step : kSteps)
        if (step.version > version)
            step.apply(db);
    db.exec(QStringLiteral("DELETE FROM tarvo_meta WHERE cKey = 'schema_version'"));
    db.exec(QStringLiteral("INSERT INTO tarvo_meta (cKey, cValue) VALUES ('schema_version', ?)"),
            {QString::number(kSchemaVersion)});
    // Sessions running meanwhile read their dictionaries and kept tables again once this
    // commits, rather than at their next reconnect.
    db.announceSchemaChange();
    tx.commit();
}

} // namespace tarvo::suite
