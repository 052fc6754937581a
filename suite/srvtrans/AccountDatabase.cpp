#include "AccountDatabase.h"

#include "PostgresBackend.h"
#include "PostgresDatabases.h"
#include "SchemaUpgrade.h"
#include "SqliteBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tarvo::suite {

namespace {

const char* const kScripts[] = {
    ":/suite/data/schema.sql",
    ":/suite/data/datadict.sql",
    ":/suite/data/colset_defaults.sql",
    ":/suite/data/seed/currencies.sql",
    ":/suite/data/seed/regions.sql",
    ":/suite/data/seed/ledger_accounts.sql",
    ":/suite/data/seed/banks.sql",
    ":/suite/data/seed/acc_information.sql",
    ":/suite/data/seed/demo_bank_accounts.sql",
    ":/suite/data/seed/salespeople.sql",
    ":/suite/data/seed/users.sql",
};

QString readScript(const char* path) {
    QFile f(QString::fromLatin1(path));
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "缺少数据库脚本 %1")
                          .arg(QString::fromLatin1(path)));
    return QString::fromUtf8(f.readAll());
}

SqlBackendPtr openBackend(const QString& dbName) {
    if (dbName.trimmed().isEmpty())
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "没有指定账套数据库"));
    if (isPostgresUrl(dbName))
        return std::make_shared<PostgresBackend>(dbName);
    const QFileInfo info(dbName);
    if (!info.absoluteDir().exists() && !QDir().mkpath(info.absolutePath()))
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "无法创建数据库目录“%1”")
                          .arg(info.absolutePath()));
    return std::make_shared<SqliteBackend>(dbName);
}

} // namespace

AccountDatabase::AccountDatabase(QString name, SqlBackendPtr backend)
    : m_name(std::move(name)), m_backend(std::move(backend)) {}

std::shared_ptr<AccountDatabase> AccountDatabase::open(const QString& dbName) {
    std::shared_ptr<AccountDatabase> db(new AccountDatabase(dbName, openBackend(dbName)));
    ensureCreated(*db->m_backend);
    db->m_dict.load(*db->m_backend);
    return db;
}

void AccountDatabase::ensureCreated(SqlBackend& db) {
    if (!db.tableExists(QStringLiteral("tarvo_meta"))) {
        Transaction tx(db);
        db.lockSchema();
        // Another process may have created it while we waited for the lock.
        if (!db.tableExists(QStringLiteral("tarvo_meta"))) {
            if (db.kind() == u"postgresql")
                db.execScript(readScript(":/suite/data/postgres_compat.sql"));
            for (const char* script : kScripts)
                db.execScript(readScript(script));
            db.exec(QStringLiteral(
                        "INSERT INTO tarvo_meta (cKey, cValue) VALUES ('schema_version', ?)"),
                    {QString::number(kSchemaVersion)});
        }
        tx.commit();
    }
    upgradeSchema(db);
}

} // namespace tarvo::suite
