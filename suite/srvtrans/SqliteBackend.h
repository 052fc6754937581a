#pragma once

#include "SqlBackend.h"

struct sqlite3;

namespace tarvo::suite {

/// The embedded engine: one SQLite file in WAL mode with foreign keys enforced.
class SqliteBackend : public SqlBackend {
public:
    /// Opens (creating when missing) the file; throws DbError when it cannot.
    explicit SqliteBackend(const QString& path);
    ~SqliteBackend() override;

    QString kind() const override { return QStringLiteral("sqlite"); }
    QueryResult query(const QString& sql, const QVariantList& params = {}) override;
    long long exec(const QString& sql, const QVariantList& params = {}) override;
    void execScript(const QString& sql) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool tableExists(const QString& table) override;
    /// BEGIN IMMEDIATE already keeps every other writer out.
    void lockSchema() override {}

private:
    sqlite3* m_db = nullptr;
    QString errorText() const;
    void useWriteAheadLog();
};

} // namespace tarvo::suite
