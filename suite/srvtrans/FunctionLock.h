#pragma once

#include "AccountDatabase.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

namespace tarvo::suite {

/// Who holds a lock, or asks for one.
struct LockHolder {
    QString userId;
    QString userName;
    QString host;
    qint64 pid = 0;
    QString session; ///< one per FunctionLock object

    /// The running process on this machine, for the given user.
    static LockHolder thisProcess(const QString& userId, const QString& userName);
};

enum class LockKind {
    Function = 1, ///< a user has the archive's function open; one session per user at a time
    Edit = 2,     ///< someone adds, modifies or deletes; one holder per archive at a time
};

/// The function and edit locks of one session, seen by every process and machine that works on
/// the same accounting database. On a PostgreSQL server a lock is a session advisory lock of
/// the connection this object keeps, so it goes away with the connection whatever becomes of
/// the holder; the row in tarvo_lock only tells others who holds it. When the server restarts or
/// fails over, the connection is made anew without the locks: they are taken again at once, and
/// a lock that another session took in the meantime (its row no longer names this session) is
/// dropped and reported like a takeover. On SQLite the row is the lock:
/// it counts as abandoned when its process on this machine is gone or its lease has run out,
/// and the holder renews its leases while its event loop runs. A holder whose lease ran out may
/// find its row taken over by another session: it notices at the next renewal or request,
/// drops the lock and reports it once through takenOver().
class FunctionLock {
public:
    static constexpr std::chrono::seconds kLease{60};

    /// On a server the locks belong to the connection, which may be the session's shared one:
    /// they last as long as this object keeps it. Rows are written outside any other object's
    /// transaction on it (see connectionBusy).
    FunctionLock(AccountDatabasePtr connection, const LockHolder& me);
    /// Gives back every lock still held: the session is over.
    ~FunctionLock();
    FunctionLock(const FunctionLock&) = delete;
    FunctionLock& operator=(const FunctionLock&) = delete;

    /// True when granted (also when this session holds it already and its row is still its
    /// own); on refusal heldBy names the holder. Throws DbError when the database cannot be
    /// asked, or while another object's transaction is open on the connection.
    bool acquire(const QString& archive, LockKind kind, LockHolder& heldBy);
    /// Gives the lock back if this session holds it; never touches another session's lock.
    /// While another object's transaction is open on the connection, the lock is no longer
    /// counted as held and is given back at the next renewal or request.
    void release(const QString& archive, LockKind kind);
    /// The answer of the public services' IsLockFun: modes 1 and 2 ask for the function or the
    /// edit lock, -1 and -2 give them back. True means refused, also when the database fails.
    bool refuses(const QString& archive, int mode);

    const LockHolder& holder() const { return m_me; }
    /// Pushes the leases of the locks held forward (SQLite; a no-op on a server); a lock whose
    /// row another session has taken over is dropped.
    void renewLeases();
    /// True, once, when this session lost the lock to a takeover since it last asked.
    bool takenOver(const QString& archive, LockKind kind);
    /// Whether the lock takenOver reports was lost while the server's connection was down.
    bool lostWithConnection(const QString& archive, LockKind kind) const;

private:
    struct Key {
        QString archive;
        LockKind kind;
        QString scope;
        bool operator==(const Key&) const = default;
    };
    friend size_t qHash(const Key& k, size_t seed) {
        return qHashMulti(seed, k.archive, int(k.kind), k.scope);
    }

    AccountDatabasePtr m_db;
    LockHolder m_me;
    bool m_onServer;
    /// Whether this session may write lock rows; asked of the server once, when first needed.
    std::optional<bool> m_writesRows;
    QSet<Key> m_held;
    QSet<Key> m_lost;
    QSet<Key> m_lostWithConnection;
    /// Released while the connection was in another's transaction: still to be given back.
    QSet<Key> m_deferred;
    QTimer m_renewal;
    /// On a server: the connection (its generation) each held lock was taken on.
    QHash<Key, int> m_takenOn;

    Key keyOf(const QString& archive, LockKind kind) const;
    bool acquireRow(const Key& key, LockHolder& heldBy);
    bool acquireAdvisory(const Key& key, LockHolder& heldBy);
    void writeRow(const Key& key);
    /// A role that may only read holds its locks on the server alone, without a row naming it.
    bool writesRows();
    bool readRow(const Key& key, LockHolder& holder, QString* lease = nullptr);
    void releaseHeld(const Key& key);
    /// Removes the key's row and gives back the server's lock.
    void giveBack(const Key& key);
    void releaseDeferred();
    /// Whether another object's transaction is open on the connection: a statement run now
    /// would be part of it.
    bool connectionBusy() const;
    /// On a server: the holder of the key's lock when another object holds it through this
    /// object's connection; none otherwise.
    std::optional<LockHolder> heldByNeighbour(const Key& key) const;
    void noteServerLock(const Key& key, bool held);
    /// On SQLite: whether the key's row still names this session; drops the lock when not.
    bool stillHeld(const Key& key, LockHolder& heldBy);
    void dropLost(const Key& key);
    /// On a server: after the connection was made anew, takes the held locks again or drops
    /// them as lost.
    void retakeAfterReconnect();
};

} // namespace tarvo::suite
