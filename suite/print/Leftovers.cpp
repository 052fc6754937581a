#include "Leftovers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo::suite {

namespace {

bool processHasEnded(qint64 pid) {
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

bool ownedByThisUser(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && st.st_uid == ::geteuid();
}

} // namespace

QString ownedPrefix(const QString& prefix) {
    return prefix + QString::number(QCoreApplication::applicationPid()) + u'-';
}

void removeLeftovers(const QDir& dir, const QString& prefix) {
    const QStringList names =
        dir.entryList({prefix + u'*'}, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System |
                                           QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const qsizetype dash = name.indexOf(u'-', prefix.size());
        bool isNumber = false;
        const qint64 pid = name.mid(prefix.size(), dash - prefix.size()).toLongLong(&isNumber);
        const QString path = dir.filePath(name);
        if (dash < 0 || !isNumber || !processHasEnded(pid) || !ownedByThisUser(path))
            continue;
        QFileInfo(path).isDir() && !QFileInfo(path).isSymLink() ? QDir(path).removeRecursively()
                                                                 : QFile::remove(path);
    }
}

} // namespace tarvo::suite
