#include "PostgresDatabases.h"

#include "DatabaseName.h"
#include "PostgresBackend.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>

#include <libpq-fe.h>

#include <cstring>

namespace tarvo::suite {

bool isPostgresUrl(const QString& dbName) {
    return dbName.startsWith(u"postgresql://", Qt::CaseInsensitive) ||
           dbName.startsWith(u"postgres://", Qt::CaseInsensitive);
}

QString databaseOf(const QString& url) {
    // The client library reads the URL as every connection will: several hosts, IPv6
    // addresses in brackets and a dbname among the parameters are all its to understand.
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(url.toUtf8().constData(), &error);
    PQfreemem(error);
    QString name;
    for (PQconninfoOption* o = options; o && o->keyword; ++o)
        if (std::strcmp(o->keyword, "dbname") == 0 && o->val)
            name = QString::fromUtf8(o->val);
    PQconninfoFree(options);
    return name;
}

QString withDatabase(const QString& url, const QString& database) {
    // Only the path changes: hosts, ports and parameters stay exactly as written, in forms a
    // general URL parser would refuse or rewrite ("h1:1,h2:2", "[::1]").
    const qsizetype authority = url.indexOf(u"://") + 3;
    qsizetype path = authority;
    while (path < url.size() && url[path] != u'/' && url[path] != u'?')
        ++path;
    qsizetype query = path;
    while (query < url.size() && url[query] != u'?')
        ++query;
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(database));
    // A dbname among the parameters would win over the path.
    QString rest = url.mid(query);
    static const QRegularExpression dbnameParameter(QStringLiteral("([?&])dbname=[^&]*&?"));
    rest.replace(dbnameParameter, QStringLiteral("\\1"));
    if (rest == u"?")
        rest.clear();
    else if (rest.endsWith(u'&'))
        rest.chop(1);
    return url.left(path) + u'/' + encoded + rest;
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
