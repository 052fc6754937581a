#pragma once

#include <QFile>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

#include <zip.h>

/// Writes a zip archive of the named parts. A part's bytes come from its producer, which is
/// called until it returns an empty piece, so that a part larger than the memory can be made.
inline bool
writeZipParts(const QString& path,
              const std::vector<std::pair<QString, std::function<QByteArray()>>>& parts) {
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const auto& [name, produce] : parts) {
        ok = ok &&
             zipOpenNewFileInZip64(zip, name.toUtf8().constData(), nullptr, nullptr, 0, nullptr, 0,
                                   nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION, 1) == ZIP_OK;
        for (QByteArray piece = produce(); ok && !piece.isEmpty(); piece = produce())
            ok = zipWriteInFileInZip(zip, piece.constData(), unsigned(piece.size())) == ZIP_OK;
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

/// A producer giving the bytes once.
inline std::function<QByteArray()> once(const QByteArray& bytes) {
    return [bytes, given = false]() mutable {
        return std::exchange(given, true) ? QByteArray() : bytes;
    };
}
