#include "BranchSearchIndex.h"

#include "Pinyin.h"

#include <QByteArrayMatcher>
#include <QStringMatcher>

#include <algorithm>
#include <numeric>

namespace tarvo {

namespace {

bool isAsciiDigits(const QString& word) {
    return std::all_of(word.begin(), word.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool isAsciiLetters(const QString& word) {
    return std::all_of(word.begin(), word.end(), [](QChar c) { return c >= u'a' && c <= u'z'; });
}

/// Small letters character by character, so that a position in the text is the same in both.
QString folded(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        c = c.toLower();
    return out;
}

/// The first letter of each character's reading, a letter or digit as it stands; marks and
/// brackets are left out, so that "gsyh" finds 工商银行（浙江）.
QByteArray initialsOf(const QString& name) {
    const QVector<QByteArray> readings = Pinyin::syllables(name);
    const QList<uint> points = name.toUcs4();
    QByteArray out;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const uint c = points[i];
        if (i < readings.size() && !readings[i].isEmpty())
            out += readings[i][0];
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            out += char(c);
        else if (c >= 'A' && c <= 'Z')
            out += char(c - 'A' + 'a');
    }
    return out;
}

} // namespace

void BranchSearchIndex::add(const BranchEntry& entry) {
    m_codes += entry.code.toLatin1();
    m_codes += '\n';
    m_codeEnd.push_back(quint32(m_codes.size() - 1));
    m_names += entry.name;
    m_names += u'\n';
    m_folded += folded(entry.name);
    m_folded += u'\n';
    m_nameEnd.push_back(quint32(m_names.size() - 1));
    m_initials += initialsOf(entry.name);
    m_initials += '\n';
    m_initialsEnd.push_back(quint32(m_initials.size() - 1));
    for (const QString* text :
         {&entry.bankCode, &entry.bankName, &entry.cityCode, &entry.city, &entry.province}) {
        auto it = m_valueNumbers.constFind(*text);
        if (it == m_valueNumbers.cend()) {
            it = m_valueNumbers.insert(*text, quint32(m_values.size()));
            m_values << *text;
        }
        m_valueOf.push_back(*it);
    }
    m_retired.push_back(entry.retiredOn.isValid() ? entry.retiredOn.toJulianDay() : 0);
}

void BranchSearchIndex::finish() {
    m_valueNumbers = {};
    m_codes.squeeze();
    m_names.squeeze();
    m_folded.squeeze();
    m_initials.squeeze();
}

QString BranchSearchIndex::value(int row, Field field) const {
    return m_values[m_valueOf[size_t(row) * kFields + field]];
}

QString BranchSearchIndex::code(int row) const {
    const quint32 from = row == 0 ? 0 : m_codeEnd[size_t(row) - 1] + 1;
    return QString::fromLatin1(m_codes.constData() + from, m_codeEnd[size_t(row)] - from);
}

QString BranchSearchIndex::name(int row) const {
    const quint32 from = row == 0 ? 0 : m_nameEnd[size_t(row) - 1] + 1;
    return m_names.mid(from, m_nameEnd[size_t(row)] - from);
}

BranchEntry BranchSearchIndex::entry(int row) const {
    BranchEntry e;
    e.code = code(row);
    e.name = name(row);
    e.bankCode = value(row, BankCode);
    e.bankName = value(row, BankName);
    e.cityCode = value(row, CityCode);
    e.city = value(row, City);
    e.province = value(row, Province);
    if (m_retired[size_t(row)] != 0)
        e.retiredOn = QDate::fromJulianDay(m_retired[size_t(row)]);
    return e;
}

int BranchSearchIndex::find(const QString& code) const {
    // The directory hands its branches over in the order of their codes.
    int low = 0;
    int high = size();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (this->code(mid) < code)
            low = mid + 1;
        else
            high = mid;
    }
    return low < size() && this->code(low) == code ? low : -1;
}

template <typename Buffer, typename Matcher>
void BranchSearchIndex::markHits(const Buffer& buffer, const std::vector<quint32>& ends,
                                 const Matcher& matcher, std::vector<char>& hit) const {
    size_t row = 0;
    qsizetype at = matcher.indexIn(buffer, 0);
    while (at >= 0) {
        // Rows end with a line feed, which no word holds: a hit lies within one row.
        row = size_t(std::upper_bound(ends.begin() + qsizetype(row), ends.end(), quint32(at)) -
                     ends.begin());
        hit[row] = 1;
        at = matcher.indexIn(buffer, qsizetype(ends[row]) + 1);
    }
}

void BranchSearchIndex::markWord(const QString& word, std::vector<char>& hit) const {
    if (isAsciiDigits(word)) {
        const QByteArray prefix = word.toLatin1();
        for (int row = 0; row < size(); ++row) {
            const quint32 from = row == 0 ? 0 : m_codeEnd[size_t(row) - 1] + 1;
            hit[size_t(row)] = m_codeEnd[size_t(row)] - from >= quint32(prefix.size()) &&
                               std::equal(prefix.begin(), prefix.end(), m_codes.begin() + from);
        }
        return;
    }
    const QString lower = folded(word);
    markHits(m_folded, m_nameEnd, QStringMatcher(lower, Qt::CaseSensitive), hit);
    if (isAsciiLetters(lower))
        markHits(m_initials, m_initialsEnd, QByteArrayMatcher(lower.toLatin1()), hit);
    const std::vector<char> valueHit = valuesHolding(lower);
    for (size_t row = 0; row < hit.size(); ++row) {
        if (hit[row])
            continue;
        const quint32* v = &m_valueOf[row * kFields];
        hit[row] = valueHit[v[BankName]] || valueHit[v[City]] || valueHit[v[Province]];
    }
}

std::vector<char> BranchSearchIndex::valuesHolding(const QString& lower) const {
    // A bank, city or province is one of a few hundred texts: each is looked at once.
    std::vector<char> hit(size_t(m_values.size()));
    for (qsizetype i = 0; i < m_values.size(); ++i)
        hit[size_t(i)] = folded(m_values[i]).contains(lower);
    return hit;
}

bool BranchSearchIndex::rowMatches(int row, const QString& word,
                                   const std::vector<char>& valueHit) const {
    const auto at = size_t(row);
    if (isAsciiDigits(word)) {
        const quint32 from = row == 0 ? 0 : m_codeEnd[at - 1] + 1;
        return QByteArrayView(m_codes.constData() + from, m_codeEnd[at] - from)
            .startsWith(word.toLatin1());
    }
    const quint32 nameFrom = row == 0 ? 0 : m_nameEnd[at - 1] + 1;
    if (QStringView(m_folded).sliced(nameFrom, m_nameEnd[at] - nameFrom).contains(word))
        return true;
    if (isAsciiLetters(word)) {
        const quint32 from = row == 0 ? 0 : m_initialsEnd[at - 1] + 1;
        if (QByteArrayView(m_initials.constData() + from, m_initialsEnd[at] - from)
                .contains(word.toLatin1()))
            return true;
    }
    const quint32* v = &m_valueOf[at * kFields];
    return valueHit[v[BankName]] || valueHit[v[City]] || valueHit[v[Province]];
}

std::vector<int> BranchSearchIndex::search(const QString& query,
                                           const std::vector<int>* within) const {
    QStringList words = query.simplified().split(u' ', Qt::SkipEmptyParts);
    for (QString& word : words)
        word = folded(word);
    std::vector<int> rows;
    if (!within && !words.isEmpty()) {
        // The first word over the whole directory, buffer-wide; the others row by row over
        // what it found.
        std::vector<char> hit(size_t(size()), 0);
        markWord(words.takeFirst(), hit);
        for (size_t row = 0; row < hit.size(); ++row)
            if (hit[row])
                rows.push_back(int(row));
    } else if (within) {
        rows = *within;
    } else {
        rows.resize(size_t(size()));
        std::iota(rows.begin(), rows.end(), 0);
    }
    for (const QString& word : words) {
        const std::vector<char> valueHit = valuesHolding(word);
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [&](int row) { return !rowMatches(row, word, valueHit); }),
                   rows.end());
    }
    return rows;
}

bool BranchSearchIndex::narrows(const QString& query, const QString& earlier) {
    const QString now = query.simplified();
    const QString before = earlier.simplified();
    // From nothing, the whole directory is searched buffer-wide, the faster way.
    if (before.isEmpty() || !now.startsWith(before))
        return false;
    // A word of digits is a code's start; with a letter added it is a part of a name, which
    // finds rows the digits did not.
    const QString lastBefore = before.section(u' ', -1);
    const QString sameWordNow = now.mid(before.size() - lastBefore.size()).section(u' ', 0, 0);
    return isAsciiDigits(lastBefore) == isAsciiDigits(sameWordNow);
}

qsizetype BranchSearchIndex::bytes() const {
    qsizetype values = 0;
    for (const QString& v : m_values)
        values += v.capacity() * 2 + qsizetype(sizeof(QString));
    return m_codes.capacity() + (m_names.capacity() + m_folded.capacity()) * 2 +
           m_initials.capacity() +
           qsizetype((m_codeEnd.capacity() + m_nameEnd.capacity() + m_initialsEnd.capacity() +
                      m_valueOf.capacity()) *
                         sizeof(quint32) +
                     m_retired.capacity() * sizeof(qint64)) +
           values;
}

} // namespace tarvo
