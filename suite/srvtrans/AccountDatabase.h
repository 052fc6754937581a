#pragma once

#include "DataDictionary.h"
#include "SqlBackend.h"

#include <QString>

#include <memory>

namespace tarvo::suite {

/// One connection to an accounting database with its data dictionary. A database name that is a
/// file path opens (and on first use creates and seeds) an embedded SQLite file; a
/// "postgresql://user@host:port/dbname" URL opens a database on a PostgreSQL server, which must
/// exist but is filled on first use the same way.
class AccountDatabase {
public:
    /// Throws DbError when the database cannot be opened or created.
    static std::shared_ptr<AccountDatabase> open(const QString& dbName);

    SqlBackend& sql() { return *m_backend; }
    const DataDictionary& dictionary() const { return m_dict; }
    const QString& name() const { return m_name; }

    /// Creates the tables and loads the seed data when the database has none yet, and upgrades
    /// one written by an earlier version of the program. Safe when several processes start on
    /// the same database at once.
    static void ensureCreated(SqlBackend& db);

private:
    AccountDatabase(QString name, SqlBackendPtr backend);
    QString m_name;
    SqlBackendPtr m_backend;
    DataDictionary m_dict;
};

using AccountDatabasePtr = std::shared_ptr<AccountDatabase>;

} // namespace tarvo::suite
