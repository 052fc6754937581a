#pragma once

#include <QIODevice>

#include <unzip.h>

namespace tarvo::suite {

/// One entry of an open zip archive as a device that inflates as it is read, so that a part of
/// a workbook is parsed without ever being held whole. An entry larger than the limit, by what
/// the archive says or by what it inflates to, is refused as too large rather than as damaged.
/// So is a stretch: more than stretchLimit bytes read past the last mark. An XML parser holds
/// a text or a tag whole until it has read to its end; marking at every token it reports bounds
/// what it can hold of any one, whatever the token is (text, attribute, comment, declaration).
class ZipEntryDevice : public QIODevice {
public:
    enum class State { Missing, Open, Damaged, TooLarge, StretchTooLong };

    ZipEntryDevice(unzFile zip, const QString& name, qint64 limit, qint64 stretchLimit);
    ~ZipEntryDevice() override;

    bool isSequential() const override { return true; }
    /// Open while it reads well; after the whole entry is read, Damaged when its checksum fails.
    State state() const { return m_state; }
    /// Closes the entry and checks what was read against its checksum.
    State finish();
    /// Starts a new stretch at what has been read so far.
    void mark() { m_marked = m_read; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    unzFile m_zip;
    qint64 m_limit;
    qint64 m_stretchLimit;
    qint64 m_read = 0;
    qint64 m_marked = 0;
    bool m_ended = false;
    State m_state = State::Missing;
};

} // namespace tarvo::suite
