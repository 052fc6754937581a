#include "FunctionLock.h"

#include "SessionRights.h"
#include "SqlDialect.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QSysInfo>
#include <QThread>
#include <QUuid>
#include <QtEndian>

#include <cerrno>
#include <csignal>
#include <mutex>
#include <utility>

namespace tarvo::suite {

namespace {

/// Whether a process of this machine still runs. A killed process that its parent has not
/// reaped yet still answers kill(), so /proc is asked first.
bool processAlive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray s = stat.readAll();
        const qsizetype close = s.lastIndexOf(')');
        const char state = close >= 0 && close + 2 < s.size() ? s[close + 2] : 'R';
        return state != 'Z' && state != 'X';
    }
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

QString leaseFromNow() {
    return QDateTime::currentDateTimeUtc()
        .addSecs(FunctionLock::kLease.count())
        .toString(Qt::ISODate);
}

/// The advisory lock of one archive, kind and scope. Advisory locks are per database already,
/// so the account needs no part in it.
qlonglong advisoryKey(const QString& archive, LockKind kind, const QString& scope) {
    const QByteArray id =
        QStringLiteral("%1\x1f%2\x1f%3").arg(archive, QString::number(int(kind)), scope).toUtf8();
    const QByteArray digest = QCryptographicHash::hash(id, QCryptographicHash::Sha256);
    return qFromBigEndian<qint64>(digest.constData());
}

/// Takes the advisory lock without waiting; whether this session got it.
bool tryAdvisoryLock(SqlBackend& sql, const QString& archive, LockKind kind, const QString& scope) {
    return sql.query(QStringLiteral("SELECT pg_try_advisory_lock(?)"),
                     {advisoryKey(archive, kind, scope)})
               .rows.value(0)
               .value(0)
               .toLongLong() != 0;
}

/// The server's locks held through each connection, by advisory key, with the object holding
/// each. The server grants a lock again to the session that holds it, so two objects sharing a
/// connection would both get it: they learn of each other here. A connection is asked from
/// beside the window as well as from it, so the table is the process's, behind a mutex.
struct HeldThrough {
    const void* owner;
    LockHolder holder;
};
using ServerLockKey = QPair<const SqlBackend*, qlonglong>;

struct ServerLocksHeld {
    std::mutex guard;
    QHash<ServerLockKey, HeldThrough> held;
};

ServerLocksHeld& serverLocksHeld() {
    static ServerLocksHeld locks;
    return locks;
}

/// Server locks this process has given back without waiting for the server's answer, by
/// advisory key: another connection of the process that finds one still held a moment later
/// waits for the give-back to land instead of being refused.
struct GivenBack {
    std::mutex mutex;
    QHash<qlonglong, std::chrono::steady_clock::time_point> when;
};

GivenBack& givenBack() {
    static GivenBack given;
    return given;
}

constexpr auto kGiveBackLands = std::chrono::seconds(2);

void noteGivenBack(qlonglong advisory) {
    GivenBack& given = givenBack();
    const std::lock_guard lock(given.mutex);
    const auto now = std::chrono::steady_clock::now();
    given.when.removeIf([&](const auto& it) { return now - it.value() > kGiveBackLands; });
    given.when.insert(advisory, now);
}

bool justGivenBack(qlonglong advisory) {
    GivenBack& given = givenBack();
    const std::lock_guard lock(given.mutex);
    const auto it = given.when.constFind(advisory);
    return it != given.when.cend() && std::chrono::steady_clock::now() - *it <= kGiveBackLands;
}

} // namespace

LockHolder LockHolder::thisProcess(const QString& userId, const QString& userName) {
    return {userId, userName, QSysInfo::machineHostName(), QCoreApplication::applicationPid(), {}};
}

FunctionLock::FunctionLock(AccountDatabasePtr connection, const LockHolder& me)
    : m_db(std::move(connection)), m_me(me), m_onServer(EngineDialect::of(m_db->sql()).sessionLocks) {
    m_me.session = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // On a server the same beat takes the locks back soon after a restart, before another
    // clerk's program is likely to ask for them.
    QObject::connect(&m_renewal, &QTimer::timeout, [this] { renewLeases(); });
    m_renewal.start(std::chrono::duration_cast<std::chrono::milliseconds>(kLease) / 3);
    // Made beside the window, the beat still runs in the window's event loop.
    if (QCoreApplication* app = QCoreApplication::instance())
        m_renewal.moveToThread(app->thread());
}

FunctionLock::~FunctionLock() {
    const std::lock_guard use(m_db->inUse());
    const QSet<Key> held = m_held;
    for (const Key& key : held)
        releaseHeld(key);
    // The session ends: what waited for the connection is given back now, the last chance.
    const QSet<Key> deferred = std::exchange(m_deferred, {});
    for (const Key& key : deferred)
        giveBack(key);
}

FunctionLock::Key FunctionLock::keyOf(const QString& archive, LockKind kind) const {
    return {archive.toLower(), kind, kind == LockKind::Function ? m_me.userId : QString()};
}

bool FunctionLock::connectionBusy() const {
    const SqlBackend& sql = m_db->sql();
    return sql.transactionDepth > 0 && sql.transactionOwner != this;
}

bool FunctionLock::acquire(const QString& archive, LockKind kind, LockHolder& heldBy) {
    const std::lock_guard use(m_db->inUse());
    // Whatever this writes would otherwise be committed or rolled back with the other work.
    if (connectionBusy())
        throw DbError(Transaction::busyText());
    releaseDeferred();
    const Key key = keyOf(archive, kind);
    if (m_held.contains(key)) {
        if (!stillHeld(key, heldBy))
            return false;
        if (!m_onServer)
            renewLeases();
        return m_held.contains(key);
    }
    if (m_lost.contains(key)) {
        // Refused until the loss has been reported: the holder must learn that someone else
        // may have changed the archive in the meantime.
        heldBy = {};
        readRow(key, heldBy);
        return false;
    }
    const bool granted = m_onServer ? acquireAdvisory(key, heldBy) : acquireRow(key, heldBy);
    if (granted)
        m_held.insert(key);
    return granted;
}

void FunctionLock::release(const QString& archive, LockKind kind) {
    const std::lock_guard use(m_db->inUse());
    const Key key = keyOf(archive, kind);
    m_lost.remove(key);
    if (m_held.contains(key))
        releaseHeld(key);
}

bool FunctionLock::refuses(const QString& archive, int mode) {
    if (mode == -1 || mode == -2) {
        release(archive, LockKind(-mode));
        return false;
    }
    if (mode != 1 && mode != 2)
        return false;
    LockHolder heldBy;
    try {
        return !acquire(archive, LockKind(mode), heldBy);
    } catch (const DbError&) {
        return true;
    }
}

void FunctionLock::renewLeases() {
    // A beat that finds the connection in use beside the window, or in another's transaction,
    // waits for the next: the window is never kept waiting for it.
    const std::unique_lock use(m_db->inUse(), std::try_to_lock);
    if (!use.owns_lock() || connectionBusy())
        return;
    try {
        releaseDeferred();
    } catch (const DbError&) {
    }
    if (m_held.isEmpty())
        return;
    const QSet<Key> held = m_held;
    try {
        // While the server is away the beat gives up at once rather than hold up the clerk.
        if (m_onServer && !m_db->sql().revive())
            return;
        if (m_onServer)
            return retakeAfterReconnect();
        for (const Key& key : held) {
            // A row that no longer names this session was taken over after the lease ran out.
            if (m_db->sql().exec(
                    QStringLiteral("UPDATE tarvo_lock SET dLease = ? WHERE "
                                   "cArchive = ? AND iKind = ? AND cScope = ? AND "
                                   "cSession = ?"),
                    {leaseFromNow(), key.archive, int(key.kind), key.scope, m_me.session}) == 0)
                dropLost(key);
        }
    } catch (const DbError&) {
        // A busy database delays this renewal to the next; the lease outlasts a few of them.
        // A server out of reach is asked again at the next beat.
    }
}

void FunctionLock::retakeAfterReconnect() {
    SqlBackend& sql = m_db->sql();
    const QSet<Key> held = m_held;
    for (const Key& key : held) {
        if (m_takenOn.value(key) == sql.connectionGeneration())
            continue;
        const bool got = !heldByNeighbour(key) &&
                         tryAdvisoryLock(sql, key.archive, key.kind, key.scope);
        const int generation = sql.connectionGeneration();
        // Whoever took the lock while we were away wrote its row over ours: what we hold
        // open may have been changed by it.
        LockHolder row;
        if (got && (!writesRows() || (readRow(key, row) && row.session == m_me.session))) {
            m_takenOn.insert(key, generation);
            continue;
        }
        if (got)
            sql.query(QStringLiteral("SELECT pg_advisory_unlock(?)"),
                      {advisoryKey(key.archive, key.kind, key.scope)});
        dropLost(key);
        m_lostWithConnection.insert(key);
    }
}

bool FunctionLock::takenOver(const QString& archive, LockKind kind) {
    return m_lost.remove(keyOf(archive, kind));
}

bool FunctionLock::lostWithConnection(const QString& archive, LockKind kind) const {
    return m_lostWithConnection.contains(keyOf(archive, kind));
}

std::optional<LockHolder> FunctionLock::heldByNeighbour(const Key& key) const {
    ServerLocksHeld& locks = serverLocksHeld();
    const std::lock_guard guard(locks.guard);
    const auto it =
        locks.held.constFind({&m_db->sql(), advisoryKey(key.archive, key.kind, key.scope)});
    if (it == locks.held.cend() || it->owner == this)
        return std::nullopt;
    return it->holder;
}

void FunctionLock::noteServerLock(const Key& key, bool held) {
    const ServerLockKey id{&m_db->sql(), advisoryKey(key.archive, key.kind, key.scope)};
    ServerLocksHeld& locks = serverLocksHeld();
    const std::lock_guard guard(locks.guard);
    if (held)
        locks.held.insert(id, {this, m_me});
    else if (locks.held.value(id).owner == this)
        locks.held.remove(id);
}

void FunctionLock::dropLost(const Key& key) {
    if (m_onServer)
        noteServerLock(key, false);
    m_held.remove(key);
    m_takenOn.remove(key);
    m_lost.insert(key);
    m_lostWithConnection.remove(key);
}

bool FunctionLock::stillHeld(const Key& key, LockHolder& heldBy) {
    if (m_onServer) {
        // A connection the server closed (a restart, a failover) is made anew here, with a
        // statement's patience when the first attempt fails; one that stands holds its locks,
        // and asking it would cost a save a round trip.
        SqlBackend& sql = m_db->sql();
        if (!sql.revive())
            sql.query(QStringLiteral("SELECT 1"));
        retakeAfterReconnect();
        if (m_held.contains(key))
            return true;
        heldBy = {};
        readRow(key, heldBy);
        return false;
    }
    LockHolder row;
    if (readRow(key, row) && row.session == m_me.session)
        return true;
    heldBy = row;
    dropLost(key);
    return false;
}

bool FunctionLock::readRow(const Key& key, LockHolder& holder, QString* lease) {
    const auto r = m_db->sql().query(
        QStringLiteral("SELECT cUserId, cUserName, cHost, iPid, cSession, dLease FROM tarvo_lock "
                       "WHERE cArchive = ? AND iKind = ? AND cScope = ?"),
        {key.archive, int(key.kind), key.scope});
    if (r.rows.isEmpty())
        return false;
    const auto& row = r.rows.first();
    holder = {row[0].toString(), row[1].toString(), row[2].toString(), row[3].toLongLong(),
              row[4].toString()};
    if (lease)
        *lease = row[5].toString();
    return true;
}

void FunctionLock::writeRow(const Key& key) {
    // One statement, which stands alone as a transaction of its own on a server.
    m_db->sql().exec(
        QStringLiteral("INSERT INTO tarvo_lock (cArchive, iKind, cScope, cUserId, cUserName, "
                       "cHost, iPid, cSession, dLease) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
                       "ON CONFLICT (cArchive, iKind, cScope) DO UPDATE SET "
                       "cUserId = excluded.cUserId, cUserName = excluded.cUserName, "
                       "cHost = excluded.cHost, iPid = excluded.iPid, "
                       "cSession = excluded.cSession, dLease = excluded.dLease"),
        {key.archive, int(key.kind), key.scope, m_me.userId, m_me.userName, m_me.host, m_me.pid,
         m_me.session, leaseFromNow()});
}

bool FunctionLock::writesRows() {
    if (!m_writesRows)
        m_writesRows = maySaveLockRows(m_db->sql());
    return *m_writesRows;
}

bool FunctionLock::acquireRow(const Key& key, LockHolder& heldBy) {
    Transaction tx(m_db->sql(), this);
    LockHolder other;
    QString lease;
    if (readRow(key, other, &lease)) {
        const QDateTime until = QDateTime::fromString(lease, Qt::ISODate);
        const bool leaseRunning = until.isValid() && until > QDateTime::currentDateTimeUtc();
        const bool processGone =
            other.host == m_me.host && other.pid > 0 && !processAlive(other.pid);
        if (leaseRunning && !processGone) {
            heldBy = other;
            return false;
        }
    }
    writeRow(key);
    tx.commit();
    return true;
}

bool FunctionLock::acquireAdvisory(const Key& key, LockHolder& heldBy) {
    SqlBackend& sql = m_db->sql();
    if (const std::optional<LockHolder> neighbour = heldByNeighbour(key)) {
        heldBy = *neighbour;
        return false;
    }
    const qlonglong advisory = advisoryKey(key.archive, key.kind, key.scope);
    std::vector<StoredResult> answer;
    int generation = 0;
    for (int tries = 0;; ++tries) {
        // The lock, the row naming its holder and the right to write that row, in one round
        // trip.
        answer = sql.queryTogether(
            {{QStringLiteral("SELECT * FROM tarvo_take_lock(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
              {advisory, key.archive, int(key.kind), key.scope, m_me.userId, m_me.userName,
               m_me.host, m_me.pid, m_me.session, leaseFromNow()}}});
        // Read at once: a statement may connect anew before it runs, never after.
        generation = sql.connectionGeneration();
        const ColumnStore& row = answer.front().cells;
        if (row.rowCount() != 1 || row.columnCount() < 7)
            throw DbError(
                QCoreApplication::translate("tarvo::suite::DbError", "数据库服务器没有应答"));
        if (row.integer(0, 0) != 0 || tries >= 20 || !justGivenBack(advisory))
            break;
        QThread::msleep(25);
    }
    const ColumnStore& row = answer.front().cells;
    m_writesRows = row.integer(0, 1) != 0;
    if (row.integer(0, 0) == 0) {
        heldBy = {};
        if (row.kind(0, 2) != ColumnStore::Kind::Null) {
            heldBy = {row.text(0, 2), row.text(0, 3), row.text(0, 4),
                      row.kind(0, 5) == ColumnStore::Kind::Null ? 0 : row.integer(0, 5),
                      row.text(0, 6)};
            return false;
        }
        // The winner's row is not in yet: give it a moment to appear.
        for (int tries = 0; tries < 20 && !readRow(key, heldBy); ++tries)
            QThread::msleep(25);
        return false;
    }
    m_takenOn.insert(key, generation);
    noteServerLock(key, true);
    return true;
}

void FunctionLock::releaseHeld(const Key& key) {
    m_held.remove(key);
    m_takenOn.remove(key);
    if (connectionBusy()) {
        // The row's removal would stand or fall with the other work: it waits for the next beat
        // or request, and the lock is not renewed meanwhile.
        m_deferred.insert(key);
        return;
    }
    giveBack(key);
}

void FunctionLock::giveBack(const Key& key) {
    // Failures are let go: a lost connection has dropped the server's lock already, and a row
    // left behind is taken over once its lease runs out.
    try {
        SqlBackend& sql = m_db->sql();
        const QVariantList row{key.archive, int(key.kind), key.scope, m_me.session};
        const QString remove = QStringLiteral("DELETE FROM tarvo_lock WHERE cArchive = ? AND "
                                              "iKind = ? AND cScope = ? AND cSession = ?");
        const qlonglong advisory = advisoryKey(key.archive, key.kind, key.scope);
        if (m_onServer) {
            noteServerLock(key, false);
            noteGivenBack(advisory);
        }
        if (!m_onServer)
            sql.exec(remove, row);
        else if (writesRows())
            // The row and the server's lock go in one statement, which nothing waits for: a
            // session that ends need not hear that the server let go.
            sql.execUnanswered(QStringLiteral("WITH gone AS (") + remove +
                                   QStringLiteral(") SELECT pg_advisory_unlock(?)"),
                               row + QVariantList{advisory});
        else
            sql.execUnanswered(QStringLiteral("SELECT pg_advisory_unlock(?)"), {advisory});
    } catch (const DbError&) {
    }
}

void FunctionLock::releaseDeferred() {
    const QSet<Key> deferred = std::exchange(m_deferred, {});
    for (const Key& key : deferred)
        if (!m_held.contains(key))
            giveBack(key);
}

} // namespace tarvo::suite
