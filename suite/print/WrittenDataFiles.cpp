#include "WrittenDataFiles.h"

#include "PrintData.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QScopeGuard>

#include <mutex>
#include <stdexcept>

#include <sys/stat.h>

namespace tarvo::suite {

namespace {

/// What tells one state of a file from another: any write, truncation or replacement changes
/// the change time at least.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    qsizetype cellsPerRow = 0;

    bool operator==(const FileState& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec &&
               cellsPerRow == o.cellsPerRow;
    }
};

bool stateOf(const QString& path, qsizetype cellsPerRow, FileState& state) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    state = {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim, cellsPerRow};
    return true;
}

/// A print at a time needs one file; a few are kept for hosts that hold several.
constexpr qsizetype kRemembered = 16;

std::mutex g_mutex;
QHash<QString, FileState> g_files;

} // namespace

void rememberWrittenDataFile(const QString& path, qsizetype cellsPerRow) {
    FileState state;
    if (!stateOf(path, cellsPerRow, state))
        return;
    const std::lock_guard lock(g_mutex);
    if (g_files.size() >= kRemembered && !g_files.contains(path))
        g_files.clear();
    g_files.insert(path, state);
}

bool isWrittenDataFile(const QString& path, qsizetype cellsPerRow) {
    FileState now;
    if (!stateOf(path, cellsPerRow, now))
        return false;
    const std::lock_guard lock(g_mutex);
    const auto it = g_files.constFind(path);
    return it != g_files.constEnd() && *it == now;
}

QString writePrintDataFile(const PrintDataHeader& header, qsizetype cellsPerRow,
                           const std::function<bool(PrintDataWriter&)>& writeRows) {
    QFile file(newPrintDataFile());
    if (file.fileName().isEmpty() || !file.open(QIODevice::WriteOnly))
        throw std::runtime_error(
            QCoreApplication::translate("tarvo::suite::Pub", "无法建立打印数据文件").toStdString());
    auto removed = qScopeGuard([&file] { file.remove(); });
    PrintDataWriter writer(static_cast<QIODevice*>(&file), header);
    if (!writeRows(writer))
        return {};
    if (!writer.finish() || !file.flush())
        throw std::runtime_error(
            QCoreApplication::translate("tarvo::suite::Pub", "无法写入打印数据文件").toStdString());
    file.close();
    removed.dismiss();
    rememberWrittenDataFile(file.fileName(), cellsPerRow);
    return file.fileName();
}

} // namespace tarvo::suite
