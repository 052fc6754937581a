#include "ChunksAhead.h"

namespace tarvo {

ChunksAhead::ChunksAhead(ClsCommonPtr db, QString sql, QVector<FieldInfo> fields, int rowsPerChunk)
    : m_thread([this, db = std::move(db), sql = std::move(sql), fields = std::move(fields),
                rowsPerChunk] { read(db, sql, fields, rowsPerChunk); }) {}

ChunksAhead::~ChunksAhead() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ChunksAhead::read(const ClsCommonPtr& db, QString sql, const QVector<FieldInfo>& fields,
                       int rowsPerChunk) {
    QString error;
    bool read = false;
    std::exception_ptr thrown;
    try {
        read = db->OpenXInChunks(
            sql, fields, rowsPerChunk,
            [this](const RecordsetPtr& chunk) {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return m_stop || m_ready.size() < kAhead; });
                if (m_stop)
                    return false;
                m_ready.push_back(chunk);
                m_changed.notify_all();
                return true;
            },
            error);
    } catch (...) {
        thrown = std::current_exception();
    }
    const std::lock_guard lock(m_mutex);
    m_ended = true;
    m_failed = !read && !thrown;
    m_error = error;
    m_thrown = thrown;
    m_changed.notify_all();
}

RecordsetPtr ChunksAhead::next() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_ended; });
    if (m_ready.empty()) {
        if (m_thrown)
            std::rethrow_exception(std::exchange(m_thrown, nullptr));
        return nullptr;
    }
    RecordsetPtr chunk = std::move(m_ready.front());
    m_ready.pop_front();
    m_changed.notify_all();
    return chunk;
}

} // namespace tarvo
