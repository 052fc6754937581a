#pragma once

#include "ColumnStore.h"

#include <QCoreApplication>
#include <QString>
#include <QVariant>
#include <QStringList>
#include <QVariantList>
#include <QVector>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace tarvo::suite {

/// A database error with the text the server (or the embedded engine) gave.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

/// One column of a query result, with the table column it was read from when the engine
/// knows it (empty for expressions).
struct ResultColumn {
    QString name;
    QString originTable;
    QString originColumn;
    /// An exact decimal the engine delivers as text (a computed sum, say): read as a number.
    bool decimal = false;
};

struct QueryResult {
    QVector<ResultColumn> columns;
    QVector<QVector<QVariant>> rows;
};

/// A query result read straight into a column store, one store column per result column.
struct StoredResult {
    QVector<ResultColumn> columns;
    ColumnStore cells;
};

/// One statement with its positional parameters ("?").
struct Statement {
    QString sql;
    QVariantList params;
};

/// The answers of statements sent together: the results of those that ran, in order. When one
/// failed, failed is its place and error the engine's text; none after it ran, and a
/// transaction they ran in is left to be rolled back.
struct BatchResult {
    QVector<QueryResult> results;
    int failed = -1;
    QString error;

    bool ok() const { return failed < 0; }
};

/// Told of each row a long read has stored, on the reading thread; false stops the read, which
/// then returns the rows stored so far as its result. It may take the rows stored so far out of
/// the result (leaving an empty store of as many columns): a read handed on in chunks.
using RowWatch = std::function<bool(StoredResult&)>;

/// A statement with its values, for queryTogether().
struct SqlStatement {
    QString sql;
    QVariantList params;
    /// Set when the statement reads columns of this one table under their own names
    /// ("SELECT * FROM t …"): they are known as its columns without asking the catalog.
    QString table = {};
};

/// What the suite needs of a database engine: queries and statements with positional
/// parameters ("?"), and explicit transactions. Values come back as text, integers, doubles or
/// null; the data dictionary gives them their types.
class SqlBackend {
public:
    virtual ~SqlBackend() = default;

    /// "sqlite" or "postgresql".
    virtual QString kind() const = 0;
    virtual QueryResult query(const QString& sql, const QVariantList& params = {}) = 0;
    /// The same for results of any length: rows go from the engine into the store one by one,
    /// never held whole in another form on the way. watch, when given, hears of every row.
    virtual StoredResult queryStored(const QString& sql, const QVariantList& params = {},
                                     const RowWatch& watch = {}) = 0;
    /// Statements sent together. A server gets them in one round trip (libpq's pipeline) and
    /// answers them in order; a statement with values is prepared on its second run, along with
    /// that run, however it is sent. What a failure does to the others depends on how they go:
    /// - queryTogether: each as if run alone (outside a transaction each ends before the next
    ///   begins); one that fails leaves the others to run.
    /// - queryBatch: as one unit; none after the failing one runs, outside a transaction none
    ///   before it stays, inside one the transaction is left to be rolled back.
    /// A file runs them one at a time with the same outcome.
    ///
    /// queryTogether returns the results in order and throws DbError with the first failure's
    /// text once all have run.
    virtual std::vector<StoredResult> queryTogether(const QVector<SqlStatement>& statements) {
        std::vector<StoredResult> results;
        QString failed;
        for (const SqlStatement& s : statements) {
            try {
                results.push_back(queryStored(s.sql, s.params));
            } catch (const DbError& e) {
                if (failed.isEmpty())
                    failed = e.text();
                results.emplace_back();
            }
        }
        if (!failed.isEmpty())
            throw DbError(failed);
        return results;
    }
    /// The statement that makes this connection hear of other connections' changes to the
    /// reference tables, to run before the tables are read; empty where nothing need be asked.
    virtual QString hearChangesStatement() const { return {}; }
    /// Whether a result of this process has shown the table to exist, so that its columns
    /// may be taken from the data dictionary without asking; a file is asked at no cost.
    virtual bool hasShownTable(const QString& table) {
        (void)table;
        return false;
    }
    /// What other connections have changed since the last call, as far as this one heard and
    /// without a round trip: table names in lower case, or "*" when anything may have changed.
    virtual QStringList announcedChanges() { return {}; }
    /// Counts the times the tables' columns or the data dictionary may have changed for this
    /// connection since it was made: a schema upgrade or a change of tables by any connection
    /// (heard without a round trip on a server, seen in the file's header on a file), a change
    /// of the dictionary's table on a server, or the connection made anew.
    virtual int schemaGeneration() { return 0; }
    /// In the transaction of a schema upgrade: tells the other connections, once it commits,
    /// that the schema changed.
    virtual void announceSchemaChange() {}
    /// A mark that moves whenever another connection may have changed the table since it was
    /// last taken, told without a round trip: a server's announcement naming the table, or the
    /// connection made anew (or gone, when nothing can be heard); a file's data version, which
    /// any other connection's commit moves. This connection's own writes do not move it, and
    /// marks of two connections do not compare.
    virtual qint64 changeMark(const QString& table) {
        (void)table;
        return 0;
    }
    /// In the transaction that changes a table no trigger announces: tells the other
    /// connections, once it commits, that it changed. A file's data version tells them anyway.
    virtual void announceChange(const QString& table) { (void)table; }
    /// From any thread: makes the statement running on this connection fail soon (one waiting
    /// for its first row, say, while the engine sorts); no effect when none runs.
    virtual void interrupt() {}
    /// On the connection's own thread, between statements: the statements run from now on fail
    /// soon once stop holds (asked on this thread while they run), also those started after it
    /// came true, which interrupt() misses. An empty stop lifts it.
    virtual void stopWhen(std::function<bool()> stop) { (void)stop; }
    /// Makes the statements run from now on fail once they take longer than ms; 0 lifts the
    /// limit again. A server counts the time itself, so no late stop can reach the next one.
    virtual void limitStatementTime(int ms) { (void)ms; }
    /// Runs a statement; returns the number of rows it changed.
    virtual long long exec(const QString& sql, const QVariantList& params = {}) = 0;
    /// Runs the statements in order and returns their answers, in one round trip to a server;
    /// stops at the first that fails, which the result names.
    virtual BatchResult queryBatch(const QVector<Statement>& statements) {
        BatchResult answers;
        for (const Statement& s : statements) {
            try {
                answers.results.push_back(query(s.sql, s.params));
            } catch (const DbError& e) {
                answers.failed = int(answers.results.size());
                answers.error = e.text();
                break;
            }
        }
        return answers;
    }
    /// Inside a transaction: a statement whose answer nobody waits for. A server gets it with
    /// the next statement sent, the commit at the latest, which then fails with its error; a
    /// rollback drops it. Outside a transaction, and on a file, it runs at once.
    virtual void execLater(const QString& sql, const QVariantList& params = {}) {
        exec(sql, params);
    }
    /// Outside a transaction: a statement whose answer nobody waits for and whose failure is
    /// let go (giving back a lock). A server gets it at once, on its own; its answer is read
    /// and dropped before the next statement goes, or with the connection. A file runs it.
    virtual void execUnanswered(const QString& sql, const QVariantList& params = {}) {
        try {
            exec(sql, params);
        } catch (const DbError&) {
        }
    }
    /// Questions an object will ask soon (a session's start), read-only: a server gets them
    /// with the next statement sent outside a transaction, each on its own, and keeps each
    /// answer for the first query of the same text and values, which takes it instead of
    /// asking. An answer is given once; one that failed, one not taken within a few seconds
    /// and all of them once the connection writes are dropped, so that the asker asks the
    /// server itself and meets what it says. A file asks when asked: nothing to save.
    virtual void askAhead(const QVector<Statement>& questions) { (void)questions; }
    /// Runs a script of several statements without parameters.
    virtual void execScript(const QString& sql) = 0;
    /// Starts a write transaction (taking the write lock at once where the engine allows).
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    virtual bool tableExists(const QString& table) = 0;
    /// Inside a transaction: waits until no other connection is creating the schema, and keeps
    /// others waiting until this transaction ends.
    virtual void lockSchema() = 0;
    /// Inside a transaction: waits while another transaction holds the same value of the same
    /// kind, and keeps others waiting for it until this one ends, so that "no row holds this
    /// value yet" stays true until the row that takes it is written.
    virtual void lockValue(const QString& kind, const QString& value) = 0;
    /// What lockValue runs, to be sent among other statements; empty where a transaction keeps
    /// every other writer out anyway.
    virtual Statement valueLock(const QString& kind, const QString& value) const {
        (void)kind;
        (void)value;
        return {};
    }
    /// lockValue for many values at once.
    virtual void lockValues(const QString& kind, const QStringList& values) {
        for (const QString& v : values)
            lockValue(kind, v);
    }
    /// Counts the times the connection was made anew after the server dropped it. What lived in
    /// the old session (a server's advisory locks) is gone when this has changed.
    virtual int connectionGeneration() const { return 0; }
    /// Outside a transaction: makes a connection the server dropped anew with one attempt, for
    /// background work that must not keep the clerk waiting; false while it stays down.
    virtual bool revive() { return true; }
    /// The role a server authenticated this connection as; empty on a file.
    virtual QString loginRole() const { return {}; }
    /// Learns at once the columns of every table, where the engine would otherwise be asked
    /// for a table's columns when a result first names it; once a process and database.
    virtual void learnCatalog() {}

    /// Transactions open on this connection, the outermost included; kept by Transaction.
    int transactionDepth = 0;
    /// Whose work the open transaction holds (see Transaction); null when the suite's shared
    /// work (saves, layouts, options) holds it, or none is open.
    const void* transactionOwner = nullptr;
};

using SqlBackendPtr = std::shared_ptr<SqlBackend>;

/// Whether an announced change of the table (lower case) is one of the schema: the schema
/// version an upgrade writes, or the data dictionary.
inline bool isSchemaTable(const QString& table) {
    return table == QLatin1String("tarvo_meta") || table == QLatin1String("tarvo_datadict");
}

/// Commits when told to, rolls back otherwise: a scope that leaves by an exception or an early
/// return leaves the database as it was. Opened inside another transaction of the same owner it
/// is a savepoint, so that one record of a batch can be undone without undoing the batch.
///
/// Several objects of a session share one connection. An object whose writes must stand or
/// fall on their own (a lock's row) names itself as the owner: it is refused a transaction
/// while another owner's is open, and others are refused one while its own is open, rather
/// than one's work being committed or rolled back with the other's.
class Transaction {
public:
    explicit Transaction(SqlBackend& db, const void* owner = nullptr)
        : m_db(db), m_savepoint(db.transactionDepth > 0
                                    ? QStringLiteral("tarvo_sp%1").arg(db.transactionDepth)
                                    : QString()) {
        if (m_savepoint.isEmpty()) {
            m_db.begin();
            m_db.transactionOwner = owner;
        } else {
            if (owner != m_db.transactionOwner)
                throw DbError(busyText());
            m_db.execScript(QStringLiteral("SAVEPOINT ") + m_savepoint);
        }
        ++m_db.transactionDepth;
    }
    /// Why an owner's transaction or write cannot start now.
    static QString busyText() {
        return QCoreApplication::translate("tarvo::suite::DbError",
                                           "数据库连接上另一项工作的事务尚未结束，请稍后再试");
    }
    ~Transaction() {
        if (--m_db.transactionDepth == 0)
            m_db.transactionOwner = nullptr;
        if (m_done)
            return;
        try {
            if (m_savepoint.isEmpty())
                m_db.rollback();
            else
                m_db.execScript(QStringLiteral("ROLLBACK TO SAVEPOINT %1; RELEASE SAVEPOINT %1")
                                    .arg(m_savepoint));
        } catch (const DbError&) {
            // The connection may already be gone; the engine discards the transaction then.
        }
    }
    void commit() {
        if (m_savepoint.isEmpty())
            m_db.commit();
        else
            m_db.execScript(QStringLiteral("RELEASE SAVEPOINT ") + m_savepoint);
        m_done = true;
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    SqlBackend& m_db;
    QString m_savepoint;
    bool m_done = false;
};

} // namespace tarvo::suite
