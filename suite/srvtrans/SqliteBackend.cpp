#include "SqliteBackend.h"

#include <QElapsedTimer>
#include <QThread>

#include <sqlite3.h>

#include <memory>

namespace tarvo::suite {

namespace {

struct StmtDeleter {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Stmt = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

QString fromUtf8(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

} // namespace

SqliteBackend::SqliteBackend(const QString& path) {
    const int rc = sqlite3_open_v2(
        path.toUtf8().constData(), &m_db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = m_db ? errorText() : QStringLiteral("无法打开数据库文件");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw DbError(QStringLiteral("无法打开数据库“%1”：%2").arg(path, text));
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
        const QString text = fromUtf8(err);
        sqlite3_free(err);
        if (rc == SQLITE_OK)
            return;
        if ((rc & 0xff) != SQLITE_BUSY || waited.elapsed() > 10000)
            throw DbError(text);
        QThread::msleep(20);
    }
}

SqliteBackend::~SqliteBackend() {
    sqlite3_close_v2(m_db);
}

QString SqliteBackend::errorText() const {
    return fromUtf8(sqlite3_errmsg(m_db));
}

static Stmt prepare(sqlite3* db, const QString& sql, const QVariantList& params) {
    sqlite3_stmt* raw = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &raw, nullptr) != SQLITE_OK)
        throw DbError(fromUtf8(sqlite3_errmsg(db)));
    Stmt stmt(raw);
    if (!stmt)
        throw DbError(QStringLiteral("空的 SQL 语句"));
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params[i];
        const int n = i + 1;
        int rc;
        if (v.isNull()) {
            rc = sqlite3_bind_null(raw, n);
        } else {
            switch (v.typeId()) {
            case QMetaType::Bool:
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
                rc = sqlite3_bind_int64(raw, n, v.toLongLong());
                break;
            case QMetaType::Double:
                rc = sqlite3_bind_double(raw, n, v.toDouble());
                break;
            default: {
                const QByteArray s = v.toString().toUtf8();
                rc = sqlite3_bind_text(raw, n, s.constData(), int(s.size()), SQLITE_TRANSIENT);
            }
            }
        }
        if (rc != SQLITE_OK)
            throw DbError(fromUtf8(sqlite3_errmsg(db)));
    }
    return stmt;
}

QueryResult SqliteBackend::query(const QString& sql, const QVariantList& params) {
    Stmt stmt = prepare(m_db, sql, params);
    QueryResult result;
    const int n = sqlite3_column_count(stmt.get());
    result.columns.reserve(n);
    for (int c = 0; c < n; ++c) {
        result.columns.push_back({fromUtf8(sqlite3_column_name(stmt.get(), c)),
                                  fromUtf8(sqlite3_column_table_name(stmt.get(), c)),
                                  fromUtf8(sqlite3_column_origin_name(stmt.get(), c))});
    }
    for (;;) {
        const int rc = sqlite3_step(stmt.get());
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            throw DbError(errorText());
        QVector<QVariant> row(n);
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(stmt.get(), c)) {
            case SQLITE_INTEGER:
                row[c] = qlonglong(sqlite3_column_int64(stmt.get(), c));
                break;
            case SQLITE_FLOAT:
                row[c] = sqlite3_column_double(stmt.get(), c);
                break;
            case SQLITE_NULL:
                break;
            default:
                row[c] = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), c)),
                    sqlite3_column_bytes(stmt.get(), c));
            }
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

long long SqliteBackend::exec(const QString& sql, const QVariantList& params) {
    Stmt stmt = prepare(m_db, sql, params);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw DbError(errorText());
    return sqlite3_changes64(m_db);
}

void SqliteBackend::execScript(const QString& sql) {
    char* err = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = fromUtf8(err);
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

} // namespace tarvo::suite
