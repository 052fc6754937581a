#include "SqliteBackend.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <sqlite3.h>

#include <array>

namespace tarvo::suite {

namespace {

// Enough for every statement a session runs again and again; the rest are prepared anew.
constexpr int kCachedStatements = 64;

QString fromUtf8(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

QString tr(const char* text) {
    return QCoreApplication::translate("tarvo::suite::DbError", text);
}

/// What a failure of the engine means to the clerk, in the session's language, with the
/// engine's own words after it for whoever looks after the file.
QString described(int code, const QString& engineText) {
    QString meaning;
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        meaning = tr("账套数据库正被另一个程序或窗口写入，等了 10 秒仍未轮到，请稍后再试");
        break;
    case SQLITE_READONLY:
        meaning = tr("账套数据库文件只能读取，不能写入（请检查文件及其所在文件夹的写权限）");
        break;
    case SQLITE_PERM:
    case SQLITE_AUTH:
        meaning = tr("没有访问账套数据库文件的权限");
        break;
    case SQLITE_FULL:
        meaning = tr("磁盘已满，无法写入账套数据库");
        break;
    case SQLITE_IOERR:
        meaning = tr("读写账套数据库文件时出错（磁盘或网络存储故障）");
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        meaning = tr("账套数据库文件已损坏，或不是账套数据库");
        break;
    case SQLITE_CANTOPEN:
        meaning = tr("无法打开账套数据库文件");
        break;
    default:
        return engineText;
    }
    return engineText.isEmpty() ? meaning : tr("%1（%2）").arg(meaning, engineText);
}

} // namespace

SqliteBackend::SqliteBackend(const QString& path) {
    // A connection serves the thread that opened it, never two at once: no mutex around every
    // call (reading a long list makes millions of them).
    const int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString text =
            m_db ? errorText()
                 : tr("无法打开数据库文件");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError", "无法打开数据库“%1”：%2")
                          .arg(path, text));
    }
    // Several processes share one file: wait for a writer instead of failing at once.
    sqlite3_busy_timeout(m_db, 10000);
    useWriteAheadLog();
    execScript(QStringLiteral("PRAGMA foreign_keys=ON; PRAGMA synchronous=NORMAL;"));
}

void SqliteBackend::useWriteAheadLog() {
    // Turning a new file to WAL needs it to itself and does not wait for the busy timeout, so
    // processes that open the same new file at once take turns here.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        char* err = nullptr;
        const int rc = sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, &err);
        const QString text = described(rc, fromUtf8(err));
        sqlite3_free(err);
        if (rc == SQLITE_OK)
            return;
        if ((rc & 0xff) != SQLITE_BUSY || waited.elapsed() > 10000)
            throw DbError(text);
        QThread::msleep(20);
    }
}

SqliteBackend::~SqliteBackend() {
    for (const Cached& c : std::as_const(m_statements))
        sqlite3_finalize(c.stmt);
    sqlite3_finalize(m_versions);
    sqlite3_finalize(m_dataVersion);
    sqlite3_close_v2(m_db);
}

QString SqliteBackend::errorText() const {
    return described(sqlite3_extended_errcode(m_db), fromUtf8(sqlite3_errmsg(m_db)));
}

class SqliteBackend::Statement {
public:
    Statement(SqliteBackend& db, const QString& sql, const QVariantList& params)
        : m_db(db), m_sql(sql), m_cached(db.m_statements.take(sql)), m_stmt(m_cached.stmt) {
        if (!m_stmt) {
            const QByteArray text = sql.toUtf8();
            if (sqlite3_prepare_v2(db.m_db, text.constData(), int(text.size()), &m_stmt, nullptr) !=
                SQLITE_OK)
                throw DbError(db.errorText());
            if (!m_stmt)
                throw DbError(
                    QCoreApplication::translate("tarvo::suite::DbError", "空的 SQL 语句"));
        }
        try {
            bind(params);
        } catch (...) {
            release();
            throw;
        }
    }
    ~Statement() { release(); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    /// The next row: true while there is one; throws on an error.
    bool step() {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw DbError(m_db.errorText());
        return false;
    }
    /// The result's columns; read from the engine only when the statement is new or the engine
    /// prepared it again since (a changed schema can change what "select *" yields).
    QVector<ResultColumn> columns() {
        const int prepared = sqlite3_stmt_status(m_stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
        if (m_cached.prepared == prepared)
            return m_cached.columns;
        QVector<ResultColumn> columns;
        const int n = sqlite3_column_count(m_stmt);
        columns.reserve(n);
        for (int c = 0; c < n; ++c)
            columns.push_back({fromUtf8(sqlite3_column_name(m_stmt, c)),
                               fromUtf8(sqlite3_column_table_name(m_stmt, c)),
                               fromUtf8(sqlite3_column_origin_name(m_stmt, c))});
        m_cached.columns = columns;
        m_cached.prepared = prepared;
        return columns;
    }

private:
    SqliteBackend& m_db;
    QString m_sql;
    Cached m_cached;
    sqlite3_stmt* m_stmt;

    void bind(const QVariantList& params) {
        for (int i = 0; i < params.size(); ++i) {
            const QVariant& v = params[i];
            const int n = i + 1;
            int rc;
            if (v.isNull()) {
                rc = sqlite3_bind_null(m_stmt, n);
            } else {
                switch (v.typeId()) {
                case QMetaType::Bool:
                case QMetaType::Int:
                case QMetaType::UInt:
                case QMetaType::LongLong:
                case QMetaType::ULongLong:
                    rc = sqlite3_bind_int64(m_stmt, n, v.toLongLong());
                    break;
                case QMetaType::Double:
                    rc = sqlite3_bind_double(m_stmt, n, v.toDouble());
                    break;
                default: {
                    const QByteArray s = v.toString().toUtf8();
                    rc = sqlite3_bind_text(m_stmt, n, s.constData(), int(s.size()),
                                           SQLITE_TRANSIENT);
                }
                }
            }
            if (rc != SQLITE_OK)
                throw DbError(m_db.errorText());
        }
    }

    /// Back into the cache, reset so that it holds no lock until it runs again.
    void release() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        if (m_db.m_statements.size() < kCachedStatements && !m_db.m_statements.contains(m_sql)) {
            m_cached.stmt = m_stmt;
            m_db.m_statements.insert(m_sql, std::move(m_cached));
        } else
            sqlite3_finalize(m_stmt);
    }
};

QueryResult SqliteBackend::query(const QString& sql, const QVariantList& params) {
    Statement stmt(*this, sql, params);
    QueryResult result;
    // The first step prepares the statement again if the schema changed since it was cached,
    // so the columns are read after it.
    bool row = stmt.step();
    result.columns = stmt.columns();
    const int n = int(result.columns.size());
    for (; row; row = stmt.step()) {
        QVector<QVariant> values(n);
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(stmt.get(), c)) {
            case SQLITE_INTEGER:
                values[c] = qlonglong(sqlite3_column_int64(stmt.get(), c));
                break;
            case SQLITE_FLOAT:
                values[c] = sqlite3_column_double(stmt.get(), c);
                break;
            case SQLITE_NULL:
                break;
            default:
                values[c] = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), c)),
                    sqlite3_column_bytes(stmt.get(), c));
            }
        }
        result.rows.push_back(std::move(values));
    }
    return result;
}

StoredResult SqliteBackend::queryStored(const QString& sql, const QVariantList& params,
                                        const RowWatch& watch) {
    Statement stmt(*this, sql, params);
    sqlite3_stmt* st = stmt.get();
    // Columns after the first step: see query().
    bool row = stmt.step();
    StoredResult result{stmt.columns(), ColumnStore(sqlite3_column_count(st))};
    const int n = result.cells.columnCount();
    ColumnStore& cells = result.cells;
    for (; row; row = stmt.step()) {
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                cells.addInteger(c, sqlite3_column_int64(st, c));
                break;
            case SQLITE_FLOAT:
                cells.addReal(c, sqlite3_column_double(st, c));
                break;
            case SQLITE_NULL:
                cells.addNull(c);
                break;
            default:
                cells.addText(c, reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                              sqlite3_column_bytes(st, c));
            }
        }
        cells.endRow();
        if (watch && !watch(result))
            break;
    }
    return result;
}

void SqliteBackend::interrupt() {
    sqlite3_interrupt(m_db);
}

void SqliteBackend::stopWhen(std::function<bool()> stop) {
    m_stop = std::move(stop);
    // The engine asks between its steps, sorting included; a non-zero answer interrupts.
    constexpr int kStepsBetweenAsks = 1000;
    if (m_stop)
        sqlite3_progress_handler(
            m_db, kStepsBetweenAsks,
            [](void* stop) { return (*static_cast<std::function<bool()>*>(stop))() ? 1 : 0; },
            &m_stop);
    else
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
}

long long SqliteBackend::exec(const QString& sql, const QVariantList& params) {
    Statement stmt(*this, sql, params);
    while (stmt.step()) {
    }
    return sqlite3_changes64(m_db);
}

BatchResult SqliteBackend::queryBatch(const QVector<suite::Statement>& statements) {
    if (transactionDepth > 0)
        return SqlBackend::queryBatch(statements);
    Transaction tx(*this);
    BatchResult answers = SqlBackend::queryBatch(statements);
    if (answers.ok())
        tx.commit();
    return answers;
}

void SqliteBackend::execScript(const QString& sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString text = described(rc, fromUtf8(err));
        sqlite3_free(err);
        throw DbError(text);
    }
}

void SqliteBackend::begin() {
    execScript(QStringLiteral("BEGIN IMMEDIATE"));
}
void SqliteBackend::commit() {
    execScript(QStringLiteral("COMMIT"));
}
void SqliteBackend::rollback() {
    if (!sqlite3_get_autocommit(m_db))
        execScript(QStringLiteral("ROLLBACK"));
}

bool SqliteBackend::tableExists(const QString& table) {
    return !query(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type='table' AND "
                                 "lower(name)=lower(?)"),
                  {table})
                .rows.isEmpty();
}

std::array<qint64, 3> SqliteBackend::versions() {
    // Asked before most statements of a session: kept prepared, and read without the
    // conversions of a result.
    if (!m_versions &&
        sqlite3_prepare_v3(m_db,
                           "SELECT data_version, schema_version, user_version FROM "
                           "pragma_data_version, pragma_schema_version, pragma_user_version",
                           -1, SQLITE_PREPARE_PERSISTENT, &m_versions, nullptr) != SQLITE_OK)
        throw DbError(errorText());
    std::array<qint64, 3> out{-1, -1, -1};
    const int rc = sqlite3_step(m_versions);
    if (rc == SQLITE_ROW)
        out = {sqlite3_column_int64(m_versions, 0), sqlite3_column_int64(m_versions, 1),
               sqlite3_column_int64(m_versions, 2)};
    sqlite3_reset(m_versions);
    if (rc != SQLITE_ROW)
        throw DbError(errorText());
    return out;
}

QStringList SqliteBackend::announcedChanges() {
    // The data version moves only for other connections' commits: this connection's own rows
    // are counted by the engine, and its own table changes move the schema's version.
    const std::array<qint64, 3> file = versions();
    const std::array<qint64, 3> seen{file[0], file[1], qint64(sqlite3_total_changes64(m_db))};
    const bool changed = seen != m_seenVersions;
    m_seenVersions = seen;
    return changed ? QStringList{QStringLiteral("*")} : QStringList{};
}

qint64 SqliteBackend::dataVersion() {
    if (!m_dataVersion &&
        sqlite3_prepare_v3(m_db, "PRAGMA data_version", -1, SQLITE_PREPARE_PERSISTENT,
                           &m_dataVersion, nullptr) != SQLITE_OK)
        throw DbError(errorText());
    const int rc = sqlite3_step(m_dataVersion);
    const qint64 data = rc == SQLITE_ROW ? sqlite3_column_int64(m_dataVersion, 0) : -1;
    sqlite3_reset(m_dataVersion);
    if (rc != SQLITE_ROW)
        throw DbError(errorText());
    return data;
}

qint64 SqliteBackend::changeMark(const QString& table) {
    // The file tells only that something changed, not what.
    (void)table;
    return dataVersion();
}

int SqliteBackend::schemaGeneration() {
    // Another connection's change of the schema moves the data version, the cheapest thing to
    // read: the schema's and the upgrades' versions are read only when it moved, which other
    // programs' saves and locks make it do all the time. This connection's own changes leave
    // it be: the dictionary is read after its own upgrade.
    const qint64 data = dataVersion();
    if (data == m_dataSeen)
        return m_schemaGeneration;
    m_dataSeen = data;
    const std::array<qint64, 3> file = versions();
    const std::array<qint64, 2> schema{file[1], file[2]};
    if (schema != m_schemaSeen) {
        if (m_schemaSeen[0] >= 0)
            ++m_schemaGeneration;
        m_schemaSeen = schema;
    }
    return m_schemaGeneration;
}

void SqliteBackend::announceSchemaChange() {
    const qint64 upgrades =
        query(QStringLiteral("PRAGMA user_version")).rows.value(0).value(0).toLongLong();
    execScript(QStringLiteral("PRAGMA user_version = %1").arg(upgrades + 1));
}

} // namespace tarvo::suite
