#include "QuickSearchIndex.h"

#include "Pinyin.h"
#include "SessionContext.h"
#include "Utf8Append.h"

#include <algorithm>
#include <bit>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstring>
#include <future>
#include <limits>
#include <stdexcept>

namespace tarvo {

namespace {

/// Queries longer than this are matched as plain text only.
constexpr int kLongestPinyinQuery = 63;
constexpr size_t kRowsWorthASecondThread = 100000;
/// Room kept for the rows after the first slice: this times what that slice foretells.
constexpr double kForetold = 1.1;
constexpr quint32 kNoName = std::numeric_limits<quint32>::max();
/// The first of the two numbers that stand for a unit above 0x7fff.
constexpr quint32 kLongUnit = 0x8000;

bool isSeparator(char32_t c) {
    return QChar::isSpace(c) || c == U'-';
}

/// A bit per letter and digit, one for everything else.
quint64 letterBit(char32_t c) {
    if (c >= 'a' && c <= 'z')
        return quint64(1) << (c - 'a');
    if (c >= '0' && c <= '9')
        return quint64(1) << (26 + c - '0');
    return quint64(1) << 63;
}

/// A bit per letter a syllable or a Latin letter of a name can start a query with.
quint64 initialBit(char32_t c) {
    return c >= 'a' && c <= 'z' ? quint64(1) << (36 + c - 'a') : 0;
}

/// Small letters character by character, the same for what is indexed and what is typed, so
/// that no letter is longer on one side than on the other. A capital whose small form is more
/// than one character (İ) takes the first of them.
char32_t lower(char32_t c) {
    if (c < 0x80)
        return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
    const char32_t l = QChar::toLower(c);
    if (l != c || QChar::category(c) != QChar::Letter_Uppercase)
        return l;
    return QString::fromUcs4(&c, 1).toLower().toUcs4().value(0, c);
}

using suite::appendUtf8;

/// Where needle first is in haystack, or null. glibc's memmem takes 15 ms for a needle of two
/// letters in the 30 MB of a million accounts; comparing sixteen places at a time by the
/// needle's first and last byte takes a few.
const char* find(const char* haystack, size_t size, const QByteArray& needle) {
    const auto k = size_t(needle.size());
    const char* n = needle.constData();
    if (k == 1)
        return static_cast<const char*>(std::memchr(haystack, n[0], size));
    if (k > size)
        return nullptr;
    size_t i = 0;
#ifdef __SSE2__
    const __m128i first = _mm_set1_epi8(n[0]);
    const __m128i last = _mm_set1_epi8(n[k - 1]);
    for (; i + k - 1 + 16 <= size; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(haystack + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(haystack + i + k - 1));
        auto mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask) {
            const size_t at = i + size_t(std::countr_zero(mask));
            if (std::memcmp(haystack + at + 1, n + 1, k - 2) == 0)
                return haystack + at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i + k <= size; ++i)
        if (haystack[i] == n[0] && std::memcmp(haystack + i, n, k) == 0)
            return haystack + i;
    return nullptr;
}

void appendUnit(std::vector<quint16>& out, quint32 unit) {
    if (unit < kLongUnit) {
        out.push_back(quint16(unit));
    } else {
        out.push_back(quint16(kLongUnit | (unit >> 16)));
        out.push_back(quint16(unit & 0xffff));
    }
}

size_t hashUnits(const quint16* units, size_t count) {
    return qHashBits(units, count * sizeof(quint16));
}

template <typename T> void release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

template <typename T> qsizetype bytesOf(const std::vector<T>& v) {
    return qsizetype(v.capacity() * sizeof(T));
}

} // namespace

struct QuickSearchIndex::Query {
    /// What is typed, trimmed and in small letters: as UTF-8 for codes and account numbers,
    /// as characters for names.
    QByteArray text;
    std::vector<char32_t> chars;
    /// The same without separators, for account numbers.
    QByteArray digits;
    /// The same without blanks, for pinyin.
    std::vector<char32_t> spelled;
    bool byPinyin = false;
    /// The letters, digits and other characters a name must hold to match.
    quint64 needed = 0;
    /// For one letter or digit typed, the one bit of a name that tells whether it matches.
    quint64 single = 0;

    explicit Query(const QString& query) {
        for (const uint c : query.trimmed().toUcs4()) {
            const char32_t l = lower(c);
            chars.push_back(l);
            appendUtf8(text, l);
            if (!isSeparator(l))
                appendUtf8(digits, l);
            if (!QChar::isSpace(l)) {
                spelled.push_back(l);
                needed |= letterBit(l);
            }
        }
        byPinyin = !spelled.empty() && spelled.size() <= size_t(kLongestPinyinQuery);
        if (chars.size() == 1 && chars[0] >= 'a' && chars[0] <= 'z')
            single = initialBit(chars[0]);
        else if (chars.size() == 1 && chars[0] >= '0' && chars[0] <= '9')
            single = letterBit(chars[0]); // readings hold no digits
    }
};

QVector<QuickSearchIndex::Field> QuickSearchIndex::fieldsOf(const Recordset& rs,
                                                           const QString& keyField) {
    QVector<Field> fields;
    for (int i = 0; i < rs.FieldCount(); ++i) {
        const QString name = rs.FieldAt(i).name.toLower();
        // A clerk holding a payment slip looks the account up by the 联行号 printed on it.
        if (name == keyField.toLower() || name == u"cunionbankno")
            fields.push_back({i, Kind::Code});
        else if (name == u"cbname" || name == u"cbankname" || name == u"caccname")
            fields.push_back({i, Kind::Name});
        else if (name == u"cbaccount")
            fields.push_back({i, Kind::AccountNumber});
    }
    return fields;
}

QuickSearchIndex::QuickSearchIndex(const Recordset& rs, const QVector<Field>& fields)
    : QuickSearchIndex(fields) {
    addRows(rs, rs.storedRowCount());
    finish();
}

QuickSearchIndex::QuickSearchIndex(const QVector<Field>& fields) : m_fields(fields) {
    for (const Field& f : fields) {
        m_namesPerRow += f.kind == Kind::Name ? 1 : 0;
        m_accountFields += f.kind == Kind::AccountNumber ? 1 : 0;
    }
    m_namesFirstSeen.assign(size_t(m_namesPerRow), 0);
}

void QuickSearchIndex::addRows(const Recordset& rs, int count) {
    const int first = rowCount();
    const int end = std::min(rs.storedRowCount(), first + std::max(0, count));
    if (first == 0) {
        const size_t rows = size_t(rs.storedRowCount());
        m_textEnd.reserve(rows);
        m_digitsEnd.reserve(rows);
        m_nameOfRow.reserve(rows * size_t(m_namesPerRow));
    }
    QByteArray stripped;
    for (int r = first; r < end; ++r) {
        // Account numbers lead the row, so that the digits search finds them as they are when
        // they hold no separator to leave out.
        stripped.clear();
        bool separated = false;
        for (const Field& f : m_fields) {
            if (f.kind != Kind::AccountNumber)
                continue;
            for (const uint c : rs.valueAt(r, f.field).toString().toUcs4()) {
                const char32_t l = c == '\n' ? U' ' : lower(c);
                appendUtf8(m_text, l);
                if (isSeparator(l))
                    separated = true;
                else
                    appendUtf8(stripped, l);
            }
            m_text += '\n';
            stripped += '\n';
        }
        if (separated)
            m_digits += stripped;
        int name = 0;
        for (const Field& f : m_fields) {
            if (f.kind == Kind::AccountNumber)
                continue;
            const QString value = rs.valueAt(r, f.field).toString();
            if (f.kind == Kind::Name) {
                const size_t known = m_nameLetters.size();
                m_nameOfRow.push_back(addName(value));
                m_namesFirstSeen[size_t(name++)] += m_nameLetters.size() - known;
                continue;
            }
            for (const uint c : value.toUcs4())
                appendUtf8(m_text, c == '\n' ? U' ' : lower(c));
            m_text += '\n';
        }
        if (quint64(m_text.size()) > std::numeric_limits<quint32>::max() ||
            quint64(m_digits.size()) > std::numeric_limits<quint32>::max())
            throw std::length_error("the list is too long to search");
        m_textEnd.push_back(quint32(m_text.size()));
        m_digitsEnd.push_back(quint32(m_digits.size()));
    }
    // Room for the rest as the first rows foretell it: a buffer doubled as it fills needs
    // twice the room for a moment, and copying it (or rehashing the names) holds the window.
    if (first == 0 && end > 0) {
        const double rest = kForetold * rs.storedRowCount() / end;
        m_text.reserve(qsizetype(rest * double(m_text.size())));
        m_nameUnits.reserve(size_t(rest * double(m_nameUnits.size())));
        m_nameStart.reserve(size_t(rest * double(m_nameStart.size())));
        m_nameLetters.reserve(size_t(rest * double(m_nameLetters.size())));
        while (double(m_nameSlots.size()) < 2 * rest * double(m_nameLetters.size()))
            growNameSlots();
    }
}

void QuickSearchIndex::finish() {
    release(m_nameSlots);
    m_unitOf = {};
    m_readingAt = {};
    // Copying a million rows' keys to give back a little room would hold the window for a
    // moment: only what the first rows foretold badly is copied.
    const auto tight = [](auto& v) {
        if (double(v.capacity()) > kForetold * 1.1 * double(v.size()))
            v.shrink_to_fit();
    };
    if (double(m_text.capacity()) > kForetold * 1.1 * double(m_text.size()))
        m_text.squeeze();
    m_digits.squeeze();
    tight(m_nameStart);
    tight(m_nameUnits);
    tight(m_nameLetters);
    m_units.shrink_to_fit();
}

quint32 QuickSearchIndex::unitOf(char32_t ch, const QByteArray& reading) {
    quint32 at = std::numeric_limits<quint32>::max();
    if (!reading.isEmpty()) {
        auto it = m_readingAt.constFind(reading);
        if (it == m_readingAt.cend()) {
            it = m_readingAt.insert(reading, quint32(m_readings.size()));
            m_readings += reading;
        }
        at = *it;
    }
    const quint64 key = (quint64(ch) << 32) | at;
    auto it = m_unitOf.constFind(key);
    if (it == m_unitOf.cend()) {
        it = m_unitOf.insert(key, quint32(m_units.size()));
        m_units.push_back({ch, reading.isEmpty() ? 0 : at, quint32(reading.size())});
    }
    return *it;
}

quint32 QuickSearchIndex::addName(const QString& value) {
    if (value.isEmpty())
        return kNoName;
    thread_local std::vector<quint16> units;
    units.clear();
    const QList<uint> chars = value.toUcs4();
    const QVector<QByteArray> readings = Pinyin::syllables(value);
    quint64 letters = 0;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t ch = lower(chars[i]);
        const QByteArray& reading = readings[i];
        appendUnit(units, unitOf(ch, reading));
        if (QChar::isSpace(ch))
            continue;
        letters |= letterBit(ch) | initialBit(ch);
        if (!reading.isEmpty())
            letters |= initialBit(uchar(reading[0]));
        for (const char c : reading)
            letters |= letterBit(uchar(c));
    }
    if (m_nameSlots.size() < 2 * (m_nameLetters.size() + 1))
        growNameSlots();
    const size_t mask = m_nameSlots.size() - 1;
    for (size_t slot = hashUnits(units.data(), units.size()) & mask;; slot = (slot + 1) & mask) {
        const quint32 id = m_nameSlots[slot];
        if (id == kNoName) {
            m_nameSlots[slot] = quint32(m_nameLetters.size());
            break;
        }
        const quint16* begin = m_nameUnits.data() + m_nameStart[id];
        const quint16* end = m_nameUnits.data() + m_nameStart[size_t(id) + 1];
        if (std::equal(begin, end, units.cbegin(), units.cend()))
            return id;
    }
    m_nameUnits.insert(m_nameUnits.end(), units.cbegin(), units.cend());
    m_nameStart.push_back(quint32(m_nameUnits.size()));
    m_nameLetters.push_back(letters);
    return quint32(m_nameLetters.size() - 1);
}

void QuickSearchIndex::growNameSlots() {
    std::vector<quint32> slots(std::max<size_t>(1024, 2 * m_nameSlots.size()), kNoName);
    const size_t mask = slots.size() - 1;
    for (quint32 id = 0; id < m_nameLetters.size(); ++id) {
        const quint32 begin = m_nameStart[id];
        size_t slot = hashUnits(m_nameUnits.data() + begin, m_nameStart[id + 1] - begin) & mask;
        while (slots[slot] != kNoName)
            slot = (slot + 1) & mask;
        slots[slot] = id;
    }
    m_nameSlots = std::move(slots);
}

bool QuickSearchIndex::nameMatches(quint32 name, const Query& q,
                                   std::vector<const Unit*>& units) const {
    const quint64 letters = m_nameLetters[name];
    if ((letters & q.needed) != q.needed)
        return false; // a name lacking a character of the query can neither hold nor spell it
    if (q.single)
        return letters & q.single;
    units.clear();
    const quint16* p = m_nameUnits.data() + m_nameStart[name];
    const quint16* end = m_nameUnits.data() + m_nameStart[size_t(name) + 1];
    while (p < end) {
        quint32 u = *p++;
        if (u & kLongUnit)
            u = ((u & ~kLongUnit) << 16) | *p++;
        units.push_back(&m_units[u]);
    }
    const size_t n = q.chars.size();
    for (size_t i = 0; i + n <= units.size(); ++i) {
        size_t k = 0;
        while (k < n && units[i + k]->ch == q.chars[k])
            ++k;
        if (k == n)
            return true;
    }
    if (!q.byPinyin)
        return false;
    // Which lengths of the query's start the characters up to here can spell, as bits: each
    // character spells itself, or any start of its pinyin (its initial, the whole syllable, or
    // as much of it as is typed), so "zggsyh", "zhongguogs" and "工商yh" all find 中国工商银行.
    const int m = int(q.spelled.size());
    const char32_t* s = q.spelled.data();
    const char* readings = m_readings.constData();
    const quint64 whole = quint64(1) << m;
    quint64 reach = 0;
    for (const Unit* unit : units) {
        if (QChar::isSpace(unit->ch))
            continue;
        const char* reading = readings + unit->reading;
        const int len = int(unit->length);
        quint64 next = 0;
        quint64 from = reach | 1; // a match may start at any character
        while (from) {
            const int j = std::countr_zero(from);
            from &= from - 1;
            if (s[j] == unit->ch)
                next |= quint64(1) << (j + 1);
            for (int p = 0; p < len && j + p < m && s[j + p] == char32_t(uchar(reading[p])); ++p)
                next |= quint64(1) << (j + p + 1);
        }
        if (next & whole)
            return true;
        reach = next;
    }
    return false;
}

void QuickSearchIndex::scan(const Query& q, int from, int to, const std::vector<char>* within,
                            char* out) const {
    std::fill(out + from, out + to, 0);
    markRows(m_text, m_textEnd, from, to, q.text, out, [](int, size_t) { return true; });
    if (m_accountFields > 0 && !q.digits.isEmpty())
        markRows(m_digits, m_digitsEnd, from, to, q.digits, out,
                 [](int, size_t) { return true; });
    if (m_accountFields > 0 && !q.digits.isEmpty() && q.digits != q.text) {
        // Rows whose account numbers hold no separator: the digits as m_text holds them.
        markRows(m_text, m_textEnd, from, to, q.digits, out, [&](int r, size_t at) {
            if (m_digitsEnd[size_t(r)] != (r == 0 ? 0 : m_digitsEnd[size_t(r) - 1]))
                return false;
            const char* p = m_text.constData() + (r == 0 ? 0 : m_textEnd[size_t(r) - 1]);
            const char* end = m_text.constData() + m_textEnd[size_t(r)];
            for (int k = 0; k < m_accountFields; ++k)
                p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p))) + 1;
            return m_text.constData() + at < p;
        });
    }
    // The name fields with the fewest distinct names first: their verdicts are remembered, so
    // a row they match costs no spelling of its other names.
    std::vector<int> order(static_cast<size_t>(m_namesPerRow));
    for (int n = 0; n < m_namesPerRow; ++n)
        order[size_t(n)] = n;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return m_namesFirstSeen[size_t(a)] < m_namesFirstSeen[size_t(b)];
    });
    // Each distinct name is looked at once per query: 0 not yet, 1 matches, 2 does not.
    std::vector<char> nameState(m_nameLetters.size(), 0);
    std::vector<const Unit*> units;
    for (int r = from; r < to; ++r) {
        if (within && size_t(r) < within->size() && !(*within)[size_t(r)]) {
            out[r] = 0;
            continue;
        }
        if (out[r])
            continue;
        const quint32* names = m_nameOfRow.data() + size_t(r) * size_t(m_namesPerRow);
        for (const int n : order) {
            const quint32 id = names[n];
            if (id == kNoName)
                continue;
            char& state = nameState[id];
            if (state == 0)
                state = nameMatches(id, q, units) ? 1 : 2;
            if (state == 1) {
                out[r] = 1;
                break;
            }
        }
    }
}

template <typename Accept>
void QuickSearchIndex::markRows(const QByteArray& buffer, const std::vector<quint32>& ends,
                                int from, int to, const QByteArray& needle, char* out,
                                Accept accept) const {
    if (needle.isEmpty() || from >= to)
        return;
    const char* data = buffer.constData();
    size_t pos = from == 0 ? 0 : ends[size_t(from) - 1];
    const size_t size = ends[size_t(to) - 1];
    auto row = ends.cbegin() + from;
    const auto last = ends.cbegin() + to;
    while (pos < size) {
        const char* hit = find(data + pos, size - pos, needle);
        if (!hit)
            return;
        const auto at = quint32(hit - data);
        // Hits are often in rows close together: a few steps before a binary search.
        for (int step = 0; step < 8 && *row <= at; ++step)
            ++row;
        if (*row <= at)
            row = std::upper_bound(row, last, at);
        const int r = int(row - ends.cbegin());
        if (accept(r, at))
            out[r] = 1;
        pos = *row; // no needle runs from one row into the next: each ends with a line feed
    }
}

std::vector<char> QuickSearchIndex::match(const QString& query,
                                          const std::vector<char>* within) const {
    std::vector<char> result;
    matchFrom(Query(query), within, rowCount(), result);
    return result;
}

void QuickSearchIndex::matchMore(const QString& query, std::vector<char>& result,
                                 const std::vector<char>* within, int upTo) const {
    matchFrom(Query(query), within, upTo, result);
}

void QuickSearchIndex::matchFrom(const Query& q, const std::vector<char>* within, int upTo,
                                 std::vector<char>& result) const {
    const size_t from = result.size();
    const size_t rows = size_t(std::clamp(upTo, 0, rowCount()));
    if (from >= rows)
        return;
    result.resize(rows, 0);
    if (!q.chars.empty()) {
        // A million rows take tens of milliseconds: on two cores, the halves side by side.
        if (rows - from < kRowsWorthASecondThread || std::thread::hardware_concurrency() < 2) {
            scan(q, int(from), int(rows), within, result.data());
            return;
        }
        const int middle = int(from + (rows - from) / 2);
        auto secondHalf = std::async(std::launch::async, carryingSession([&] {
            scan(q, middle, int(rows), within, result.data());
        }));
        scan(q, int(from), middle, within, result.data());
        secondHalf.get();
        return;
    }
    for (size_t r = from; r < rows; ++r)
        result[r] = within && r < within->size() ? (*within)[r] : 1;
}

qsizetype QuickSearchIndex::bytes() const {
    return sizeof(*this) + m_text.capacity() + m_digits.capacity() + m_readings.capacity() +
           bytesOf(m_textEnd) + bytesOf(m_digitsEnd) + bytesOf(m_nameOfRow) +
           bytesOf(m_nameStart) + bytesOf(m_nameUnits) + bytesOf(m_nameLetters) +
           bytesOf(m_units) + bytesOf(m_nameSlots) + bytesOf(m_namesFirstSeen) +
           // A hash node holds its key and value beside two words of bookkeeping.
           m_unitOf.size() * qsizetype(sizeof(quint64) + sizeof(quint32) + 16) +
           m_readingAt.size() * qsizetype(sizeof(QByteArray) + sizeof(quint32) + 16);
}

} // namespace tarvo
