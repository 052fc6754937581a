#pragma once

#include "SqlBackend.h"

#include <QHash>
#include <QPair>

#include <memory>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace tarvo::suite {

struct PgResultDeleter {
    void operator()(PGresult* r) const;
};
using PgResult = std::unique_ptr<PGresult, PgResultDeleter>;

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
    /// Streams the rows (single-row mode) into the store.
    StoredResult queryStored(const QString& sql, const QVariantList& params = {}) override;
    long long exec(const QString& sql, const QVariantList& params = {}) override;
    void execScript(const QString& sql) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool tableExists(const QString& table) override;
    void lockSchema() override;
    void lockValue(const QString& kind, const QString& value) override;

    /// A name quoted for use as an identifier (statements such as CREATE DATABASE take none
    /// as a parameter).
    QString quotedName(const QString& name) const;

private:
    PGconn* m_conn = nullptr;
    /// Table oid -> column number -> (table name, column name), filled as queries meet tables.
    QHash<unsigned, QHash<int, QPair<QString, QString>>> m_origins;
    /// Server-side prepared statements by text and parameter types.
    QHash<QByteArray, QByteArray> m_prepared;
    int m_preparedCount = 0;

    QByteArray prepared(const QByteArray& text, const QVector<unsigned>& types);
    /// Sends one statement ("?" marks its parameters) without waiting for its results.
    void send(const QString& sql, const QVariantList& params);
    /// Runs one statement to its end; throws with the server's text when it fails.
    PgResult execute(const QString& sql, const QVariantList& params);

    const QHash<int, QPair<QString, QString>>& columnsOf(unsigned tableOid);
    /// Turns backslash escapes off for this session and makes sure the server agrees; throws
    /// DbError (and closes the connection) when it does not.
    void requireStandardStrings();
    /// Names and kinds of a result's columns; origins gets each column's table and column
    /// number, for nameOrigins once the connection is free again.
    QVector<ResultColumn> describe(const PGresult* r, const QString& sql,
                                   QVector<QPair<unsigned, int>>& origins) const;
    void nameOrigins(QVector<ResultColumn>& columns, const QVector<QPair<unsigned, int>>& origins);
};

} // namespace tarvo::suite
