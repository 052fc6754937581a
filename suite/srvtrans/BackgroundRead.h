#pragma once

#include "AccountDatabase.h"
#include "RowLoad.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace tarvo::suite {

class RecordsetBuilder;

/// A connection of its own to the accounting database for reads beside the session's: opened
/// by the first read's thread (a server may take its time to answer), kept for the next, and
/// used by one read at a time.
class ReaderConnection {
public:
    explicit ReaderConnection(QString dbName);
    ~ReaderConnection();

    /// Held by a read for as long as it runs.
    std::mutex inUse;
    /// Opens the connection when it is not yet; under inUse.
    AccountDatabase& database();
    RecordsetBuilder& builder() { return *m_builder; }
    /// Under inUse: the read the connection works for now (null: none), the only one
    /// interrupt() reaches.
    void serve(const void* read);
    /// From any thread: see SqlBackend::interrupt; only while the connection works for read,
    /// never on the statement of the read after it.
    void interrupt(const void* read);

private:
    QString m_dbName;
    std::mutex m_guard; ///< guards m_db and m_serving for interrupt()
    AccountDatabasePtr m_db;
    const void* m_serving = nullptr;
    std::unique_ptr<RecordsetBuilder> m_builder;
};

/// A query read on a thread of its own over a ReaderConnection. The first rows are set aside
/// as soon as they are read, for the window to show while the rest come.
class BackgroundRead : public RowLoad {
public:
    /// More than a window shows, few enough to be read at once.
    static constexpr int kFirstRows = 500;

    /// Starts reading text, already in the engine's dialect; ended is called on the reading
    /// thread once the state is no longer Reading. A firstText (the same query cut to its first
    /// kFirstRows rows) is read before it, for an engine that would otherwise give no row before
    /// it has sorted them all.
    BackgroundRead(std::shared_ptr<ReaderConnection> reader, QString text, QString firstText,
                   std::function<void()> ended);
    /// Cancels the read and waits for its thread.
    ~BackgroundRead() override;

    State state() const override { return m_state; }
    int rowsRead() const override { return m_rows; }
    RecordsetPtr firstRows() const override;
    RecordsetPtr rows() const override;
    QString error() const override;
    void cancel() override;

private:
    std::shared_ptr<ReaderConnection> m_reader;
    QString m_text;
    QString m_firstText;
    std::function<void()> m_ended;
    std::atomic<State> m_state{State::Reading};
    std::atomic<int> m_rows{0};
    std::atomic<bool> m_cancelled{false};
    /// Set on the reading thread when a cancel stopped the rows.
    bool m_stopped = false;
    /// Set on the reading thread once the first rows are set aside.
    bool m_haveFirst = false;
    mutable std::mutex m_mutex; ///< guards the three below
    RecordsetPtr m_first;
    RecordsetPtr m_all;
    QString m_error;
    std::thread m_thread;

    void run();
    /// Under the connection: reads the rows; how the read ended.
    State read(RecordsetPtr& all, QString& error);
    void readFirstRows(AccountDatabase& db);
    bool rowRead(const StoredResult& result);
};

} // namespace tarvo::suite
