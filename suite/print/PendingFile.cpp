#include "PendingFile.h"

#include "Leftovers.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo::suite {

namespace {

/// What the umask leaves of 0666, read off a file created with that mode: setting the umask to
/// read it back would give files other threads create meanwhile the wrong mode.
std::optional<mode_t> modeForNew(const QString& probe) {
    const QByteArray name = QFile::encodeName(probe);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return std::nullopt;
    struct stat made {};
    const bool known = ::fstat(fd, &made) == 0;
    ::close(fd);
    ::unlink(name.constData());
    if (!known)
        return std::nullopt;
    return made.st_mode & 0777;
}

std::optional<mode_t> finalMode(const QString& path, const QString& probe) {
    struct stat existing {};
    if (::stat(QFile::encodeName(path).constData(), &existing) == 0)
        return existing.st_mode & 0777;
    return modeForNew(probe);
}

/// The hidden name the file fills under beside its target.
QString pendingPrefix(const QString& path) {
    return QStringLiteral(".%1.").arg(QFileInfo(path).fileName());
}

} // namespace

PendingFile::PendingFile(const QString& path)
    : m_path(path), m_tmp(QFileInfo(path).absoluteDir().filePath(
                        ownedPrefix(pendingPrefix(path)) + QStringLiteral("XXXXXX"))) {
    // A run killed while it wrote this file left its half behind.
    removeLeftovers(QFileInfo(path).absoluteDir(), pendingPrefix(path));
}

std::optional<QString> PendingFile::open() {
    if (!m_tmp.open())
        return m_tmp.errorString();
    m_tmp.close();
    return std::nullopt;
}

std::optional<QString> PendingFile::commit() {
    // The temporary file is owner-only while it fills.
    const auto mode = finalMode(m_path, m_tmp.fileName() + QStringLiteral(".mode"));
    if (!mode || ::chmod(QFile::encodeName(m_tmp.fileName()).constData(), *mode) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (std::rename(QFile::encodeName(m_tmp.fileName()).constData(),
                    QFile::encodeName(m_path).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    m_tmp.setAutoRemove(false);
    return std::nullopt;
}

} // namespace tarvo::suite
