#include "ZipEntryDevice.h"

#include <algorithm>
#include <climits>

namespace tarvo::suite {

ZipEntryDevice::ZipEntryDevice(unzFile zip, const QString& name, qint64 limit, qint64 stretchLimit)
    : m_zip(zip), m_limit(limit), m_stretchLimit(stretchLimit) {
    if (unzLocateFile(zip, name.toUtf8().constData(), 0) != UNZ_OK)
        return;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        m_state = State::Damaged;
        return;
    }
    if (info.uncompressed_size > quint64(limit)) {
        m_state = State::TooLarge;
        return;
    }
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        m_state = State::Damaged;
        return;
    }
    m_state = State::Open;
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

ZipEntryDevice::~ZipEntryDevice() {
    finish();
}

ZipEntryDevice::State ZipEntryDevice::finish() {
    if (!isOpen())
        return m_state;
    close();
    // The checksum is only known once the whole entry has been inflated.
    const int closed = unzCloseCurrentFile(m_zip);
    if (m_state == State::Open && m_ended && closed != UNZ_OK)
        m_state = State::Damaged;
    return m_state;
}

qint64 ZipEntryDevice::readData(char* data, qint64 maxSize) {
    if (m_state != State::Open || m_ended)
        return -1;
    // One byte past a limit tells a part or a stretch exactly at it from one beyond it.
    const qint64 wanted = std::min(
        {maxSize, m_limit - m_read + 1, m_marked + m_stretchLimit - m_read + 1, qint64(INT_MAX)});
    const int n = unzReadCurrentFile(m_zip, data, unsigned(wanted));
    if (n < 0) {
        m_state = State::Damaged;
        return -1;
    }
    if (n == 0) {
        m_ended = true;
        return -1;
    }
    m_read += n;
    if (m_read > m_limit) {
        m_state = State::TooLarge;
        return -1;
    }
    if (m_read - m_marked > m_stretchLimit) {
        m_state = State::StretchTooLong;
        return -1;
    }
    return n;
}

} // namespace tarvo::suite
