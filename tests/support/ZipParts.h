#pragma once

#include <QFile>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

#include <zip.h>
#include <zlib.h>

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

/// A part of a head, a piece repeated count times, and a tail.
struct RepeatedPart {
    QString name;
    QByteArray head;
    QByteArray piece;
    qint64 count = 0;
    QByteArray tail;
};

/// Bytes deflated on their own, as blocks that others may follow (the last one when last).
inline QByteArray deflated(const QByteArray& bytes, bool last) {
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&z, uLong(bytes.size())) + 64), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    z.avail_in = uInt(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    const int done = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return done == (last ? Z_STREAM_END : Z_OK) && z.avail_in == 0 ? out : QByteArray();
}

/// Writes a zip archive of parts whose pieces repeat, in the time of its compressed size: each
/// piece is deflated once, as blocks any others may follow, and written as often as it repeats,
/// so that a part of gigabytes takes kilobytes and milliseconds.
inline bool writeRepeatedZipParts(const QString& path, const std::vector<RepeatedPart>& parts) {
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool ok = true;
    for (const RepeatedPart& part : parts) {
        const QByteArray head = deflated(part.head, false);
        const QByteArray piece = deflated(part.piece, false);
        const QByteArray tail = deflated(part.tail, true);
        ok = ok && !head.isEmpty() && !piece.isEmpty() && !tail.isEmpty() &&
             zipOpenNewFileInZip2_64(zip, part.name.toUtf8().constData(), nullptr, nullptr, 0,
                                     nullptr, 0, nullptr, Z_DEFLATED, Z_BEST_COMPRESSION, 1,
                                     1) == ZIP_OK;
        const auto write = [&](const QByteArray& bytes) {
            ok =
                ok && zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size())) == ZIP_OK;
        };
        write(head);
        uLong crc =
            crc32(0, reinterpret_cast<const Bytef*>(part.head.constData()), uInt(part.head.size()));
        const uLong pieceCrc = crc32(0, reinterpret_cast<const Bytef*>(part.piece.constData()),
                                     uInt(part.piece.size()));
        for (qint64 i = 0; i < part.count; ++i) {
            write(piece);
            crc = crc32_combine(crc, pieceCrc, z_off_t(part.piece.size()));
        }
        write(tail);
        crc = crc32_combine(
            crc,
            crc32(0, reinterpret_cast<const Bytef*>(part.tail.constData()), uInt(part.tail.size())),
            z_off_t(part.tail.size()));
        const qint64 size = part.head.size() + part.count * part.piece.size() + part.tail.size();
        ok = ok && zipCloseFileInZipRaw64(zip, ZPOS64_T(size), crc) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}
