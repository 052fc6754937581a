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

} // namespace

LockHolder LockHolder::thisProcess(const QString& userId, const QString& userName) {
    return {userId, userName, QSysInfo::machineHostName(), QCoreApplication::applicationPid(), {}};
}

FunctionLock::FunctionLock(AccountDatabasePtr ownConnection, const LockHolder& me)
    : m_db(std::move(ownConnection)), m_me(me), m_onServer(EngineDialect::of(m_db->sql()).sessionLocks) {
    m_me.session = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // On a server the same beat takes the locks back soon after a restart, before another
    // clerk's program is likely to ask for them.
    QObject::connect(&m_renewal, &QTimer::timeout, [this] { renewLeases(); });
    m_renewal.start(std::chrono::duration_cast<std::chrono::milliseconds>(kLease) / 3);
}

FunctionLock::~FunctionLock() {
    const QSet<Key> held = m_held;
    for (const Key& key : held)
        releaseHeld(key);
}

FunctionLock::Key FunctionLock::keyOf(const QString& archive, LockKind kind) const {
    return {archive.toLower(), kind, kind == LockKind::Function ? m_me.userId : QString()};
}

bool FunctionLock::acquire(const QString& archive, LockKind kind, LockHolder& heldBy) {
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
        const bool got = tryAdvisoryLock(sql, key.archive, key.kind, key.scope);
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

void FunctionLock::dropLost(const Key& key) {
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
    SqlBackend& sql = m_db->sql();
    sql.exec(QStringLiteral("DELETE FROM tarvo_lock WHERE cArchive = ? AND iKind = ? AND "
                            "cScope = ?"),
             {key.archive, int(key.kind), key.scope});
    sql.exec(QStringLiteral("INSERT INTO tarvo_lock (cArchive, iKind, cScope, cUserId, cUserName, "
                            "cHost, iPid, cSession, dLease) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             {key.archive, int(key.kind), key.scope, m_me.userId, m_me.userName, m_me.host,
              m_me.pid, m_me.session, leaseFromNow()});
}

bool FunctionLock::writesRows() {
    if (!m_writesRows)
        m_writesRows = maySaveLockRows(m_db->sql());
    return *m_writesRows;
}

bool FunctionLock::acquireRow(const Key& key, LockHolder& heldBy) {
    Transaction tx(m_db->sql());
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
    const bool got = tryAdvisoryLock(sql, key.archive, key.kind, key.scope);
    // Read at once: a statement may connect anew before it runs, never after.
    const int generation = sql.connectionGeneration();
    if (!got) {
        // The winner writes its row just after taking the lock: give it a moment to appear.
        heldBy = {};
        for (int tries = 0; tries < 20 && !readRow(key, heldBy); ++tries)
            QThread::msleep(25);
        return false;
    }
    try {
        if (writesRows()) {
            Transaction tx(sql);
            writeRow(key);
            tx.commit();
        }
    } catch (const DbError&) {
        sql.query(QStringLiteral("SELECT pg_advisory_unlock(?)"),
                  {advisoryKey(key.archive, key.kind, key.scope)});
        throw;
    }
    m_takenOn.insert(key, generation);
    return true;
}

void FunctionLock::releaseHeld(const Key& key) {
    m_held.remove(key);
    m_takenOn.remove(key);
    // Failures are let go: a lost connection has dropped the server's lock already, and a row
    // left behind is taken over once its lease runs out.
    try {
        SqlBackend& sql = m_db->sql();
        if (writesRows())
            sql.exec(QStringLiteral("DELETE FROM tarvo_lock WHERE cArchive = ? AND iKind = ? AND "
                                    "cScope = ? AND cSession = ?"),
                     {key.archive, int(key.kind), key.scope, m_me.session});
        if (m_onServer)
            sql.query(QStringLiteral("SELECT pg_advisory_unlock(?)"),
                      {advisoryKey(key.archive, key.kind, key.scope)});
    } catch (const DbError&) {
    }
}

} // namespace tarvo::suite
