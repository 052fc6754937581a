#pragma once

#include "IClsCommon.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace tarvo {

/// A long query's rows read a chunk at a time on a thread of its own, a few chunks ahead of the
/// one taken, so that the next rows come off the connection while the last ones are written.
/// Nothing else may use the connection until the object is gone.
class ChunksAhead {
public:
    ChunksAhead(ClsCommonPtr db, QString sql, QVector<FieldInfo> fields, int rowsPerChunk);
    /// Stops the reading where it is and waits for its thread.
    ~ChunksAhead();
    ChunksAhead(const ChunksAhead&) = delete;
    ChunksAhead& operator=(const ChunksAhead&) = delete;

    /// The next chunk, once read; null when the rows have ended, after which failed() tells
    /// whether they all came. Passes on what the reading threw.
    RecordsetPtr next();
    /// Whether the rows ended early, and why in the engine's words.
    bool failed() const { return m_failed; }
    const QString& error() const { return m_error; }

private:
    /// Chunks read and not yet taken: enough to keep the connection busy while one is written.
    static constexpr size_t kAhead = 2;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<RecordsetPtr> m_ready;
    bool m_ended = false;
    bool m_stop = false;
    bool m_failed = false;
    QString m_error;
    std::exception_ptr m_thrown;
    std::thread m_thread;

    void read(const ClsCommonPtr& db, QString sql, const QVector<FieldInfo>& fields,
              int rowsPerChunk);
};

} // namespace tarvo
