#pragma once

#include "SqlBackend.h"

#include <QHash>
#include <QPair>
#include <QSet>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;
typedef struct pg_cancel PGcancel;

namespace tarvo::suite {

struct PgResultDeleter {
    void operator()(PGresult* r) const;
};
using PgResult = std::unique_ptr<PGresult, PgResultDeleter>;

/// A table's columns by number: (table name, column name).
using KnownColumns = QHash<int, QPair<QString, QString>>;

/// An accounting database on a PostgreSQL server, reached by a libpq URL
/// ("postgresql://user@host:port/dbname"). Values travel as text; result columns name the table
/// column they were read from, so record sets get their types from the data dictionary as on
/// the embedded engine.
///
/// A server that restarts or fails over drops the connection: the next statement outside a
/// transaction connects again (to whichever host of a several-host URL now takes writes, with
/// target_session_attrs=read-write) and starts a fresh session. A statement inside a
/// transaction fails instead, since the server has discarded the transaction. A COMMIT whose
/// answer is lost is settled on the new connection: it returns when the transaction was stored
/// and throws when it was not, by the token each transaction writes into tarvo_commit.
///
/// Statements that do not wait for each other's answers travel together in libpq's pipeline
/// mode: a transaction's BEGIN goes with its first statement, a statement prepared on its second
/// run with that run, the statements left for later (execLater) or asked ahead
/// (askAhead) and a statement time limit with the next one, and
/// the commit token with the COMMIT. Every exchange is one pipeline of segments, each closed by
/// a sync: what must stand or fall alone gets a segment of its own.
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
    StoredResult queryStored(const QString& sql, const QVariantList& params = {},
                             const RowWatch& watch = {}) override;
    /// In one round trip, by libpq's pipeline: a sync after each statement.
    std::vector<StoredResult> queryTogether(const QVector<SqlStatement>& statements) override;
    void execUnanswered(const QString& sql, const QVariantList& params = {}) override;
    void askAhead(const QVector<Statement>& questions) override;
    /// LISTEN to the channel the reference tables' triggers notify.
    QString hearChangesStatement() const override;
    /// By the tables whose columns results have named on this database.
    bool hasShownTable(const QString& table) override;
    /// The notifications that came in, read from the socket without asking the server.
    QStringList announcedChanges() override;
    /// Moves when a schema upgrade or a change of the dictionary's table is announced, and when
    /// the connection is made anew; read from the socket without asking the server.
    int schemaGeneration() override;
    /// Notifies the channel the sessions listen to, naming tarvo_meta.
    void announceSchemaChange() override;
    /// Counts the announcements naming the table, with the connections made and the times
    /// the connection could not be heard.
    qint64 changeMark(const QString& table) override;
    /// Notifies the channel the sessions listen to, naming the table, with the commit.
    void announceChange(const QString& table) override;
    void interrupt() override;
    /// Sent with the next statement rather than on its own.
    void limitStatementTime(int ms) override;
    void stopWhen(std::function<bool()> stop) override { m_stop = std::move(stop); }
    long long exec(const QString& sql, const QVariantList& params = {}) override;
    /// All in one round trip; outside a transaction they succeed or fail together.
    BatchResult queryBatch(const QVector<Statement>& statements) override;
    void execLater(const QString& sql, const QVariantList& params = {}) override;
    void execScript(const QString& sql) override;
    void begin() override;
    void commit() override;
    void rollback() override;
    bool tableExists(const QString& table) override;
    void lockSchema() override;
    void lockValue(const QString& kind, const QString& value) override;
    Statement valueLock(const QString& kind, const QString& value) const override;
    void lockValues(const QString& kind, const QStringList& values) override;
    int connectionGeneration() const override { return m_generation; }
    bool revive() override;
    QString loginRole() const override;
    /// Reads the columns of every table and view of the schema in one question, for every
    /// connection of the process to the same database. Tables made later (a database being
    /// created) are asked for when a result first names them.
    void learnCatalog() override;

    /// A name quoted for use as an identifier (statements such as CREATE DATABASE take none
    /// as a parameter).
    QString quotedName(const QString& name) const;

private:
    PGconn* m_conn = nullptr;
    int m_generation = 0;
    int m_schemaGeneration = 0;
    /// The tables announced and not yet handed out by announcedChanges().
    QStringList m_heard;
    /// The announcements heard of each table, for changeMark().
    QHash<QString, qint64> m_heardCounts;
    /// The times changeMark() found the connection gone: what was announced meanwhile is lost.
    qint64 m_unheard = 0;
    /// The connection is to listen to the announcements, from the next exchange on: every
    /// connection hears a schema upgrade, whether it keeps reference tables or not.
    bool m_listenPending = true;
    /// Statements prepared before the tables changed may answer with the columns they had:
    /// they are all dropped before the next exchange.
    bool m_deallocatePending = false;
    /// Takes in the notifications that came; false when the server has hung up.
    bool hearNotifications();
    /// Whether this connection may write commit tokens: asked with the BEGIN it sends until
    /// the answer is yes.
    std::optional<bool> m_commitTokens;
    /// Tokens nobody will ask about again have been removed, once a connection.
    bool m_tokensSwept = false;
    /// A BEGIN not yet sent: it goes with the transaction's first statement.
    bool m_beginPending = false;
    /// Statements of the open transaction whose answers nobody waits for, sent with the next.
    QVector<Statement> m_later;
    /// Statements sent whose answers nobody waits for, each closed by a sync, still unread; the
    /// connection stays in pipeline mode meanwhile.
    int m_unread = 0;
    /// Reads (and drops) the answers of the statements left unanswered, before anything else
    /// is sent; they are in by then as a rule.
    void readUnanswered();
    /// A statement time limit to set (SET or RESET) before the next statement.
    QByteArray m_timeLimit;
    /// A question asked ahead: not yet sent, or sent and answered (answer null when it failed).
    struct Ahead {
        Statement question;
        bool sent = false;
        PgResult answer;
        std::chrono::steady_clock::time_point when;
        /// The schema generation it was sent in: an answer from before a change of tables is
        /// not taken.
        int generation = 0;
    };
    std::vector<Ahead> m_ahead;
    /// The answer asked ahead for the statement, taken from the kept ones; null when none is.
    PgResult takeAhead(const QString& sql, const QVariantList& params);
    /// Drops the questions asked ahead and their answers: the connection is about to write.
    void forgetAhead() { m_ahead.clear(); }
    /// Server-side prepared statements by text and parameter types.
    QHash<QByteArray, QByteArray> m_prepared;
    int m_preparedCount = 0;
    /// Texts with parameter types run once unprepared: prepared when they come again.
    QSet<QByteArray> m_runOnce;

    /// The prepared statement's name; empty the first time a text comes, to be run unprepared.
    /// fresh tells that it is to be prepared now, in the same round trip as its run.
    QByteArray prepared(const QByteArray& text, const QVector<unsigned>& types, bool& fresh);
    /// Hears each result of a statement sent, by the statement's place in what was sent.
    using ResultSink = std::function<void(int statement, PgResult result)>;
    /// Where sending stopped: the place of the statement that failed (-1 for one of the
    /// backend's own) and the server's text; no text when all ran.
    struct Failure {
        int statement = -1;
        QString error;
    };
    /// How the statements of an exchange stand to each other (see SqlBackend::queryTogether).
    enum class Sent { AsOne, EachAlone };
    /// Sends the statements ("?" marks their parameters) in one round trip, behind the time
    /// limit and the questions asked ahead (each alone, outside a transaction), a BEGIN not
    /// yet sent and the statements left for later, and hands their results to sink. The last one's
    /// rows come one at a time when stream holds. Throws DbError when one of the backend's own
    /// statements fails or the connection cannot send; otherwise the failure returned is the first
    /// of the statements given.
    Failure exchange(const QVector<Statement>& statements, const ResultSink& sink, bool stream,
                     Sent sent = Sent::AsOne);
    /// Sends a BEGIN and the statements left for later that wait; throws when one fails.
    void flush();
    /// Runs one statement to its end; throws with the server's text when it fails.
    PgResult execute(const QString& sql, const QVariantList& params);
    StoredResult queryStoredOnce(const QString& sql, const QVariantList& params,
                                 const RowWatch& watch);
    /// The server's cancel handle of the rows being streamed, for interrupt() from another
    /// thread; null while none stream.
    PGcancel* m_streaming = nullptr;
    std::mutex m_streamingMutex;
    std::function<bool()> m_stop;
    void cancelStreaming();
    /// Waits until the streaming statement's next result is in, watching the stop meanwhile.
    void awaitResult();

    /// The server and database the connection reached (host:port/dbname), under which the
    /// process keeps what it learnt of the database's tables: their oids are the database's
    /// own, and another database on the same server may use them for other tables.
    QByteArray m_database;
    /// The URL connected to, as given.
    QString m_url;
    /// Asks the server for the columns of tables, each table's oid with its columns (none for
    /// a table the server no longer has).
    QHash<unsigned, KnownColumns> readOrigins(const QList<unsigned>& tables);
    /// The settings every session of ours starts with.
    void setUpSession();
    /// Turns backslash escapes off for this session and makes sure the server agrees; throws
    /// DbError when it does not.
    void requireStandardStrings();
    /// Before a statement: outside a transaction a dropped connection is made again; inside
    /// one it throws, as the transaction is gone with it.
    void ensureConnected();
    /// Whether the server has closed the connection (it says goodbye while we are idle).
    bool serverHungUp();
    /// Connects again with the URL's settings, trying for up to patience; forgets what the old
    /// session held (prepared statements, the catalog read so far). Throws DbError on failure.
    /// Sleeps for pause; false, at once, when the stop holds or comes meanwhile.
    bool pauseUnlessStopped(std::chrono::milliseconds pause);
    void reconnect(std::chrono::milliseconds patience);
    /// Runs a statement that may be repeated safely once on a new connection when the
    /// connection was lost under it outside a transaction, unless handed says rows of it have
    /// gone to the caller already.
    template <typename Run>
    auto repeatableOnce(const QString& sql, Run run, const bool* handed = nullptr)
        -> decltype(run());
    /// After the connection was lost during COMMIT: returns when the transaction holding the
    /// token was stored, throws DbError saying it was not (or that it cannot be told).
    void settleLostCommit(const QString& token);
    /// Names and kinds of a result's columns; origins gets each column's table and column
    /// number, for nameOrigins once the connection is free again.
    QVector<ResultColumn> describe(const PGresult* r, const QString& sql,
                                   QVector<QPair<unsigned, int>>& origins) const;
    void nameOrigins(QVector<ResultColumn>& columns, const QVector<QPair<unsigned, int>>& origins);
    /// A statement's result as the suite reads it; no rows and no columns for none.
    QueryResult resultOf(const PgResult& r, const QString& sql);
};

} // namespace tarvo::suite
