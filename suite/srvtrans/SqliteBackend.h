#pragma once

#include "SqlBackend.h"

#include <QHash>

#include <array>

struct sqlite3;
struct sqlite3_stmt;

namespace tarvo::suite {

/// The embedded engine: one SQLite file in WAL mode with foreign keys enforced. Statements are
/// prepared once per text and kept, so that a query run again (the card's record by key, the
/// save service's writes) only binds its values.
class SqliteBackend : public SqlBackend {
public:
    /// Opens (creating when missing) the file; throws DbError when it cannot.
    explicit SqliteBackend(const QString& path);
    ~SqliteBackend() override;

    QString kind() const override { return QStringLiteral("sqlite"); }
    QueryResult query(const QString& sql, const QVariantList& params = {}) override;
    StoredResult queryStored(const QString& sql, const QVariantList& params = {},
                             const RowWatch& watch = {}) override;
    void interrupt() override;
    void stopWhen(std::function<bool()> stop) override;
    long long exec(const QString& sql, const QVariantList& params = {}) override;
    void execScript(const QString& sql) override;
    /// Outside a transaction in one of its own, which a failure undoes, as on a server.
    BatchResult queryBatch(const QVector<Statement>& statements) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool tableExists(const QString& table) override;
    /// "*" when anything in the file may have changed since the last call: another
    /// connection's commit, or a row or table this connection changed itself (read from
    /// memory).
    QStringList announcedChanges() override;
    /// Moves with any change of the file's tables and with a schema upgrade; a change of the
    /// dictionary's rows alone is seen by connections made after it.
    int schemaGeneration() override;
    /// Counts the upgrade in the file's user version, which every connection reads cheaply.
    void announceSchemaChange() override;
    /// The file's data version: every other connection's commit moves it.
    qint64 changeMark(const QString& table) override;
    /// BEGIN IMMEDIATE already keeps every other writer out.
    void lockSchema() override {}
    void lockValue(const QString&, const QString&) override {}

    class Statement;

private:
    sqlite3* m_db = nullptr;
    /// A prepared statement not in use, with the description of its result columns as last
    /// read and the engine's count of its re-preparations (a schema change) at that time.
    struct Cached {
        sqlite3_stmt* stmt = nullptr;
        QVector<ResultColumn> columns;
        int prepared = -1;
    };
    /// Prepared statements not in use, by their text.
    QHash<QString, Cached> m_statements;
    std::function<bool()> m_stop;
    /// The data version, schema version and own changed rows last seen by announcedChanges();
    /// -1 before the first call.
    std::array<qint64, 3> m_seenVersions{-1, -1, -1};
    /// The schema and user versions last seen by schemaGeneration(), and what it counted.
    std::array<qint64, 2> m_schemaSeen{-1, -1};
    int m_schemaGeneration = 0;
    /// The data version last seen by schemaGeneration().
    qint64 m_dataSeen = -1;
    sqlite3_stmt* m_dataVersion = nullptr;
    /// Moves with every other connection's commit; kept prepared, as it is asked often.
    qint64 dataVersion();
    /// The file's data version, schema version and user version.
    std::array<qint64, 3> versions();
    sqlite3_stmt* m_versions = nullptr;
    QString errorText() const;
    void useWriteAheadLog();
};

} // namespace tarvo::suite
