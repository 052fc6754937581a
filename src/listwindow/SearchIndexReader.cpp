#include "SearchIndexReader.h"

#include "ErrorHandling.h"

#include <QElapsedTimer>

#include <thread>

namespace tarvo {

namespace {
/// Rows read between two chances for the window to take the index: a few milliseconds' worth.
constexpr int kStep = 1024;
/// How often the window hears how far the reading is, at most.
constexpr int kToldEveryMs = 40;
} // namespace

std::unique_lock<std::mutex> SearchIndexBuild::hold() {
    windowWaiting.fetch_add(1);
    std::unique_lock lock(mutex);
    windowWaiting.fetch_sub(1);
    return lock;
}

void SearchIndexReader::read(const std::shared_ptr<SearchIndexBuild>& build, quint64 token) {
    const int rows = build->rs->storedRowCount();
    QElapsedTimer sinceTold;
    sinceTold.start();
    try {
        while (!build->cancelled) {
            while (build->windowWaiting.load() > 0)
                std::this_thread::yield();
            {
                const std::lock_guard lock(build->mutex);
                if (build->cancelled)
                    return;
                build->index.addRows(*build->rs, kStep);
                if (build->index.rowCount() == rows)
                    build->index.finish();
                build->rowsRead.store(build->index.rowCount());
            }
            const bool done = build->rowsRead.load() == rows;
            if (done || sinceTold.elapsed() >= kToldEveryMs) {
                Q_EMIT progressed(token, build->rowsRead.load());
                sinceTold.restart();
            }
            if (done)
                return;
        }
    } catch (const std::exception& e) {
        Q_EMIT failed(token, describe(e));
    }
}

} // namespace tarvo
