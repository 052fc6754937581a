#include "PostgresBackend.h"

#include "DatabaseName.h"
#include "ReplicationCheck.h"
#include "SqlDialect.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QThread>
#include <QUuid>

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace tarvo::suite {

void PgResultDeleter::operator()(PGresult* r) const {
    PQclear(r);
}

namespace {

// Type oids of the built-in types (pg_type.h is a server header).
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
              kFloat8 = 701, kNumeric = 1700;

// Keeps creations of the schema by several processes apart; any number no other advisory
// lock of the suite uses in its two-key form.
constexpr int kSchemaLockClass = 0x54415256;
constexpr int kValueLockClass = 0x54415257;

// Where the reference tables' triggers announce their changes.
constexpr char kReferenceChannel[] = "tarvo_reference";

// Prepared statements a connection keeps on the server.
constexpr int kPreparedKept = 200;

using namespace std::chrono_literals;
// A restarting server takes a few seconds to take connections again; a failover longer. When a
// COMMIT's answer was lost, whether the work was stored is worth a longer wait.
constexpr auto kReconnectPatience = 5s;
constexpr auto kSettlePatience = 30s;
// How long tokens of commits are kept: far longer than any connection takes to come back.
constexpr auto kTokenDays = 2;
// How long an answer asked ahead is kept for its asker: a start through a slow line takes a
// second or two.
constexpr auto kAheadKept = 10s;

using Result = PgResult;

// Places of the backend's own statements among those sent together.
constexpr int kOwnStatement = -1, kTokenRights = -2, kListen = -3;
// Questions asked ahead: kAhead - their index among those kept.
constexpr int kAhead = -100;

/// Whether the session may write commit tokens: tarvo_commit is there and the role may add to it
/// and delete from it. Read from the catalog's tables, so that it cannot fail: it goes out among
/// the statements of a transaction.
constexpr char kTokenRightsQuery[] =
    "SELECT COALESCE((SELECT has_table_privilege(c.oid, 'INSERT') AND "
    "has_table_privilege(c.oid, 'DELETE') FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace "
    "n ON n.oid = c.relnamespace WHERE n.nspname = current_schema() AND c.relname = "
    "'tarvo_commit' AND c.relkind = 'r'), false)";

QString errorOf(const PGresult* r, PGconn* conn) {
    const char* primary = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    // A right the server withholds from the login role: the server words it in its own
    // language, and the clerk needs to know what to ask the administrator for.
    if (const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
        state && qstrcmp(state, "42501") == 0)
        return QCoreApplication::translate("tarvo::suite::DbError",
                                           "数据库服务器拒绝了这项操作：登录角色“%1”没有所需的权限，"
                                           "请向数据库管理员申请")
            .arg(QString::fromUtf8(PQuser(conn)));
    const QString text = QString::fromUtf8(primary ? primary : PQerrorMessage(conn)).trimmed();
    if (PQstatus(conn) == CONNECTION_BAD)
        return QCoreApplication::translate("tarvo::suite::DbError",
                                           "与数据库服务器的连接已中断（%1）")
            .arg(text.section(u'\n', 0, 0).trimmed());
    return text.isEmpty()
               ? QCoreApplication::translate("tarvo::suite::DbError", "数据库服务器没有应答")
               : text;
}

/// A statement that changes nothing when run a second time on a new session.
bool repeatable(const QString& sql) {
    const QString head = sql.trimmed().section(u' ', 0, 0);
    return head.compare(u"SELECT", Qt::CaseInsensitive) == 0 ||
           head.compare(u"BEGIN", Qt::CaseInsensitive) == 0;
}

QString utcText(QDateTime when) {
    return when.toUTC().toString(Qt::ISODate);
}

Result check(PGresult* raw, PGconn* conn) {
    Result r(raw);
    const ExecStatusType s = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (s != PGRES_COMMAND_OK && s != PGRES_TUPLES_OK)
        throw DbError(errorOf(r.get(), conn));
    return r;
}

/// Parameters as libpq takes them: text values with a type for numbers; text is sent untyped so
/// that the server reads it as whatever the column needs (a date, a numeric, a varchar).
struct Params {
    QVector<QByteArray> text;
    QVector<Oid> types;
    QVector<const char*> values;

    explicit Params(const QVariantList& params) {
        text.reserve(params.size());
        for (const QVariant& v : params) {
            Oid type = 0;
            QByteArray value;
            if (!v.isNull()) {
                switch (v.typeId()) {
                case QMetaType::Bool:
                    type = kInt8;
                    value = v.toBool() ? "1" : "0";
                    break;
                case QMetaType::Int:
                case QMetaType::UInt:
                case QMetaType::LongLong:
                case QMetaType::ULongLong:
                    type = kInt8;
                    value = QByteArray::number(v.toLongLong());
                    break;
                case QMetaType::Double:
                    type = kFloat8;
                    value = QByteArray::number(v.toDouble(), 'g', 17);
                    break;
                default:
                    value = v.toString().toUtf8();
                }
            }
            types.push_back(type);
            text.push_back(value);
        }
        for (int i = 0; i < params.size(); ++i)
            values.push_back(params[i].isNull() ? nullptr : text[i].constData());
    }
};

/// A numeric column as the server wrote it: numeric(19,4) has more digits than a double keeps.
QVariant numericValue(const char* raw) {
    return QString::fromLatin1(raw);
}

QVariant valueOf(const PGresult* r, int row, int col) {
    if (PQgetisnull(r, row, col))
        return {};
    const char* raw = PQgetvalue(r, row, col);
    switch (PQftype(r, col)) {
    case kBool:
        return qlonglong(raw[0] == 't' ? 1 : 0);
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        return QByteArray(raw).toLongLong();
    case kFloat4:
    case kFloat8:
        return QByteArray(raw).toDouble();
    case kNumeric:
        return numericValue(raw);
    default:
        return QString::fromUtf8(raw, PQgetlength(r, row, col));
    }
}

/// One cell of a streamed row into the store: whole numbers and floating values as numbers,
/// exact decimals and everything else as the server's text.
void storeCell(ColumnStore& cells, const PGresult* r, int col, int row = 0) {
    if (PQgetisnull(r, row, col))
        return cells.addNull(col);
    const char* raw = PQgetvalue(r, row, col);
    switch (PQftype(r, col)) {
    case kBool:
        return cells.addInteger(col, raw[0] == 't' ? 1 : 0);
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        return cells.addInteger(col, std::strtoll(raw, nullptr, 10));
    case kFloat4:
    case kFloat8:
        return cells.addReal(col, QByteArray(raw).toDouble());
    default:
        cells.addText(col, raw, PQgetlength(r, row, col));
    }
}

/// Table oid -> column number -> (table name, column name), per server and database, for every
/// connection of the process: a table's columns stay as they are under a running program, and
/// one that a newer program added since is read when a result first names it.
struct KnownOrigins {
    std::mutex mutex;
    QHash<QByteArray, QHash<unsigned, KnownColumns>> byDatabase;
};

KnownOrigins& knownOrigins() {
    static KnownOrigins known;
    return known;
}

/// After the database's tables changed: what the process learnt of their columns is read again
/// when a result names them.
void forgetOrigins(const QByteArray& database) {
    KnownOrigins& known = knownOrigins();
    const std::lock_guard lock(known.mutex);
    known.byDatabase.remove(database);
}

/// The URL's own options= followed by the settings every session of ours starts with: they
/// travel in the start-up message rather than costing a round trip each, and, coming last, win
/// over the URL's.
QByteArray startupOptions(const QByteArray& conninfo) {
    QByteArray options;
    if (PQconninfoOption* parsed = PQconninfoParse(conninfo.constData(), nullptr)) {
        for (const PQconninfoOption* o = parsed; o->keyword; ++o)
            if (qstrcmp(o->keyword, "options") == 0 && o->val)
                options = QByteArray(o->val) + ' ';
        PQconninfoFree(parsed);
    }
    return options + "-c DateStyle=ISO,YMD -c standard_conforming_strings=on";
}

} // namespace

PostgresBackend::PostgresBackend(const QString& url) {
    const QByteArray conninfo = url.toUtf8();
    const QByteArray options = startupOptions(conninfo);
    // The URL's own settings win over the defaults before it; the encoding and the options
    // after it are ours.
    const char* keys[] = {"connect_timeout", "application_name", "dbname", "client_encoding",
                          "options", nullptr};
    const char* values[] = {"10", "tarvo-archive", conninfo.constData(), "UTF8",
                            options.constData(), nullptr};
    m_conn = PQconnectdbParams(keys, values, 1);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        const QString text = m_conn
                                 ? QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()
                                 : QCoreApplication::translate("tarvo::suite::DbError", "内存不足");
        PQfinish(m_conn);
        m_conn = nullptr;
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "无法连接数据库“%1”：%2")
                          .arg(shownDatabaseName(url), withoutSecrets(text, url)));
    }
    PQsetNoticeProcessor(
        m_conn, [](void*, const char*) {}, nullptr);
    try {
        setUpSession();
    } catch (const DbError&) {
        PQfinish(m_conn);
        m_conn = nullptr;
        throw;
    }
    // The server's replication is looked at with the session's first question (learnCatalog).
    m_url = url;
}

void PostgresBackend::setUpSession() {
    // A reset may land on another host of the URL.
    m_database = QByteArray(PQhost(m_conn)) + ':' + PQport(m_conn) + '/' + PQdb(m_conn);
    // Both settings came with the start-up message; whatever stands between us and the server
    // and drops them (a connection pooler) gets them as statements.
    const char* dates = PQparameterStatus(m_conn, "DateStyle");
    if (!dates || qstrcmp(dates, "ISO, YMD") != 0)
        check(PQexec(m_conn, "SET DateStyle = ISO, YMD"), m_conn);
    requireStandardStrings();
}

void PostgresBackend::requireStandardStrings() {
    // Literals written by the suite and the component double their apostrophes and nothing
    // else; with backslash escapes on (a server, database or role setting, or options= in the
    // URL) a typed \' would end such a literal early.
    const char* now = PQparameterStatus(m_conn, "standard_conforming_strings");
    if (!now || qstrcmp(now, "on") != 0) {
        check(PQexec(m_conn, "SET standard_conforming_strings = on"), m_conn);
        now = PQparameterStatus(m_conn, "standard_conforming_strings");
    }
    if (!now || qstrcmp(now, "on") != 0) {
        throw DbError(QCoreApplication::translate(
            "tarvo::suite::DbError", "数据库服务器不接受标准字符串（standard_conforming_strings），"
                                     "为安全起见不能使用该数据库"));
    }
}

PostgresBackend::~PostgresBackend() {
    // Answers still unread are dropped: the server ran what it got before the goodbye.
    PQfinish(m_conn);
}

bool PostgresBackend::serverHungUp() {
    // A server shutting down sends its reason and closes; both wait unread on the socket until
    // the next statement would trip over them.
    pollfd incoming{PQsocket(m_conn), POLLIN, 0};
    for (int reads = 0; reads < 4 && PQstatus(m_conn) == CONNECTION_OK; ++reads) {
        if (incoming.fd < 0 || ::poll(&incoming, 1, 0) <= 0)
            break;
        if (!PQconsumeInput(m_conn))
            break;
        // Parses the goodbye, so that the next read meets the closed socket.
        PQisBusy(m_conn);
    }
    return PQstatus(m_conn) != CONNECTION_OK;
}

void PostgresBackend::ensureConnected() {
    // A transaction whose BEGIN is still to be sent has nothing on the server to lose.
    if (transactionDepth > 0 && !m_beginPending) {
        if (PQstatus(m_conn) != CONNECTION_OK)
            throw DbError(errorOf(nullptr, m_conn));
        return;
    }
    if (serverHungUp())
        reconnect(kReconnectPatience);
}

bool PostgresBackend::revive() {
    if (transactionDepth > 0 || !serverHungUp())
        return PQstatus(m_conn) == CONNECTION_OK;
    try {
        reconnect(0ms);
    } catch (const DbError&) {
        return false;
    }
    return true;
}

QString PostgresBackend::loginRole() const {
    return QString::fromUtf8(PQuser(m_conn));
}

bool PostgresBackend::pauseUnlessStopped(std::chrono::milliseconds pause) {
    // Whoever waits for the statement may give up meanwhile (a window closed, say): it is
    // heard within a tenth of a second.
    constexpr auto kStep = 100ms;
    for (auto left = pause; left > 0ms; left -= kStep) {
        if (m_stop && m_stop())
            return false;
        QThread::msleep(std::min(kStep, left).count());
    }
    return !(m_stop && m_stop());
}

void PostgresBackend::reconnect(std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        PQreset(m_conn);
        if (PQstatus(m_conn) == CONNECTION_OK) {
            m_prepared.clear();
            m_unread = 0;
            m_commitTokens.reset();
            m_tokensSwept = false;
            ++m_generation;
            // The schema may have been upgraded while the connection was gone.
            ++m_schemaGeneration;
            m_deallocatePending = false;
            m_listenPending = true;
            setUpSession();
            return;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left <= 0ms || !pauseUnlessStopped(std::min(500ms, left)))
            throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "与数据库服务器的连接已中断，重新连接失败：%1")
                              .arg(QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()));
    }
}

template <typename Run>
auto PostgresBackend::repeatableOnce(const QString& sql, Run run, const bool* handed)
    -> decltype(run()) {
    const bool outside = transactionDepth == 0;
    try {
        return run();
    } catch (const DbError&) {
        // The server went away between our look at the connection and the statement.
        if (!outside || PQstatus(m_conn) == CONNECTION_OK || !repeatable(sql) ||
            (handed && *handed))
            throw;
    }
    return run();
}

QByteArray PostgresBackend::prepared(const QByteArray& text, const QVector<unsigned>& types,
                                     bool& fresh) {
    fresh = false;
    QByteArray key = text;
    for (const unsigned t : types)
        key += ',' + QByteArray::number(t);
    const auto it = m_prepared.constFind(key);
    if (it != m_prepared.cend())
        return *it;
    // A statement run only once (most of a session's start-up) never earns back what keeping
    // it prepared costs the server: it runs unprepared the first time.
    if (!m_runOnce.contains(key)) {
        if (m_runOnce.size() >= kPreparedKept * 4)
            m_runOnce.clear();
        m_runOnce.insert(key);
        return {};
    }
    m_runOnce.remove(key);
    const QByteArray name = "tarvo_" + QByteArray::number(++m_preparedCount);
    m_prepared.insert(key, name);
    fresh = true;
    return name;
}

PostgresBackend::Failure PostgresBackend::exchange(const QVector<Statement>& statements,
                                                   const ResultSink& sink, bool stream, Sent how) {
    ensureConnected();
    readUnanswered();
    if ((m_prepared.size() >= kPreparedKept || m_deallocatePending) &&
        PQtransactionStatus(m_conn) == PQTRANS_IDLE) {
        // Texts built from typed conditions keep coming in a long session: start afresh.
        check(PQexec(m_conn, "DEALLOCATE ALL"), m_conn);
        m_prepared.clear();
        m_deallocatePending = false;
    }
    struct Outgoing {
        QByteArray text;
        Params params;
        QByteArray name;
        bool fresh;
        int statement;
        /// Closes a segment: what comes after runs whatever became of it.
        bool syncAfter;
    };
    std::vector<Outgoing> out;
    out.reserve(size_t(statements.size() + m_later.size()) + m_ahead.size() + 3);
    const auto add = [&](const Statement& st, int place, bool alone, bool mayPrepare) {
        Params params(st.params);
        QByteArray text, name;
        bool fresh = false;
        if (st.params.isEmpty()) {
            text = st.sql.toUtf8();
        } else {
            // Statements with values are prepared once and run again with new values: the
            // card's record by its key, the save service's reads and writes.
            text = numberPlaceholders(st.sql).toUtf8();
            if (mayPrepare)
                name = prepared(text, params.types, fresh);
        }
        out.push_back({std::move(text), std::move(params), std::move(name), fresh, place, alone});
    };
    // What goes before the statements on its own stands outside any transaction of theirs.
    const bool idle = PQtransactionStatus(m_conn) == PQTRANS_IDLE;
    if (!m_timeLimit.isEmpty())
        add({QString::fromLatin1(std::exchange(m_timeLimit, {})), {}}, kOwnStatement, idle, false);
    // Outside a transaction, which would hold the LISTEN back until its end.
    if (idle && std::exchange(m_listenPending, false))
        add({hearChangesStatement(), {}}, kListen, true, false);
    if (idle) {
        const auto now = std::chrono::steady_clock::now();
        for (size_t i = 0; i < m_ahead.size(); ++i) {
            if (m_ahead[i].sent)
                continue;
            add(m_ahead[i].question, kAhead - int(i), true, false);
            m_ahead[i].sent = true;
            m_ahead[i].when = now;
            m_ahead[i].generation = m_schemaGeneration;
        }
    }
    if (m_beginPending) {
        add({QStringLiteral("BEGIN"), {}}, kOwnStatement, false, false);
        // Asked again while the answer is no: the table may come with the schema, the rights
        // with a grant.
        if (m_commitTokens != true)
            add({QString::fromLatin1(kTokenRightsQuery), {}}, kTokenRights, false, false);
    }
    for (const Statement& st : std::as_const(m_later))
        add(st, kOwnStatement, false, true);
    for (qsizetype i = 0; i < statements.size(); ++i)
        add(statements[i], int(i), how == Sent::EachAlone, true);
    m_beginPending = false;
    m_later.clear();
    if (out.empty())
        return {};
    const auto forget = [this](const QByteArray& name) {
        m_prepared.removeIf([&](const auto& it) { return it.value() == name; });
    };

    // One statement goes out on its own; anything more, a preparation included, as a pipeline
    // whose last segment the last statement closes.
    const bool pipelined = out.size() > 1 || out.front().fresh;
    out.back().syncAfter = true;
    bool sent = !pipelined || PQenterPipelineMode(m_conn);
    for (const Outgoing& o : out) {
        const int n = int(o.params.values.size());
        if (sent && o.fresh)
            sent = PQsendPrepare(m_conn, o.name.constData(), o.text.constData(), n,
                                 o.params.types.constData());
        if (sent)
            sent =
                o.name.isEmpty()
                    ? PQsendQueryParams(m_conn, o.text.constData(), n, o.params.types.constData(),
                                        o.params.values.constData(), nullptr, nullptr, 0)
                    : PQsendQueryPrepared(m_conn, o.name.constData(), n,
                                          o.params.values.constData(), nullptr, nullptr, 0);
        if (sent && pipelined && o.syncAfter)
            sent = PQpipelineSync(m_conn);
    }
    if (!sent) {
        for (const Outgoing& o : out)
            if (o.fresh)
                forget(o.name);
        if (pipelined)
            PQexitPipelineMode(m_conn);
        throw DbError(errorOf(nullptr, m_conn));
    }
    // A long read, and any statement whose asker may give up waiting, can be cancelled.
    const bool cancellable = stream || bool(m_stop);
    if (cancellable) {
        // Made here, on the connection's own thread; PQcancel may then use it from any.
        const std::lock_guard lock(m_streamingMutex);
        m_streaming = PQgetCancel(m_conn);
    }
    const auto streamed = qScopeGuard([this, cancellable] {
        if (!cancellable)
            return;
        const std::lock_guard lock(m_streamingMutex);
        PQfreeCancel(m_streaming);
        m_streaming = nullptr;
    });

    Failure failure;
    // A question asked ahead that failed keeps no answer and fails nothing else: its asker
    // asks again and hears the failure itself. A LISTEN refused (by a standby) fails nothing
    // either: the session then notices a schema change when it connects again.
    const auto fail = [&](const PGresult* r, int place) {
        if (failure.error.isEmpty() && place > kAhead && place != kListen)
            failure = {place, errorOf(r, m_conn)};
    };
    const auto nextResult = [this, cancellable] {
        if (cancellable)
            awaitResult();
        return PQgetResult(m_conn);
    };
    // Every result is read, also after a failure: the connection must be idle again.
    for (const Outgoing& o : out) {
        if (o.fresh) {
            bool made = false;
            while (PGresult* raw = nextResult()) {
                const Result r(raw);
                const ExecStatusType status = PQresultStatus(raw);
                if (status == PGRES_COMMAND_OK)
                    made = true;
                else if (status != PGRES_PIPELINE_ABORTED)
                    fail(raw, o.statement);
            }
            if (!made)
                forget(o.name);
        }
        const bool rowByRow = stream && &o == &out.back();
        // One row per result: a long list never sits in libpq's memory as a whole.
        if (rowByRow)
            PQsetSingleRowMode(m_conn);
        while (PGresult* raw = nextResult()) {
            Result r(raw);
            const ExecStatusType status = PQresultStatus(raw);
            if (status == PGRES_PIPELINE_ABORTED)
                continue;
            if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK &&
                status != PGRES_SINGLE_TUPLE) {
                fail(raw, o.statement);
            } else if (o.statement == kTokenRights) {
                m_commitTokens = PQntuples(raw) == 1 && PQgetvalue(raw, 0, 0)[0] == 't';
            } else if (o.statement <= kAhead) {
                m_ahead[size_t(kAhead - o.statement)].answer = std::move(r);
            } else if (o.statement >= 0 && sink) {
                sink(o.statement, std::move(r));
            }
        }
        if (PQstatus(m_conn) != CONNECTION_OK)
            break;
        if (pipelined && o.syncAfter) {
            while (PGresult* raw = nextResult()) {
                const bool sync = PQresultStatus(raw) == PGRES_PIPELINE_SYNC;
                PQclear(raw);
                if (sync)
                    break;
            }
        }
    }
    if (pipelined && PQstatus(m_conn) == CONNECTION_OK)
        PQexitPipelineMode(m_conn);
    if (failure.error.isEmpty() && PQstatus(m_conn) != CONNECTION_OK)
        failure = {kOwnStatement, errorOf(nullptr, m_conn)};
    if (!failure.error.isEmpty() && failure.statement < 0)
        throw DbError(failure.error);
    return failure;
}

void PostgresBackend::flush() {
    if (m_beginPending || !m_later.isEmpty())
        exchange({}, {}, false);
}

Result PostgresBackend::execute(const QString& sql, const QVariantList& params) {
    Result last;
    const Failure failure = exchange(
        {{sql, params}}, [&](int, Result r) { last = std::move(r); }, false);
    if (!failure.error.isEmpty())
        throw DbError(failure.error);
    return last;
}

QVector<ResultColumn> PostgresBackend::describe(const PGresult* r, const QString& sql,
                                                QVector<QPair<unsigned, int>>& origins) const {
    QVector<ResultColumn> columns;
    const int n = PQnfields(r);
    const QHash<QString, QString> written = writtenNames(sql);
    for (int c = 0; c < n; ++c) {
        const QString name = QString::fromUtf8(PQfname(r, c));
        ResultColumn col{written.value(name, name), {}, {}};
        col.decimal = PQftype(r, c) == kNumeric;
        columns.push_back(col);
        origins.push_back({PQftable(r, c), PQftablecol(r, c)});
    }
    return columns;
}

void PostgresBackend::nameOrigins(QVector<ResultColumn>& columns,
                                  const QVector<QPair<unsigned, int>>& origins) {
    KnownOrigins& known = knownOrigins();
    QList<unsigned> unknown;
    const auto name = [&](const QHash<unsigned, KnownColumns>& tables) {
        for (int c = 0; c < columns.size(); ++c) {
            const auto [table, column] = origins[c];
            if (table == InvalidOid || !columns[c].originTable.isEmpty())
                continue;
            const auto t = tables.constFind(table);
            if (t != tables.cend() && t->contains(column)) {
                std::tie(columns[c].originTable, columns[c].originColumn) = t->value(column);
            } else if (!unknown.contains(table)) {
                unknown.push_back(table);
            }
        }
    };
    {
        // Once per result, not per column: every connection of the process names its columns
        // here.
        const std::lock_guard lock(known.mutex);
        name(known.byDatabase[m_database]);
    }
    // A failed transaction answers nothing more: results read before the failure, in the same
    // round trip, keep the tables known so far.
    if (unknown.isEmpty() || PQtransactionStatus(m_conn) == PQTRANS_INERROR)
        return;
    // A table met for the first time, or a column added to it since: its columns are read
    // again, all such tables in one question.
    QHash<unsigned, KnownColumns> read = readOrigins(unknown);
    name(read);
    const std::lock_guard lock(known.mutex);
    auto& tables = known.byDatabase[m_database];
    for (auto t = read.begin(); t != read.end(); ++t)
        tables.insert(t.key(), std::move(t.value()));
}

StoredResult PostgresBackend::queryStored(const QString& sql, const QVariantList& params,
                                          const RowWatch& watch) {
    if (const Result ahead = m_ahead.empty() ? nullptr : takeAhead(sql, params)) {
        StoredResult result;
        QVector<QPair<unsigned, int>> origins;
        result.columns = describe(ahead.get(), sql, origins);
        result.cells = ColumnStore(int(result.columns.size()));
        for (int row = 0; row < PQntuples(ahead.get()); ++row) {
            for (int c = 0; c < result.cells.columnCount(); ++c)
                storeCell(result.cells, ahead.get(), c, row);
            result.cells.endRow();
            if (watch && !watch(result))
                break;
        }
        nameOrigins(result.columns, origins);
        return result;
    }
    // Rows the watch has had are the caller's already (written to a file, shown): a read begun
    // again on a new connection would hand them a second time.
    bool handed = false;
    const RowWatch heard = watch ? RowWatch([&](StoredResult& rows) {
        handed = true;
        return watch(rows);
    })
                                 : RowWatch();
    return repeatableOnce(sql, [&] { return queryStoredOnce(sql, params, heard); }, &handed);
}

void PostgresBackend::interrupt() {
    cancelStreaming();
}

void PostgresBackend::limitStatementTime(int ms) {
    m_timeLimit = ms > 0 ? "SET statement_timeout = " + QByteArray::number(ms)
                         : QByteArray("RESET statement_timeout");
}

void PostgresBackend::awaitResult() {
    // A stop that came while the statement was sent found no handle to cancel it by, and a
    // cancel that reaches the server before the statement does is dropped: while the stop
    // holds, the server is asked again every so often.
    constexpr int kStopCheckMs = 50;
    constexpr qint64 kCancelAgainMs = 250;
    QElapsedTimer sinceCancel;
    while (m_stop && PQisBusy(m_conn)) {
        if (m_stop() && (!sinceCancel.isValid() || sinceCancel.elapsed() >= kCancelAgainMs)) {
            cancelStreaming();
            sinceCancel.start();
        }
        pollfd incoming{PQsocket(m_conn), POLLIN, 0};
        if (incoming.fd < 0 || ::poll(&incoming, 1, kStopCheckMs) < 0 ||
            !PQconsumeInput(m_conn))
            return; // PQgetResult tells what went wrong
    }
}

void PostgresBackend::cancelStreaming() {
    const std::lock_guard lock(m_streamingMutex);
    if (!m_streaming)
        return;
    char why[256];
    PQcancel(m_streaming, why, sizeof why);
}

StoredResult PostgresBackend::queryStoredOnce(const QString& sql, const QVariantList& params,
                                              const RowWatch& watch) {
    StoredResult result;
    QVector<QPair<unsigned, int>> origins;
    bool described = false;
    bool stopped = false;
    const Failure failure = exchange(
        {{sql, params}},
        [&](int, Result r) {
            const PGresult* raw = r.get();
            if (!described) {
                result.columns = describe(raw, sql, origins);
                result.cells = ColumnStore(int(result.columns.size()));
                described = true;
            }
            if (PQntuples(raw) != 1 || stopped)
                return;
            for (int c = 0; c < result.cells.columnCount(); ++c)
                storeCell(result.cells, raw, c);
            result.cells.endRow();
            if (watch && !watch(result)) {
                // The server stops sending; what it sent meanwhile is read and dropped.
                stopped = true;
                cancelStreaming();
            }
        },
        true);
    if (!failure.error.isEmpty() && !stopped)
        throw DbError(failure.error);
    // The catalog is asked only now: the connection takes no other query while it streams.
    nameOrigins(result.columns, origins);
    return result;
}

QueryResult PostgresBackend::query(const QString& sql, const QVariantList& params) {
    if (const Result ahead = m_ahead.empty() ? nullptr : takeAhead(sql, params))
        return resultOf(ahead, sql);
    return resultOf(repeatableOnce(sql, [&] { return execute(sql, params); }), sql);
}

BatchResult PostgresBackend::queryBatch(const QVector<Statement>& statements) {
    // Questions asked ahead are reads, each answered alone: outside a transaction a batch of
    // nothing else gets the same answers from them as from the server now, without a round
    // trip.
    if (transactionDepth == 0 && !statements.isEmpty() &&
        std::all_of(statements.begin(), statements.end(), [this](const Statement& st) {
            return std::any_of(m_ahead.begin(), m_ahead.end(), [&](const Ahead& a) {
                return a.answer && a.question.sql == st.sql && a.question.params == st.params;
            });
        })) {
        std::vector<Result> taken;
        for (const Statement& st : statements)
            if (Result r = takeAhead(st.sql, st.params))
                taken.push_back(std::move(r));
        if (taken.size() == size_t(statements.size())) {
            BatchResult answers;
            for (qsizetype i = 0; i < statements.size(); ++i)
                answers.results.push_back(resultOf(taken[size_t(i)], statements[i].sql));
            return answers;
        }
    }
    forgetAhead();
    std::vector<Result> last(size_t(statements.size()));
    const Failure failure = exchange(
        statements, [&](int at, Result r) { last[size_t(at)] = std::move(r); }, false);
    BatchResult answers;
    const qsizetype ran = failure.error.isEmpty() ? statements.size() : failure.statement;
    for (qsizetype i = 0; i < ran; ++i)
        answers.results.push_back(resultOf(std::move(last[size_t(i)]), statements[i].sql));
    if (!failure.error.isEmpty()) {
        answers.failed = failure.statement;
        answers.error = failure.error;
    }
    return answers;
}

void PostgresBackend::execLater(const QString& sql, const QVariantList& params) {
    forgetAhead();
    if (transactionDepth == 0)
        exec(sql, params);
    else
        m_later.push_back({sql, params});
}

QueryResult PostgresBackend::resultOf(const PgResult& r, const QString& sql) {
    QueryResult result;
    if (!r)
        return result;
    QVector<QPair<unsigned, int>> origins;
    result.columns = describe(r.get(), sql, origins);
    nameOrigins(result.columns, origins);
    const int n = int(result.columns.size());
    const int rows = PQntuples(r.get());
    result.rows.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        QVector<QVariant> values(n);
        for (int c = 0; c < n; ++c)
            values[c] = valueOf(r.get(), row, c);
        result.rows.push_back(std::move(values));
    }
    return result;
}

QHash<unsigned, KnownColumns> PostgresBackend::readOrigins(const QList<unsigned>& tables) {
    QByteArray oids = "{";
    for (const unsigned oid : tables)
        oids += QByteArray::number(oid) + ',';
    oids.back() = '}';
    const char* values[] = {oids.constData()};
    readUnanswered();
    const Result r = check(PQexecParams(m_conn,
                                        "SELECT a.attrelid, a.attnum, c.relname, a.attname "
                                        "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
                                        "WHERE a.attrelid = ANY($1::oid[]) AND a.attnum > 0",
                                        1, nullptr, values, nullptr, nullptr, 0),
                           m_conn);
    QHash<unsigned, KnownColumns> read;
    // A table the server no longer has is known as one without columns, so that it is not
    // asked for again within this result.
    for (const unsigned oid : tables)
        read.insert(oid, {});
    for (int row = 0; row < PQntuples(r.get()); ++row)
        read[QByteArray(PQgetvalue(r.get(), row, 0)).toUInt()].insert(
            QByteArray(PQgetvalue(r.get(), row, 1)).toInt(),
            {QString::fromUtf8(PQgetvalue(r.get(), row, 2)),
             QString::fromUtf8(PQgetvalue(r.get(), row, 3))});
    return read;
}

void PostgresBackend::learnCatalog() {
    KnownOrigins& known = knownOrigins();
    {
        const std::lock_guard lock(known.mutex);
        if (known.byDatabase.contains(m_database)) {
            readUnanswered();
            return warnOfUnconfirmedCommitsOnce(m_conn, m_url);
        }
    }
    // The look at the server's replication goes along, after the catalog and on its own: its
    // failure cannot undo the catalog's answer, and is let go.
    QVector<Statement> asked{{QStringLiteral("SELECT a.attrelid, a.attnum, c.relname, a.attname "
                                             "FROM pg_attribute a JOIN pg_class c ON c.oid = "
                                             "a.attrelid WHERE c.relnamespace = "
                                             "current_schema()::regnamespace AND c.relkind IN "
                                             "('r', 'v', 'p') AND a.attnum > 0 AND NOT "
                                             "a.attisdropped"),
                              {}}};
    if (claimReplicationLook(m_url))
        asked.push_back({QString::fromLatin1(kReplicationQuestion), {}});
    Result r;
    const Failure failure = exchange(
        asked,
        [&](int at, Result answer) {
            if (at == 0)
                r = std::move(answer);
            else
                warnOfUnconfirmedCommits(answer.get(), m_url);
        },
        false, Sent::EachAlone);
    if (!r)
        throw DbError(failure.error.isEmpty() ? errorOf(nullptr, m_conn) : failure.error);
    QHash<unsigned, KnownColumns> read;
    for (int row = 0; row < PQntuples(r.get()); ++row)
        read[QByteArray(PQgetvalue(r.get(), row, 0)).toUInt()].insert(
            QByteArray(PQgetvalue(r.get(), row, 1)).toInt(),
            {QString::fromUtf8(PQgetvalue(r.get(), row, 2)),
             QString::fromUtf8(PQgetvalue(r.get(), row, 3))});
    const std::lock_guard lock(known.mutex);
    auto& tables = known.byDatabase[m_database];
    for (auto t = read.begin(); t != read.end(); ++t)
        tables.insert(t.key(), std::move(t.value()));
}

long long PostgresBackend::exec(const QString& sql, const QVariantList& params) {
    forgetAhead();
    const Result r = execute(sql, params);
    return r ? QByteArray(PQcmdTuples(r.get())).toLongLong() : 0;
}

void PostgresBackend::execScript(const QString& sql) {
    forgetAhead();
    repeatableOnce(sql, [&] {
        ensureConnected();
        flush();
        readUnanswered();
        check(PQexec(m_conn, sql.toUtf8().constData()), m_conn);
    });
}

void PostgresBackend::begin() {
    forgetAhead();
    m_beginPending = true;
}

void PostgresBackend::commit() {
    // Nothing reached the server: there is nothing to commit.
    if (m_beginPending && m_later.isEmpty()) {
        m_beginPending = false;
        return;
    }
    // The server answers COMMIT of a failed transaction with a rollback, not an error.
    if (PQtransactionStatus(m_conn) == PQTRANS_INERROR) {
        rollback();
        throw DbError(
            QCoreApplication::translate("tarvo::suite::DbError", "事务中的语句出错，事务已回滚"));
    }
    // Whether the tokens may be written is asked with the BEGIN until the answer is yes.
    if (!m_commitTokens)
        flush();
    if (!m_commitTokens)
        m_commitTokens =
            query(QString::fromLatin1(kTokenRightsQuery)).rows.value(0).value(0).toBool();
    // The token, and once a connection the removal of tokens nobody will ask about again, go
    // with the COMMIT. A role that may not write them (a read-only one) commits without: it has
    // no work of its own to settle after a lost answer. Rows another session is deleting at the
    // same moment are left to it: never a wait.
    QVector<Statement> closing;
    QString token;
    const bool sweep = *m_commitTokens && !m_tokensSwept;
    if (sweep)
        closing.push_back({QStringLiteral("DELETE FROM tarvo_commit WHERE cToken IN (SELECT cToken "
                                          "FROM tarvo_commit WHERE dWhen < ? FOR UPDATE SKIP "
                                          "LOCKED)"),
                           {utcText(QDateTime::currentDateTimeUtc().addDays(-kTokenDays))}});
    if (*m_commitTokens) {
        token = QUuid::createUuid().toString(QUuid::WithoutBraces);
        closing.push_back({QStringLiteral("INSERT INTO tarvo_commit (cToken, dWhen) VALUES (?, ?)"),
                           {token, utcText(QDateTime::currentDateTimeUtc())}});
    }
    closing.push_back({QStringLiteral("COMMIT"), {}});
    Failure failure;
    try {
        failure = exchange(closing, {}, false);
    } catch (const DbError&) {
        if (PQstatus(m_conn) == CONNECTION_OK)
            throw;
        return settleLostCommit(token);
    }
    if (!failure.error.isEmpty())
        throw DbError(failure.error);
    if (sweep)
        m_tokensSwept = true;
}

void PostgresBackend::settleLostCommit(const QString& token) {
    const QString unknown =
        QCoreApplication::translate("tarvo::suite::DbError",
                                    "与数据库服务器的连接在提交时中断，无法确认本次修改是否已保存，"
                                    "请重新查询核对后再操作（%1）");
    if (token.isEmpty())
        throw DbError(unknown.arg(errorOf(nullptr, m_conn)));
    int taken = 0;
    try {
        reconnect(kSettlePatience);
        // Taking the token waits for a transaction that still holds it, should the old session
        // linger on the server, and fails when that one was stored.
        check(PQexec(m_conn, "BEGIN"), m_conn);
        check(PQexec(m_conn, "SET LOCAL lock_timeout = '20s'"), m_conn);
        const QByteArray id = token.toUtf8();
        const QByteArray when = utcText(QDateTime::currentDateTimeUtc()).toUtf8();
        const char* values[] = {id.constData(), when.constData()};
        const Result r = check(PQexecParams(m_conn,
                                            "INSERT INTO tarvo_commit (cToken, dWhen) VALUES "
                                            "($1, $2) ON CONFLICT (cToken) DO NOTHING",
                                            2, nullptr, values, nullptr, nullptr, 0),
                               m_conn);
        taken = QByteArray(PQcmdTuples(r.get())).toInt();
        check(PQexec(m_conn, "ROLLBACK"), m_conn);
    } catch (const DbError& e) {
        throw DbError(unknown.arg(e.text()));
    }
    if (taken != 0)
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "与数据库服务器的连接在提交时中断，本次修改没有保存"));
}

void PostgresBackend::rollback() {
    m_later.clear();
    if (std::exchange(m_beginPending, false))
        return;
    const PGTransactionStatusType s = PQtransactionStatus(m_conn);
    if (s == PQTRANS_INTRANS || s == PQTRANS_INERROR)
        execScript(QStringLiteral("ROLLBACK"));
}

bool PostgresBackend::tableExists(const QString& table) {
    // Reads the catalog like any table: name lookups (to_regclass) may answer from this
    // connection's cache, which does not yet know a table another connection has just created.
    return !query(QStringLiteral("SELECT 1 FROM pg_catalog.pg_tables WHERE schemaname = "
                                 "current_schema() AND tablename = ?"),
                  {table.toLower()})
                .rows.isEmpty();
}

void PostgresBackend::lockSchema() {
    query(QStringLiteral("SELECT pg_advisory_xact_lock(%1, 0)").arg(kSchemaLockClass));
}

void PostgresBackend::lockValue(const QString& kind, const QString& value) {
    const Statement lock = valueLock(kind, value);
    query(lock.sql, lock.params);
}

Statement PostgresBackend::valueLock(const QString& kind, const QString& value) const {
    // Two values of a kind that hash alike wait for each other for a moment; nothing worse.
    return {QStringLiteral("SELECT pg_advisory_xact_lock(%1, hashtext(?))").arg(kValueLockClass),
            {kind + u'\x1f' + value}};
}

void PostgresBackend::lockValues(const QString& kind, const QStringList& values) {
    // In one order, so that two batches locking some of the same values do not wait for each
    // other crosswise; one statement per few hundred values.
    QStringList sorted = values;
    sorted.sort();
    sorted.removeDuplicates();
    constexpr int kPerStatement = 500;
    for (qsizetype at = 0; at < sorted.size(); at += kPerStatement) {
        QStringList marks;
        QVariantList params;
        for (const QString& v : sorted.mid(at, kPerStatement)) {
            marks << QStringLiteral("(?)");
            params << kind + u'\x1f' + v;
        }
        query(QStringLiteral("SELECT pg_advisory_xact_lock(%1, hashtext(v.x)) FROM (VALUES %2) "
                             "AS v(x) ORDER BY v.x")
                  .arg(kValueLockClass)
                  .arg(marks.join(u", ")),
              params);
    }
}

QString PostgresBackend::quotedName(const QString& name) const {
    const QByteArray raw = name.toUtf8();
    char* quoted = PQescapeIdentifier(m_conn, raw.constData(), size_t(raw.size()));
    if (!quoted)
        throw DbError(QString::fromUtf8(PQerrorMessage(m_conn)).trimmed());
    const QString out = QString::fromUtf8(quoted);
    PQfreemem(quoted);
    return out;
}

std::vector<StoredResult> PostgresBackend::queryTogether(const QVector<SqlStatement>& statements) {
    if (statements.isEmpty())
        return {};
    QVector<Statement> sent;
    sent.reserve(statements.size());
    for (const SqlStatement& s : statements)
        sent.push_back({s.sql, s.params});
    std::vector<StoredResult> results(size_t(statements.size()));
    QVector<QVector<QPair<unsigned, int>>> origins(statements.size());
    // A sync after each statement ends it as running it alone would: one that fails leaves the
    // others to run, and one that must be in force for the next (LISTEN) is committed first.
    const Failure failure = exchange(
        sent,
        [&](int at, Result r) {
            const PGresult* raw = r.get();
            StoredResult& result = results[size_t(at)];
            if (origins[at].isEmpty() && PQnfields(raw) > 0) {
                result.columns = describe(raw, statements[at].sql, origins[at]);
                result.cells = ColumnStore(int(result.columns.size()));
            }
            for (int row = 0; row < PQntuples(raw); ++row) {
                for (int c = 0; c < result.cells.columnCount(); ++c)
                    storeCell(result.cells, raw, c, row);
                result.cells.endRow();
            }
        },
        false, Sent::EachAlone);
    if (!failure.error.isEmpty())
        throw DbError(failure.error);
    // The catalog is asked only once the pipeline is over, and only for what the statements
    // do not tell.
    for (int i = 0; i < statements.size(); ++i) {
        if (statements[i].table.isEmpty()) {
            nameOrigins(results[size_t(i)].columns, origins[i]);
            continue;
        }
        for (ResultColumn& column : results[size_t(i)].columns) {
            column.originTable = statements[i].table;
            column.originColumn = column.name;
        }
    }
    return results;
}

void PostgresBackend::execUnanswered(const QString& sql, const QVariantList& params) {
    if (transactionDepth > 0 || m_beginPending || PQstatus(m_conn) != CONNECTION_OK ||
        PQtransactionStatus(m_conn) != PQTRANS_IDLE)
        return SqlBackend::execUnanswered(sql, params);
    // Sent now, in a pipeline of its own that stays open until its answer is read: before the
    // next statement, which by then mostly finds it in.
    const Params p(params);
    const QByteArray text = numberPlaceholders(sql).toUtf8();
    if ((m_unread > 0 || PQenterPipelineMode(m_conn)) &&
        PQsendQueryParams(m_conn, text.constData(), int(params.size()), p.types.constData(),
                          p.values.constData(), nullptr, nullptr, 0) &&
        PQpipelineSync(m_conn) && PQflush(m_conn) == 0) {
        ++m_unread;
        return;
    }
    // The connection failed under it: a server lock goes with the session anyway.
    m_unread = 0;
}

void PostgresBackend::readUnanswered() {
    for (; m_unread > 0 && PQstatus(m_conn) == CONNECTION_OK; --m_unread) {
        // The statement's results up to the end of them, then its sync.
        while (PGresult* raw = PQgetResult(m_conn))
            PQclear(raw);
        PQclear(PQgetResult(m_conn));
    }
    m_unread = 0;
    if (PQpipelineStatus(m_conn) != PQ_PIPELINE_OFF)
        PQexitPipelineMode(m_conn);
}

void PostgresBackend::askAhead(const QVector<Statement>& questions) {
    for (const Statement& q : questions) {
        // Asked again: the newer answer is the one wanted.
        std::erase_if(m_ahead, [&](const Ahead& a) {
            return a.question.sql == q.sql && a.question.params == q.params;
        });
        m_ahead.push_back({q, false, nullptr, {}});
    }
}

PgResult PostgresBackend::takeAhead(const QString& sql, const QVariantList& params) {
    // Answers left longer belong to a start that is over: what they hold may have changed.
    const auto stale = std::chrono::steady_clock::now() - kAheadKept;
    // A connection that is gone may have missed the news that an answer is out of date.
    const bool heard = hearNotifications();
    std::erase_if(m_ahead, [&](const Ahead& a) {
        return a.sent && (!heard || a.when < stale || a.generation != m_schemaGeneration);
    });
    const auto it = std::find_if(m_ahead.begin(), m_ahead.end(), [&](const Ahead& a) {
        return a.question.sql == sql && a.question.params == params;
    });
    if (it == m_ahead.end())
        return {};
    // Not sent yet, or failed: the asker's own statement asks (and goes with the others).
    PgResult answer = std::move(it->answer);
    m_ahead.erase(it);
    return answer;
}

bool PostgresBackend::hasShownTable(const QString& table) {
    KnownOrigins& known = knownOrigins();
    const std::lock_guard lock(known.mutex);
    for (const KnownColumns& columns : known.byDatabase.value(m_database))
        if (!columns.isEmpty() &&
            columns.cbegin()->first.compare(table, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString PostgresBackend::hearChangesStatement() const {
    return QStringLiteral("LISTEN ") + QLatin1String(kReferenceChannel);
}

bool PostgresBackend::hearNotifications() {
    if (serverHungUp() || !PQconsumeInput(m_conn))
        return false;
    while (PGnotify* n = PQnotifies(m_conn)) {
        if (qstrcmp(n->relname, kReferenceChannel) == 0) {
            const QString table = QString::fromUtf8(n->extra).toLower();
            if (isSchemaTable(table)) {
                ++m_schemaGeneration;
                m_deallocatePending = true;
                forgetOrigins(m_database);
            }
            if (!m_heard.contains(table))
                m_heard << table;
            ++m_heardCounts[table];
        }
        PQfreemem(n);
    }
    return true;
}

QStringList PostgresBackend::announcedChanges() {
    // A connection that is gone heard nothing of what happened meanwhile.
    if (!hearNotifications()) {
        m_heard.clear();
        return {QStringLiteral("*")};
    }
    return std::exchange(m_heard, {});
}

int PostgresBackend::schemaGeneration() {
    hearNotifications();
    return m_schemaGeneration;
}

qint64 PostgresBackend::changeMark(const QString& table) {
    if (!hearNotifications())
        ++m_unheard;
    // Both counts only grow: the sum stays put exactly while neither moves.
    return ((qint64(m_generation) + m_unheard) << 32) + m_heardCounts.value(table.toLower());
}

void PostgresBackend::announceChange(const QString& table) {
    execLater(QStringLiteral("SELECT pg_notify(?, ?)"),
              {QString::fromLatin1(kReferenceChannel), table.toLower()});
}

void PostgresBackend::announceSchemaChange() {
    exec(QStringLiteral("SELECT pg_notify('%1', 'tarvo_meta')")
             .arg(QLatin1String(kReferenceChannel)));
}

} // namespace tarvo::suite
