#include "AccountDatabase.h"

#include "DataFiles.h"
#include "DatabaseName.h"
#include "PostgresBackend.h"
#include "PostgresDatabases.h"
#include "SchemaUpgrade.h"
#include "SqlDialect.h"
#include "SqliteBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo::suite {

namespace {

// The schema belongs to this program's code and is built in; the seed data is read from the
// data folder.
const char* const kSchemaScripts[] = {
    ":/suite/data/schema.sql",
    ":/suite/data/datadict.sql",
    ":/suite/data/colset_defaults.sql",
};

const char* const kReferenceSeeds[] = {
    "seed/currencies.sql", "seed/regions.sql",         "seed/ledger_accounts.sql",
    "seed/banks.sql",      "seed/acc_information.sql", "seed/users.sql",
};

const char* const kDemoSeeds[] = {
    "seed/demo_bank_accounts.sql",
    "seed/salespeople.sql",
};

constexpr mode_t kOwnerOnlyFile = 0600;
constexpr mode_t kOwnerOnlyFolder = 0700;

QString readScript(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(
            QCoreApplication::translate("tarvo::suite::DbError", "缺少数据库脚本 %1").arg(path));
    return QString::fromUtf8(f.readAll());
}

QString seedScript(const char* name) {
    return readScript(dataFile(QString::fromLatin1(name)));
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

/// Makes a new database file owner-only before the engine first opens it: the engine gives
/// its -wal and -shm files the mode of the database file. A file that is there already keeps
/// the mode its owner gave it, and is never opened here, since closing any descriptor of a
/// file drops the locks the engine holds on it.
/// True when the file is new.
bool createPrivateFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kOwnerOnlyFile);
    if (fd < 0) {
        if (errno == EEXIST)
            return false;
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "无法创建数据库文件“%1”：%2").arg(path, systemError()));
    }
    // The user's umask may leave the owner without write access to a file only we will use.
    const bool modeSet = ::fchmod(fd, kOwnerOnlyFile) == 0;
    const QString why = systemError();
    ::close(fd);
    if (!modeSet) {
        ::unlink(name.constData());
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "无法设置数据库文件“%1”的权限：%2").arg(path, why));
    }
    return true;
}

/// Removes a database file this process created but could not fill, with the files the engine
/// keeps beside it, unless another process has meanwhile made it a database after all: an
/// empty file left behind would be taken for a set of books next time.
void removeUnmadeFile(SqlBackendPtr backend, const QString& path) {
    bool madeElsewhere = false;
    try {
        madeElsewhere = backend->tableExists(QStringLiteral("tarvo_meta"));
    } catch (const DbError&) {
    }
    backend.reset();
    if (madeElsewhere)
        return;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
}

/// Whether a name reads as the keyword/value form of a server connection ("host=h
/// password=p dbname=d"), which would otherwise become a file of that name.
bool isConnectionString(const QString& dbName) {
    static const QRegularExpression keyword(
        QStringLiteral(R"((^|\s)(host|hostaddr|port|dbname|user|password|service)\s*=)"));
    return keyword.match(dbName).hasMatch();
}

/// The file a database name leads to: a link that leads nowhere yet (a clerk's shortcut to
/// books not made) stands for the file it names, which must be made owner-only as any other.
QString fileBehindLinks(const QString& path) {
    QString file = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo link(file);
        if (!link.isSymLink() || link.exists())
            return file;
        file = link.symLinkTarget();
    }
    return file;
}

/// The connections this process has open to each server database.
class KnownDatabases {
public:
    /// A connection of this process still open to the database: the server refuses to drop a
    /// database anyone is connected to, so what that connection learnt of it still holds.
    std::shared_ptr<AccountDatabase> openTo(const QString& dbName) {
        const std::lock_guard lock(m_mutex);
        return m_open.value(dbName).lock();
    }
    void opened(const std::shared_ptr<AccountDatabase>& db) {
        const std::lock_guard lock(m_mutex);
        m_open.insert(db->name(), db);
    }

private:
    std::mutex m_mutex;
    QHash<QString, std::weak_ptr<AccountDatabase>> m_open;
};

KnownDatabases& knownDatabases() {
    static KnownDatabases known;
    return known;
}

const Statement kVersionQuestion{
    QStringLiteral("SELECT cValue FROM tarvo_meta WHERE cKey = 'schema_version'"), {}};

/// The schema version a server's database says it has, in one round trip; 0 for a file, which
/// costs nothing to look at again, and for a database without tables yet.
int versionOnServer(SqlBackend& db) {
    if (!EngineDialect::of(db).costlyRoundTrips)
        return 0;
    try {
        const auto r = db.query(kVersionQuestion.sql, kVersionQuestion.params);
        return r.rows.isEmpty() ? 0 : r.rows[0][0].toString().trimmed().toInt();
    } catch (const DbError&) {
        return 0;
    }
}

/// Opens the backend for a database name; `newFile` is the embedded file created for it just
/// now, empty when none was.
SqlBackendPtr openBackend(const QString& dbName, QString& newFile) {
    newFile.clear();
    if (dbName.trimmed().isEmpty())
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "没有指定账套数据库"));
    if (isPostgresUrl(dbName))
        return std::make_shared<PostgresBackend>(dbName);
    if (isConnectionString(dbName))
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "“%1”不是数据库文件，服务器上的数据库请写成 "
                                                  "postgresql://用户@主机:端口/数据库")
                          .arg(shownDatabaseName(dbName)));
    // A mistyped folder would otherwise end up holding a new, empty set of books.
    const QFileInfo info(dbName);
    if (!info.absoluteDir().exists())
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "数据库文件夹“%1”不存在")
                          .arg(info.absolutePath()));
    const QString file = fileBehindLinks(info.absoluteFilePath());
    if (createPrivateFile(file))
        newFile = file;
    try {
        return std::make_shared<SqliteBackend>(dbName);
    } catch (...) {
        if (!newFile.isEmpty())
            QFile::remove(newFile);
        throw;
    }
}

} // namespace

namespace {
std::atomic<quint64> connectionsMade{0};
} // namespace

AccountDatabase::AccountDatabase(QString name, SqlBackendPtr backend)
    : m_name(std::move(name)), m_backend(std::move(backend)),
      m_references(std::make_unique<ReferenceCache>(*m_backend, m_dict)),
      m_serial(++connectionsMade) {}

QString AccountDatabase::branchDirectoryMark() {
    return QStringLiteral("%1:%2:%3:%4")
        .arg(m_serial)
        .arg(m_backend->connectionGeneration())
        .arg(m_backend->changeMark(QStringLiteral("tarvo_branch")))
        .arg(m_branchDirectoryStores);
}

std::shared_ptr<AccountDatabase> AccountDatabase::open(const QString& dbName, Seed seed,
                                                       const AskedNext& askedNext) {
    QString newFile;
    SqlBackendPtr backend = openBackend(dbName, newFile);
    std::shared_ptr<AccountDatabase> db(new AccountDatabase(dbName, backend));
    const bool onServer = EngineDialect::of(*backend).costlyRoundTrips;
    if (askedNext)
        backend->askAhead(askedNext(*backend));
    if (const auto open = onServer ? knownDatabases().openTo(dbName) : nullptr) {
        // Another connection of this process (the session's, for a reader beside the window)
        // has asked the server already.
        db->copyDictionary(open);
        knownDatabases().opened(db);
        return db;
    }
    // The schema version and the dictionary go with the catalog's question: at the current
    // version there is nothing to create or upgrade, and the dictionary's answer is in.
    if (onServer)
        backend->askAhead({kVersionQuestion, DataDictionary::loadQuestion()});
    // The columns of every table at once, so that no result of the session asks for its own.
    backend->learnCatalog();
    const int version = versionOnServer(*backend);
    try {
        if (version != kSchemaVersion)
            ensureCreated(*backend, seed);
    } catch (...) {
        db.reset();
        if (!newFile.isEmpty())
            removeUnmadeFile(std::move(backend), newFile);
        throw;
    }
    // Read anew for each connection rather than kept for the process: the dictionary's table
    // may change while no connection of the process is open to hear of it.
    db->m_dict.load(*db->m_backend);
    db->m_dictGeneration = backend->schemaGeneration();
    // Offered as it was found: one just created or upgraded has tables the catalog read
    // before did not name.
    if (version == kSchemaVersion)
        knownDatabases().opened(db);
    return db;
}

void AccountDatabase::copyDictionary(const std::shared_ptr<AccountDatabase>& from) {
    {
        const std::lock_guard lock(from->m_dictMutex);
        m_dict = from->m_dict;
    }
    m_copiedFrom = from;
    m_copiedReading = m_dict.reading();
    m_dictGeneration = m_backend->schemaGeneration();
}

void AccountDatabase::noticeSchemaChange() {
    // A copy is as current as the connection it came from, which heard what changed before
    // this one listened.
    if (const auto from = m_copiedFrom.lock()) {
        const std::lock_guard lock(from->m_dictMutex);
        if (from->m_dict.reading() != m_copiedReading) {
            const std::lock_guard own(m_dictMutex);
            m_dict = from->m_dict;
            m_copiedReading = m_dict.reading();
        }
    }
    int generation = m_dictGeneration;
    DataDictionary read;
    try {
        generation = m_backend->schemaGeneration();
        if (generation == m_dictGeneration)
            return;
        read.load(*m_backend);
    } catch (const DbError&) {
        // The statement that follows meets the same trouble and reports it.
        return;
    }
    const std::lock_guard lock(m_dictMutex);
    m_dict = std::move(read);
    m_dictGeneration = generation;
}

namespace {

QHash<QString, std::weak_ptr<AccountDatabase>>& sharedConnections() {
    static thread_local QHash<QString, std::weak_ptr<AccountDatabase>> shared;
    return shared;
}

} // namespace

std::shared_ptr<AccountDatabase> AccountDatabase::openShared(const QString& dbName) {
    if (auto db = sharedConnections().value(dbName).lock())
        return db;
    return open(dbName);
}

void AccountDatabase::share(const std::shared_ptr<AccountDatabase>& db) {
    sharedConnections().insert(db->name(), db);
}

void AccountDatabase::ensureCreated(SqlBackend& db, Seed seed) {
    if (!db.tableExists(QStringLiteral("tarvo_meta"))) {
        Transaction tx(db);
        db.lockSchema();
        // Another process may have created it while we waited for the lock.
        if (!db.tableExists(QStringLiteral("tarvo_meta"))) {
            if (const QString& compat = EngineDialect::of(db).compatScript; !compat.isEmpty())
                db.execScript(readScript(compat));
            for (const char* script : kSchemaScripts)
                db.execScript(readScript(QString::fromLatin1(script)));
            applyServerRights(db);
            for (const char* name : kReferenceSeeds)
                db.execScript(seedScript(name));
            if (seed == Seed::WithDemo)
                for (const char* name : kDemoSeeds)
                    db.execScript(seedScript(name));
            applyServerFunctions(db);
            db.exec(QStringLiteral(
                        "INSERT INTO tarvo_meta (cKey, cValue) VALUES ('schema_version', ?)"),
                    {QString::number(kSchemaVersion)});
        }
        tx.commit();
    }
    upgradeSchema(db);
}

void AccountDatabase::createPrivateFolder(const QString& path) {
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    if (QFileInfo(absolute).isDir())
        return;
    createPrivateFolder(QFileInfo(absolute).absolutePath());
    if (::mkdir(QFile::encodeName(absolute).constData(), kOwnerOnlyFolder) != 0 && errno != EEXIST)
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "无法创建数据库文件夹“%1”：%2").arg(absolute, systemError()));
}

} // namespace tarvo::suite
