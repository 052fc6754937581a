#include "PendingFile.h"

#include "Leftovers.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace tarvo::suite {

namespace {

mode_t finalMode(const QString& path) {
    struct stat existing {};
    if (::stat(QFile::encodeName(path).constData(), &existing) == 0)
        return existing.st_mode & 0777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
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
    if (::chmod(QFile::encodeName(m_tmp.fileName()).constData(), finalMode(m_path)) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (std::rename(QFile::encodeName(m_tmp.fileName()).constData(),
                    QFile::encodeName(m_path).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    m_tmp.setAutoRemove(false);
    return std::nullopt;
}

} // namespace tarvo::suite
