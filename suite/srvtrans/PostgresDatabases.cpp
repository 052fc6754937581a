#include "PostgresDatabases.h"

#include "DatabaseName.h"
#include "PostgresBackend.h"

#include <QCoreApplication>
#include <QUrl>

namespace tarvo::suite {

bool isPostgresUrl(const QString& dbName) {
    return dbName.startsWith(u"postgresql://", Qt::CaseInsensitive) ||
           dbName.startsWith(u"postgres://", Qt::CaseInsensitive);
}

QString databaseOf(const QString& url) {
    return QUrl(url).path(QUrl::FullyDecoded).mid(1);
}

QString withDatabase(const QString& url, const QString& database) {
    QUrl u(url);
    u.setPath(u'/' + database);
    return u.toString(QUrl::FullyEncoded);
}

bool createDatabase(const QString& url) {
    const QString name = databaseOf(url);
    if (name.isEmpty())
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "“%1”中没有数据库名")
                          .arg(shownDatabaseName(url)));
    PostgresBackend server(withDatabase(url, QStringLiteral("postgres")));
    if (!server.query(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"), {name})
             .rows.isEmpty())
        return false;
    // Template0 with the C locale: text sorts and LIKE folds case as in the embedded database,
    // whatever locale the server was set up with.
    try {
        server.execScript(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8' "
                                         "LC_COLLATE 'C' LC_CTYPE 'C'")
                              .arg(server.quotedName(name)));
    } catch (const DbError&) {
        // Someone else may have created it in the meantime; anything else is a real failure.
        if (server.query(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = ?"), {name})
                .rows.isEmpty())
            throw;
        return false;
    }
    return true;
}

void dropDatabase(const QString& url) {
    PostgresBackend server(withDatabase(url, QStringLiteral("postgres")));
    server.execScript(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)")
                          .arg(server.quotedName(databaseOf(url))));
}

} // namespace tarvo::suite
