#include "DataFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace tarvo {

namespace {

/// The real folder of the library this code is part of. The loader may have found it through a
/// linked folder (on Debian `/lib` leads to `/usr/lib`), from which the data folder's relative
/// path would lead nowhere.
QString libraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&dataFile), &info) == 0 || !info.dli_fname)
        return {};
    const QFileInfo library(QFile::decodeName(info.dli_fname));
    const QString real = library.canonicalPath();
    return real.isEmpty() ? library.absolutePath() : real;
}

QString dataFolder() {
    const QString libraries = libraryFolder();
    if (libraries.isEmpty())
        return QStringLiteral(TARVO_DATA_INSTALLED);
    // Both ways are relative to the library, so no path of the machine that built it is kept.
    const QDir here(libraries);
    const QString installed =
        QDir::cleanPath(here.filePath(QStringLiteral(TARVO_DATA_FROM_LIBDIR)));
    const QString built =
        QDir::cleanPath(here.filePath(QStringLiteral(TARVO_DATA_FROM_BUILD_LIBDIR)));
    return !QFileInfo(installed).isDir() && QFileInfo(built).isDir() ? built : installed;
}

} // namespace

QString dataFile(const QString& relativePath) {
    static const QString folder = dataFolder();
    return folder + u'/' + relativePath;
}

} // namespace tarvo
