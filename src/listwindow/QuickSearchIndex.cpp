#include "QuickSearchIndex.h"

#include "Pinyin.h"

#include <QHash>

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

QStringView slice(const QString& buffer, const std::vector<qsizetype>& ends, int row) {
    const qsizetype begin = row == 0 ? 0 : ends[size_t(row) - 1];
    return QStringView(buffer).mid(begin, ends[size_t(row)] - begin);
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
                        it = nameIds.insert(value, int(m_names.size()));
                        Name name;
                        const QList<uint> chars = value.toLower().toUcs4();
                        const QVector<QByteArray> readings = Pinyin::syllables(value);
                        for (qsizetype i = 0; i < chars.size(); ++i) {
                            if (QChar::isSpace(chars[i]))
                                continue;
                            name.chars.push_back(chars[i]);
                            name.readings += readings.value(i);
                            name.readingEnd.push_back(quint16(name.readings.size()));
                        }
                        m_names.push_back(std::move(name));
                    }
                    id = *it;
                }
                m_nameOfRow.push_back(id);
            }
            if (f.kind == Kind::AccountNumber)
                m_digits += withoutSeparators(value).toLower() + u'\n';
            m_text += value.toLower() + u'\n';
        }
        m_textEnd.push_back(m_text.size());
        m_digitsEnd.push_back(m_digits.size());
    }
}

bool QuickSearchIndex::nameMatches(const Name& name, const QList<uint>& query) {
    // Which lengths of the query's start the characters up to here can spell, as bits: each
    // character spells itself, or any start of its pinyin (its initial, the whole syllable, or
    // as much of it as is typed), so "zggsyh", "zhongguogs" and "工商yh" all find 中国工商银行.
    const int m = int(query.size());
    const quint64 whole = quint64(1) << m;
    quint64 reach = 0;
    for (qsizetype k = 0; k < name.chars.size(); ++k) {
        const qsizetype begin = k == 0 ? 0 : name.readingEnd[k - 1];
        const qsizetype len = name.readingEnd[k] - begin;
        const char* reading = name.readings.constData() + begin;
        quint64 next = 0;
        quint64 from = reach | 1; // a match may start at any character
        while (from) {
            const int j = std::countr_zero(from);
            from &= from - 1;
            if (j >= m)
                continue;
            if (query[j] == name.chars[k])
                next |= quint64(1) << (j + 1);
            for (qsizetype p = 0; p < len && j + p < m && query[j + p] == uint(reading[p]); ++p)
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
    for (const uint c : text.toUcs4())
        if (!QChar::isSpace(c))
            spelled.push_back(c);
    const bool byPinyin = !spelled.isEmpty() && spelled.size() <= kLongestPinyinQuery;
    // Each distinct name is spelled out once per query: 0 not yet, 1 matches, 2 does not.
    std::vector<char> nameState(size_t(m_names.size()), 0);
    for (int r = 0; r < rows; ++r) {
        if (within && !(*within)[size_t(r)])
            continue;
        bool hit = slice(m_text, m_textEnd, r).contains(text);
        if (!hit && !digits.isEmpty())
            hit = slice(m_digits, m_digitsEnd, r).contains(digits);
        for (int n = 0; !hit && byPinyin && n < m_namesPerRow; ++n) {
            const int id = m_nameOfRow[size_t(r) * size_t(m_namesPerRow) + size_t(n)];
            if (id < 0)
                continue;
            char& state = nameState[size_t(id)];
            if (state == 0)
                state = nameMatches(m_names[id], spelled) ? 1 : 2;
            hit = state == 1;
        }
        result[size_t(r)] = hit ? 1 : 0;
    }
    return result;
}

} // namespace tarvo
