#pragma once

#include "DataDictionary.h"
#include "ReferenceCache.h"
#include "SqlBackend.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tarvo::suite {

/// One connection to an accounting database with its data dictionary. A database name that is a
/// file path opens (and on first use creates and seeds) an embedded SQLite file; a
/// "postgresql://user@host:port/dbname" URL opens a database on a PostgreSQL server, which must
/// exist but is filled on first use the same way.
class AccountDatabase {
public:
    /// What a database gets besides the reference data (banks, currencies, regions, chart of
    /// accounts, users) when it is created: the demo company's bank accounts and salespeople
    /// belong only in the database a first start makes to try the program on.
    enum class Seed { WithDemo, ReferenceOnly };

    /// What the caller will ask as soon as the database is open: a server gets it with the
    /// open's own questions (see SqlBackend::askAhead).
    using AskedNext = std::function<QVector<Statement>(SqlBackend&)>;

    /// Throws DbError when the database cannot be opened or created. A new file is created in
    /// an existing folder only, readable by its owner alone.
    static std::shared_ptr<AccountDatabase> open(const QString& dbName, Seed seed = Seed::WithDemo,
                                                 const AskedNext& askedNext = {});
    /// The connection this thread has shared for the database, or a new one as open() makes:
    /// the suite's small services (column layouts) ride along with the session's connection
    /// instead of paying a server's connection start-up of their own.
    static std::shared_ptr<AccountDatabase> openShared(const QString& dbName);
    /// Offers the connection to openShared() on this thread for as long as it lives.
    static void share(const std::shared_ptr<AccountDatabase>& db);

    SqlBackend& sql() { return *m_backend; }
    /// Held by each object of the session while it uses the shared connection: work beside
    /// the window (a save, an import check) runs the server transaction object on another
    /// thread, and the lock's beat on the window's thread must not talk over it.
    std::recursive_mutex& inUse() { return m_inUse; }
    const DataDictionary& dictionary() const { return m_dict; }
    /// Under inUse(), before the dictionary is used: reads it again when the schema may have
    /// changed since it was read (see SqlBackend::schemaGeneration); the reference tables kept
    /// hear of the same change themselves. A dictionary that cannot be read now is kept until
    /// the next call.
    void noticeSchemaChange();
    const QString& name() const { return m_name; }
    /// The reference tables this connection has read and keeps.
    ReferenceCache& references() { return *m_references; }
    /// Whether the database holds a branch directory, as this connection last learnt it; none
    /// when it has not asked since it was made (anew).
    /// What this connection last learnt of whether the database has a branch directory, while
    /// no table may have been made since (another program's first import announces its table).
    std::optional<bool> knownBranchDirectory() const {
        return m_branchDirectory.generation == m_backend->schemaGeneration()
                   ? m_branchDirectory.present
                   : std::nullopt;
    }
    /// Keeps the answer as of the schema generation it was asked in.
    void knowBranchDirectory(std::optional<bool> present, int generation) {
        m_branchDirectory = {generation, present};
    }
    int schemaGeneration() { return m_backend->schemaGeneration(); }
    /// Under inUse(): a mark that moves whenever the branch directory may have changed since it
    /// was last taken (stored through this connection, or by another as the engine tells
    /// without asking), and differs between connections. Throws DbError.
    QString branchDirectoryMark();
    /// The directory is being stored through this connection, which the engine need not tell
    /// it of.
    void branchDirectoryStored() { ++m_branchDirectoryStores; }

    /// Creates the tables and loads the seed data when the database has none yet, and upgrades
    /// one written by an earlier version of the program. Safe when several processes start on
    /// the same database at once.
    static void ensureCreated(SqlBackend& db, Seed seed = Seed::WithDemo);

    /// Creates the folder and the missing folders above it, each readable by its owner alone.
    /// Throws DbError when it cannot.
    static void createPrivateFolder(const QString& path);

private:
    AccountDatabase(QString name, SqlBackendPtr backend);
    QString m_name;
    SqlBackendPtr m_backend;
    DataDictionary m_dict;
    /// Held while m_dict is replaced, and by another connection of the process copying it.
    std::mutex m_dictMutex;
    /// The schema generation the dictionary was read at.
    int m_dictGeneration = 0;
    std::unique_ptr<ReferenceCache> m_references;
    std::recursive_mutex m_inUse;
    struct {
        int generation = -1;
        std::optional<bool> present;
    } m_branchDirectory;
    qint64 m_branchDirectoryStores = 0;
    /// Tells this connection from the others of the process in what it marks.
    const quint64 m_serial;
    /// The connection whose dictionary this one took, for as long as it is open.
    std::weak_ptr<AccountDatabase> m_copiedFrom;
    /// The reading of the dictionary taken from it last.
    quint64 m_copiedReading = 0;
    /// Takes the dictionary of another connection to the same database.
    void copyDictionary(const std::shared_ptr<AccountDatabase>& from);
};

using AccountDatabasePtr = std::shared_ptr<AccountDatabase>;

} // namespace tarvo::suite
