#pragma once

#include "SqlBackend.h"

#include <QHash>
#include <QPair>

typedef struct pg_conn PGconn;

namespace tarvo::suite {

/// An accounting database on a PostgreSQL server, reached by a libpq URL
/// ("postgresql://user@host:port/dbname"). Values travel as text; result columns name the table
/// column they were read from, so record sets get their types from the data dictionary as on
/// the embedded engine.
class PostgresBackend : public SqlBackend {
public:
    /// Connects; throws DbError (without the password) when the server cannot be reached.
    explicit PostgresBackend(const QString& url);
    ~PostgresBackend() override;
    PostgresBackend(const PostgresBackend&) = delete;
    PostgresBackend& operator=(const PostgresBackend&) = delete;

    QString kind() const override { return QStringLiteral("postgresql"); }
    QueryResult query(const QString& sql, const QVariantList& params = {}) override;
    long long exec(const QString& sql, const QVariantList& params = {}) override;
    void execScript(const QString& sql) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool tableExists(const QString& table) override;
    void lockSchema() override;

    /// A name quoted for use as an identifier (statements such as CREATE DATABASE take none
    /// as a parameter).
    QString quotedName(const QString& name) const;

private:
    PGconn* m_conn = nullptr;
    /// Table oid -> column number -> (table name, column name), filled as queries meet tables.
    QHash<unsigned, QHash<int, QPair<QString, QString>>> m_origins;

    const QHash<int, QPair<QString, QString>>& columnsOf(unsigned tableOid);
    /// Turns backslash escapes off for this session and makes sure the server agrees; throws
    /// DbError (and closes the connection) when it does not.
    void requireStandardStrings();
};

/// The URL with its password left out, fit for messages and logs.
QString withoutPassword(const QString& url);

} // namespace tarvo::suite
