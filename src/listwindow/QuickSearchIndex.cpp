#include "QuickSearchIndex.h"

#include "Pinyin.h"

#include <QHash>

#include <algorithm>
#include <bit>

namespace tarvo {

namespace {

/// Queries longer than this are matched as plain text only.
constexpr int kLongestPinyinQuery = 63;

bool isSeparator(QChar c) {
    return c.isSpace() || c == u'-';
}

QString withoutSeparators(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!isSeparator(c))
            out += c;
    return out;
}

/// A bit per letter and digit, one for everything else.
quint64 letterBit(uint c) {
    if (c >= 'a' && c <= 'z')
        return quint64(1) << (c - 'a');
    if (c >= '0' && c <= '9')
        return quint64(1) << (26 + c - '0');
    return quint64(1) << 63;
}

QStringView slice(const QString& buffer, const std::vector<qsizetype>& ends, int row) {
    const qsizetype begin = row == 0 ? 0 : ends[size_t(row) - 1];
    return QStringView(buffer).mid(begin, ends[size_t(row)] - begin);
}

/// Small letters for the texts of all rows, in one go when no letter changes its length in
/// small letters (a few outside Chinese and English do), else row by row.
void lower(QString& buffer, std::vector<qsizetype>& ends) {
    QString whole = buffer.toLower();
    if (whole.size() == buffer.size()) {
        buffer = std::move(whole);
        return;
    }
    QString rows;
    qsizetype begin = 0;
    for (qsizetype& end : ends) {
        rows += QStringView(buffer).mid(begin, end - begin).toString().toLower();
        begin = end;
        end = rows.size();
    }
    buffer = std::move(rows);
}

} // namespace

QVector<QuickSearchIndex::Field> QuickSearchIndex::fieldsOf(const Recordset& rs,
                                                           const QString& keyField) {
    QVector<Field> fields;
    for (int i = 0; i < rs.FieldCount(); ++i) {
        const QString name = rs.FieldAt(i).name.toLower();
        if (name == keyField.toLower())
            fields.push_back({i, Kind::Code});
        else if (name == u"cbname" || name == u"cbankname" || name == u"caccname")
            fields.push_back({i, Kind::Name});
        else if (name == u"cbaccount")
            fields.push_back({i, Kind::AccountNumber});
    }
    return fields;
}

QuickSearchIndex::QuickSearchIndex(const Recordset& rs, const QVector<Field>& fields) {
    const int rows = rs.storedRowCount();
    for (const Field& f : fields)
        m_namesPerRow += f.kind == Kind::Name ? 1 : 0;
    m_textEnd.reserve(size_t(rows));
    m_digitsEnd.reserve(size_t(rows));
    m_nameOfRow.reserve(size_t(rows) * size_t(m_namesPerRow));
    QHash<QString, int> nameIds;
    for (int r = 0; r < rows; ++r) {
        for (const Field& f : fields) {
            const QString value = rs.valueAt(r, f.field).toString();
            if (f.kind == Kind::Name) {
                int id = -1;
                if (!value.isEmpty()) {
                    auto it = nameIds.find(value);
                    if (it == nameIds.end()) {
                        it = nameIds.insert(value, int(m_nameLetters.size()));
                        addName(value);
                    }
                    id = *it;
                }
                m_nameOfRow.push_back(id);
            }
            if (f.kind == Kind::AccountNumber)
                m_digits += withoutSeparators(value) + u'\n';
            m_text += value + u'\n';
        }
        m_textEnd.push_back(m_text.size());
        m_digitsEnd.push_back(m_digits.size());
    }
    lower(m_text, m_textEnd);
    lower(m_digits, m_digitsEnd);

    std::vector<size_t> distinct;
    for (int n = 0; n < m_namesPerRow; ++n) {
        std::vector<bool> seen(m_nameLetters.size());
        for (size_t i = size_t(n); i < m_nameOfRow.size(); i += size_t(m_namesPerRow))
            if (m_nameOfRow[i] >= 0)
                seen[size_t(m_nameOfRow[i])] = true;
        distinct.push_back(size_t(std::count(seen.cbegin(), seen.cend(), true)));
        m_nameFieldOrder.push_back(n);
    }
    std::stable_sort(m_nameFieldOrder.begin(), m_nameFieldOrder.end(),
                     [&](int a, int b) { return distinct[size_t(a)] < distinct[size_t(b)]; });
}

void QuickSearchIndex::addName(const QString& value) {
    // Lowered character by character, so that each keeps its reading.
    const QList<uint> chars = value.toUcs4();
    const QVector<QByteArray> readings = Pinyin::syllables(value);
    quint64 letters = 0;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        if (QChar::isSpace(chars[i]))
            continue;
        const uint ch = QChar::toLower(chars[i]);
        const QByteArray& reading = readings[i];
        m_units.push_back({ch, quint32(m_readings.size()), quint32(reading.size())});
        m_readings += reading;
        letters |= letterBit(ch);
        for (const char c : reading)
            letters |= letterBit(uint(c));
    }
    m_nameStart.push_back(quint32(m_units.size()));
    m_nameLetters.push_back(letters);
}

bool QuickSearchIndex::nameMatches(int name, const QList<uint>& query) const {
    // Which lengths of the query's start the characters up to here can spell, as bits: each
    // character spells itself, or any start of its pinyin (its initial, the whole syllable, or
    // as much of it as is typed), so "zggsyh", "zhongguogs" and "工商yh" all find 中国工商银行.
    const int m = int(query.size());
    const uint* q = query.constData();
    const char* readings = m_readings.constData();
    const quint64 whole = quint64(1) << m;
    quint64 reach = 0;
    for (quint32 k = m_nameStart[size_t(name)]; k < m_nameStart[size_t(name) + 1]; ++k) {
        const Unit& unit = m_units[k];
        const char* reading = readings + unit.reading;
        const int len = int(unit.length);
        quint64 next = 0;
        quint64 from = reach | 1; // a match may start at any character
        while (from) {
            const int j = std::countr_zero(from);
            from &= from - 1;
            if (q[j] == unit.ch)
                next |= quint64(1) << (j + 1);
            for (int p = 0; p < len && j + p < m && q[j + p] == uint(uchar(reading[p])); ++p)
                next |= quint64(1) << (j + p + 1);
        }
        if (next & whole)
            return true;
        reach = next;
    }
    return false;
}

std::vector<char> QuickSearchIndex::match(const QString& query,
                                          const std::vector<char>* within) const {
    const int rows = rowCount();
    std::vector<char> result(size_t(rows), 0);
    const QString text = query.trimmed().toLower();
    if (text.isEmpty()) {
        for (int r = 0; r < rows; ++r)
            result[size_t(r)] = within ? (*within)[size_t(r)] : 1;
        return result;
    }
    const QString digits = withoutSeparators(text);
    QList<uint> spelled;
    for (const uint c : query.toUcs4())
        if (!QChar::isSpace(c))
            spelled.push_back(QChar::toLower(c)); // as the names' characters are lowered
    const bool byPinyin = !spelled.isEmpty() && spelled.size() <= kLongestPinyinQuery;
    quint64 needed = 0;
    for (const uint c : spelled)
        needed |= letterBit(c);
    // Each distinct name is spelled out once per query: 0 not yet, 1 matches, 2 does not.
    std::vector<char> nameState(m_nameLetters.size(), 0);
    for (int r = 0; r < rows; ++r) {
        if (within && !(*within)[size_t(r)])
            continue;
        bool hit = slice(m_text, m_textEnd, r).contains(text);
        if (!hit && !digits.isEmpty())
            hit = slice(m_digits, m_digitsEnd, r).contains(digits);
        for (size_t n = 0; !hit && byPinyin && n < m_nameFieldOrder.size(); ++n) {
            const int id = m_nameOfRow[size_t(r) * size_t(m_namesPerRow) +
                                       size_t(m_nameFieldOrder[n])];
            if (id < 0)
                continue;
            char& state = nameState[size_t(id)];
            if (state == 0) {
                // A name lacking a letter of the query cannot spell it.
                const bool can = (m_nameLetters[size_t(id)] & needed) == needed;
                state = can && nameMatches(id, spelled) ? 1 : 2;
            }
            hit = state == 1;
        }
        result[size_t(r)] = hit ? 1 : 0;
    }
    return result;
}

} // namespace tarvo
