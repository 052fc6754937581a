#pragma once

#include <QString>

namespace tarvo::suite {

/// Whether a database name stands for a PostgreSQL server ("postgresql://..." or
/// "postgres://...") rather than an SQLite file.
bool isPostgresUrl(const QString& dbName);

/// The database a server URL names; empty when it names none.
QString databaseOf(const QString& url);
/// The same server URL (user, host, port, options) naming another database.
QString withDatabase(const QString& url, const QString& database);

/// Creates the database the URL names, through the server's "postgres" maintenance database,
/// unless it exists. Returns whether it created it; throws DbError when it cannot.
bool createDatabase(const QString& url);
/// Drops the database the URL names, ending the connections that still use it.
void dropDatabase(const QString& url);

} // namespace tarvo::suite
