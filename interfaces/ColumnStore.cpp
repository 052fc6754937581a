#include "ColumnStore.h"

#include "Recordset.h"

#include <QCoreApplication>
#include <QFile>
#include <QVarLengthArray>

#include <algorithm>
#include <cstring>
#include <utility>

namespace tarvo {

namespace {

// A column's run of bytes (and of words) lies in blocks of f, 2f, 4f … units, doubling `levels`
// times, then of 2^levels f units each: a short result takes little, a long one grows in
// blocks of one size.
struct Blocks {
    size_t f;
    int levels;
    size_t uniform() const { return f << levels; }
    size_t small() const { return ((size_t(1) << levels) - 1) * f; } ///< run of the doubling ones
    int index(size_t pos) const {
        if (pos >= small())
            return levels + int((pos - small()) / uniform());
        int i = 0;
        while ((size_t(2) << i) - 1 <= pos / f)
            ++i;
        return i;
    }
    size_t start(int i) const {
        return i < levels ? ((size_t(1) << i) - 1) * f : small() + size_t(i - levels) * uniform();
    }
    size_t size(int i) const { return i < levels ? f << i : uniform(); }
};

constexpr Blocks kData{256, 8}; // up to 64 KB
constexpr Blocks kWords{64, 8}; // up to 16 K cells

// A cell's word: the end of its bytes in the column's run (low 29 bits), whether it was moved
// to the start of the next block because it did not fit in the rest of its own (bit 29), and
// its kind (top 2 bits). A cell starts where the one before it ends, or, when moved, at the
// start of the block after the one where the cell before it ends.
constexpr quint32 kEndMask = (quint32(1) << 29) - 1;
constexpr quint32 kMoved = quint32(1) << 29;
constexpr int kKindShift = 30;

} // namespace

struct ColumnStore::Column {
    /// Block 0 of each lies in the store's first blocks; the column owns the others.
    QVarLengthArray<char*, 4> data;
    QVarLengthArray<quint32*, 4> words;
    size_t end = 0; ///< bytes used of the run, blocks' unused tails included
    size_t cells = 0;
    /// Where in the run the last data block lies, and which cells the last word block holds.
    size_t blockStart = 0, blockEnd = 0;
    size_t wordsStart = 0, wordsEnd = 0;
    /// The full-size blocks lie in the store's file, not in memory the column owns.
    bool mapped = false;

    Column() = default;
    Column(const Column&) = delete;
    Column& operator=(const Column&) = delete;
    ~Column() {
        for (qsizetype b = 1; b < data.size(); ++b)
            if (!mapped || b < kData.levels)
                delete[] data[b];
        for (qsizetype b = 1; b < words.size(); ++b)
            if (!mapped || b < kWords.levels)
                delete[] words[b];
    }

    quint32 word(size_t i) const {
        const int b = kWords.index(i);
        return words[b][i - kWords.start(b)];
    }
    size_t start(size_t i) const {
        const size_t before = i > 0 ? word(i - 1) & kEndMask : 0;
        if (word(i) & kMoved)
            return kData.start(kData.index(before) + 1);
        return before;
    }
    /// Where a run offset lies, and how many bytes of its block follow it.
    char* at(size_t offset, size_t& room) const {
        const int b = kData.index(offset);
        const size_t inBlock = offset - kData.start(b);
        room = kData.size(b) - inBlock;
        return data[b] + inBlock;
    }
    /// Copies bytes [begin, end) of the run to out.
    void gather(size_t begin, size_t end, char* out) const {
        while (begin < end) {
            size_t room;
            const char* from = at(begin, room);
            const size_t n = std::min(end - begin, room);
            std::memcpy(out, from, n);
            out += n;
            begin += n;
        }
    }
};

ColumnStore::ColumnStore(int columns) : m_columns(size_t(std::max(columns, 0))) {}

int ColumnStore::columnCount() const {
    return int(m_columns.size());
}

ColumnStore::ColumnStore(ColumnStore&&) noexcept = default;
ColumnStore& ColumnStore::operator=(ColumnStore&&) noexcept = default;
ColumnStore::~ColumnStore() = default;

char* ColumnStore::firstDataBlock(int col) {
    if (!m_firstBlocks)
        m_firstBlocks.reset(new char[m_columns.size() * (kData.size(0) + kWords.size(0) * 4)]);
    return m_firstBlocks.get() + m_columns.size() * kWords.size(0) * 4 +
           size_t(col) * kData.size(0);
}

quint32* ColumnStore::firstWordBlock(int col) {
    firstDataBlock(col);
    return reinterpret_cast<quint32*>(m_firstBlocks.get()) + size_t(col) * kWords.size(0);
}

void ColumnStore::add(int col, Kind kind, const char* bytes, qsizetype size) {
    Column& c = m_columns[size_t(col)];
    quint32 flags = quint32(kind) << kKindShift;
    size_t begin = c.end;
    if (size_t(size) <= c.blockEnd - begin) {
        // The common case: the cell fits in the rest of the block being filled.
        if (size > 0)
            std::memcpy(c.data.back() + (begin - c.blockStart), bytes, size_t(size));
    } else {
        const int block = kData.index(begin);
        const size_t room = kData.start(block) + kData.size(block) - begin;
        // A cell that fits in a block does not straddle two (numbers always fit), so that it
        // is read in place.
        if (size_t(size) > room && size_t(size) <= kData.uniform() && begin != kData.start(block)) {
            begin = kData.start(block + 1);
            flags |= kMoved;
        }
        const size_t end = begin + size_t(size);
        if (end > kEndMask)
            throw RecordsetError(QCoreApplication::translate(
                "tarvo::Recordset", "查询结果的一列超过 512 MB，无法读入"));
        while (c.data.size() < kData.index(end - 1) + 1)
            c.data.push_back(c.data.isEmpty() ? firstDataBlock(col)
                                              : new char[kData.size(int(c.data.size()))]);
        for (size_t done = 0; done < size_t(size);) {
            size_t space;
            char* to = c.at(begin + done, space);
            const size_t n = std::min(size_t(size) - done, space);
            std::memcpy(to, bytes + done, n);
            done += n;
        }
        const int last = int(c.data.size()) - 1;
        c.blockStart = kData.start(last);
        c.blockEnd = c.blockStart + kData.size(last);
    }
    if (c.cells == c.wordsEnd) {
        const int b = int(c.words.size());
        c.words.push_back(b == 0 ? firstWordBlock(col) : new quint32[kWords.size(b)]);
        c.wordsStart = kWords.start(b);
        c.wordsEnd = c.wordsStart + kWords.size(b);
    }
    c.words.back()[c.cells - c.wordsStart] = quint32(begin + size_t(size)) | flags;
    ++c.cells;
    c.end = begin + size_t(size);
}

void ColumnStore::addNull(int col) {
    add(col, Kind::Null, nullptr, 0);
}

void ColumnStore::addInteger(int col, qint64 value) {
    // Small integers (flags, codes, counts) take the fewest bytes that hold them.
    char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    qsizetype size = 8;
    if (value == qint8(value))
        size = 1;
    else if (value == qint16(value))
        size = 2;
    else if (value == qint32(value))
        size = 4;
    add(col, Kind::Integer, raw, size);
}

void ColumnStore::addReal(int col, double value) {
    char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    add(col, Kind::Real, raw, sizeof value);
}

void ColumnStore::addText(int col, const char* utf8, qsizetype size) {
    add(col, Kind::Text, utf8, size);
}

ColumnStore::Kind ColumnStore::kind(int row, int col) const {
    return Kind(m_columns[size_t(col)].word(size_t(row)) >> kKindShift);
}

qsizetype ColumnStore::copyOut(int row, int col, char* out, qsizetype room) const {
    const Column& c = m_columns[size_t(col)];
    const size_t begin = c.start(size_t(row));
    const size_t end = c.word(size_t(row)) & kEndMask;
    const qsizetype size = qsizetype(end - begin);
    if (size <= room)
        c.gather(begin, end, out);
    return size;
}

qint64 ColumnStore::integer(int row, int col) const {
    char raw[8];
    switch (copyOut(row, col, raw, sizeof raw)) {
    case 1:
        return qint8(raw[0]);
    case 2: {
        qint16 v;
        std::memcpy(&v, raw, sizeof v);
        return v;
    }
    case 4: {
        qint32 v;
        std::memcpy(&v, raw, sizeof v);
        return v;
    }
    default: {
        qint64 v;
        std::memcpy(&v, raw, sizeof v);
        return v;
    }
    }
}

double ColumnStore::real(int row, int col) const {
    char raw[8];
    copyOut(row, col, raw, sizeof raw);
    double v;
    std::memcpy(&v, raw, sizeof v);
    return v;
}

QString ColumnStore::text(int row, int col) const {
    const Column& c = m_columns[size_t(col)];
    const size_t begin = c.start(size_t(row));
    const size_t end = c.word(size_t(row)) & kEndMask;
    if (begin == end)
        return QStringLiteral("");
    size_t room;
    const char* in = c.at(begin, room);
    if (end - begin <= room)
        return QString::fromUtf8(in, qsizetype(end - begin));
    QByteArray bytes(qsizetype(end - begin), Qt::Uninitialized);
    c.gather(begin, end, bytes.data());
    return QString::fromUtf8(bytes);
}

void ColumnStore::appendBytes(int row, int col, QByteArray& out) const {
    const Column& c = m_columns[size_t(col)];
    const size_t begin = c.start(size_t(row));
    const size_t end = c.word(size_t(row)) & kEndMask;
    const qsizetype at = out.size();
    out.resize(at + qsizetype(end - begin));
    c.gather(begin, end, out.data() + at);
}

ColumnStore ColumnStore::head(int rows) const {
    ColumnStore out(columnCount());
    QByteArray cell;
    for (int row = 0; row < std::min(rows, m_rows); ++row) {
        for (int col = 0; col < columnCount(); ++col) {
            const Column& c = m_columns[size_t(col)];
            const size_t begin = c.start(size_t(row));
            const size_t end = c.word(size_t(row)) & kEndMask;
            cell.resize(qsizetype(end - begin));
            c.gather(begin, end, cell.data());
            out.add(col, kind(row, col), cell.constData(), cell.size());
        }
        out.endRow();
    }
    return out;
}

bool ColumnStore::writeTo(QFile& file) const {
    for (const Column& c : m_columns) {
        for (qsizetype b = kData.levels; b < c.data.size(); ++b)
            if (file.write(c.data[b], qint64(kData.uniform())) != qint64(kData.uniform()))
                return false;
        const qint64 wordBytes = qint64(kWords.uniform() * sizeof(quint32));
        for (qsizetype b = kWords.levels; b < c.words.size(); ++b)
            if (file.write(reinterpret_cast<const char*>(c.words[b]), wordBytes) != wordBytes)
                return false;
    }
    return file.flush();
}

bool ColumnStore::readFrom(std::unique_ptr<QFile> file) {
    qint64 written = 0;
    for (const Column& c : m_columns)
        written += qint64(std::max<qsizetype>(c.data.size() - kData.levels, 0) * kData.uniform() +
                          std::max<qsizetype>(c.words.size() - kWords.levels, 0) *
                              kWords.uniform() * sizeof(quint32));
    if (m_file || written == 0 || file->size() != written)
        return false;
    uchar* at = file->map(0, file->size());
    if (!at)
        return false;
    // In the order writeTo wrote them; every block is a whole number of pages.
    for (Column& c : m_columns) {
        for (qsizetype b = kData.levels; b < c.data.size(); ++b) {
            delete[] std::exchange(c.data[b], reinterpret_cast<char*>(at));
            at += kData.uniform();
        }
        for (qsizetype b = kWords.levels; b < c.words.size(); ++b) {
            delete[] std::exchange(c.words[b], reinterpret_cast<quint32*>(at));
            at += kWords.uniform() * sizeof(quint32);
        }
        c.mapped = true;
    }
    m_file = std::move(file);
    return true;
}

qsizetype ColumnStore::bytes() const {
    qsizetype n = 0;
    for (const auto& c : m_columns) {
        for (qsizetype b = 0; b < c.data.size(); ++b)
            n += qsizetype(kData.size(int(b)));
        for (qsizetype b = 0; b < c.words.size(); ++b)
            n += qsizetype(kWords.size(int(b)) * sizeof(quint32));
    }
    return n;
}

} // namespace tarvo
