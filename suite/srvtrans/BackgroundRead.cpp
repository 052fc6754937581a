#include "BackgroundRead.h"

#include "RecordsetBuilder.h"
#include "SessionContext.h"

#include <QScopeGuard>

namespace tarvo::suite {

namespace {
/// ms: first rows found later than this would come barely before the whole list.
constexpr int kFirstRowsWithin = 400;
} // namespace

ReaderConnection::ReaderConnection(QString dbName) : m_dbName(std::move(dbName)) {}

ReaderConnection::~ReaderConnection() = default;

AccountDatabase& ReaderConnection::database() {
    if (!m_db) {
        AccountDatabasePtr db = AccountDatabase::open(m_dbName);
        m_builder = std::make_unique<RecordsetBuilder>(db->dictionary());
        const std::lock_guard lock(m_guard);
        m_db = std::move(db);
    }
    return *m_db;
}

void ReaderConnection::serve(const void* read) {
    const std::lock_guard lock(m_guard);
    m_serving = read;
}

void ReaderConnection::interrupt(const void* read) {
    const std::lock_guard lock(m_guard);
    if (m_db && m_serving == read)
        m_db->sql().interrupt();
}

BackgroundRead::BackgroundRead(std::shared_ptr<ReaderConnection> reader, QString text,
                               QString firstText, std::function<void()> ended)
    : m_reader(std::move(reader)), m_text(std::move(text)), m_firstText(std::move(firstText)),
      m_ended(std::move(ended)), m_thread(carryingSession([this] { run(); })) {}

BackgroundRead::~BackgroundRead() {
    cancel();
    m_thread.join();
}

void BackgroundRead::run() {
    {
        const std::lock_guard use(m_reader->inUse);
        m_reader->serve(this);
        const auto done = qScopeGuard([this] { m_reader->serve(nullptr); });
        RecordsetPtr all;
        QString error;
        // A read cancelled while it waited for the connection has nothing to do.
        const State end = m_cancelled ? State::Cancelled : read(all, error);
        // Ended before the connection passes on: the read that waits for it never starts
        // beside one that has not yet said it ended.
        const std::lock_guard lock(m_mutex);
        m_error = error;
        m_all = end == State::Failed ? nullptr : all ? all : m_first;
        m_state = end;
    }
    if (m_ended)
        m_ended();
}

RowLoad::State BackgroundRead::read(RecordsetPtr& all, QString& error) {
    try {
        AccountDatabase& db = m_reader->database();
        db.noticeSchemaChange();
        // A cancel before the first row stops the statement wherever it is, even one that came
        // before the statement started; once rows come, rowRead stops them and they are kept.
        db.sql().stopWhen([this] { return m_cancelled && m_rows == 0; });
        const auto unwatched = qScopeGuard([&db] { db.sql().stopWhen({}); });
        readFirstRows(db);
        if (m_cancelled)
            return State::Cancelled;
        all = queryRecordset(db.sql(), m_reader->builder(), m_text, {},
                             [this](const StoredResult& r) { return rowRead(r); });
        return m_stopped ? State::Cancelled : State::Done;
    } catch (const DbError& e) {
        // Stopped before its first row, or failed.
        error = e.text();
        return m_cancelled ? State::Cancelled : State::Failed;
    } catch (const RecordsetError& e) {
        error = e.description();
        return State::Failed;
    }
}

void BackgroundRead::readFirstRows(AccountDatabase& db) {
    if (m_firstText.isEmpty() || m_cancelled)
        return;
    SqlBackend& sql = db.sql();
    RecordsetPtr first;
    try {
        // First rows that take long to find come no sooner than the whole query's.
        sql.limitStatementTime(kFirstRowsWithin);
        first = queryRecordset(sql, m_reader->builder(), m_firstText, {});
    } catch (const DbError&) {
        // Too slow, stopped or refused: the whole query, read next, says why if it fails too.
    } catch (const RecordsetError&) {
    }
    sql.limitStatementTime(0);
    if (!first)
        return;
    m_haveFirst = true;
    const std::lock_guard lock(m_mutex);
    m_first = std::move(first);
}

bool BackgroundRead::rowRead(const StoredResult& result) {
    const int n = result.cells.rowCount();
    m_rows = n;
    if (n == kFirstRows && !m_haveFirst) {
        RecordsetPtr first =
            m_reader->builder().build(StoredResult{result.columns, result.cells.head(n)});
        const std::lock_guard lock(m_mutex);
        m_first = std::move(first);
    }
    if (m_cancelled)
        m_stopped = true;
    return !m_stopped;
}

RecordsetPtr BackgroundRead::firstRows() const {
    const std::lock_guard lock(m_mutex);
    return m_first;
}

RecordsetPtr BackgroundRead::rows() const {
    const std::lock_guard lock(m_mutex);
    return m_state == State::Reading ? nullptr : m_all;
}

QString BackgroundRead::error() const {
    const std::lock_guard lock(m_mutex);
    return m_error;
}

void BackgroundRead::cancel() {
    if (m_state != State::Reading || m_cancelled.exchange(true))
        return;
    // A statement still before its first row (the engine sorting, the server thinking) is
    // stopped; one amid its rows stops at the next.
    if (m_rows == 0)
        m_reader->interrupt(this);
}

} // namespace tarvo::suite
