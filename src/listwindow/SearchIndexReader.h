#pragma once

#include "QuickSearchIndex.h"
#include "Recordset.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

namespace tarvo {

/// A long list's search index while a thread of its own reads it, and what that thread shares
/// with the window: the window searches the rows read so far while the rest are read.
struct SearchIndexBuild {
    SearchIndexBuild(RecordsetPtr rows, const QVector<QuickSearchIndex::Field>& fields)
        : rs(std::move(rows)), index(fields) {}

    const RecordsetPtr rs;
    /// Read and searched only with mutex held, until rowsRead counts every row.
    QuickSearchIndex index;
    std::mutex mutex;
    /// The window asks for mutex: the reader lets it have it before its next step, which would
    /// otherwise take it back at once.
    std::atomic<int> windowWaiting{0};
    /// Rows in the index; once it is every row, the reader is done with the index.
    std::atomic<int> rowsRead{0};
    std::atomic<bool> cancelled{false};

    /// Holds the index (and the rows it reads) against the reader; the reader is never more
    /// than one step away from letting go.
    std::unique_lock<std::mutex> hold();
};

/// Reads search indexes on the thread it lives on, one build after the other, saying how far
/// it is by its signals; a cancelled build is left after the step under way.
class SearchIndexReader : public QObject {
    Q_OBJECT
public:
    void read(const std::shared_ptr<SearchIndexBuild>& build, quint64 token);

Q_SIGNALS:
    /// rows are in the index of the build numbered token; all of them when it is done.
    void progressed(quint64 token, int rows);
    void failed(quint64 token, const QString& message);
};

} // namespace tarvo
