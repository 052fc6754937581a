#pragma once

#include "Recordset.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

#include <limits>
#include <vector>

namespace tarvo {

/// What the list's quick search looks at: per row its code, 联行号 and account numbers in small
/// letters, its account numbers without the blanks and hyphens people type, and for its names
/// the pinyin of every character, so that a clerk finds 中国工商银行 by "工商", "gsyh",
/// "zggsyh", "gongshang" or "gongshangyh".
///
/// A million accounts must not cost a million strings: codes and account numbers sit in one
/// UTF-8 buffer; each distinct name is kept once, as a run of 16-bit numbers of the (character,
/// reading) pairs it is made of. The index can be read a slice of rows at a time (addRows), so
/// that a long list is indexed in steps beside the window and searched as far as it is read.
class QuickSearchIndex {
public:
    enum class Kind { Code, Name, AccountNumber };
    struct Field {
        int field; ///< the record set's field index
        Kind kind;
    };

    QuickSearchIndex() = default;
    /// Reads every stored row of rs.
    QuickSearchIndex(const Recordset& rs, const QVector<Field>& fields);
    /// Reads no row yet: see addRows.
    explicit QuickSearchIndex(const QVector<Field>& fields);

    /// Reads up to count more of rs's stored rows, following those read before.
    void addRows(const Recordset& rs, int count);
    /// Lets go of what only reading needs; call once every row is read.
    void finish();

    /// Rows read so far.
    int rowCount() const { return int(m_textEnd.size()); }

    /// Per row read whether it matches query. With within, the rows it covers that it does not
    /// mark are left out without a look: narrowing a query that extends an earlier one needs
    /// to look at the earlier matches only. Rows beyond within's end are all looked at.
    std::vector<char> match(const QString& query, const std::vector<char>* within = nullptr) const;
    /// Extends result, query's verdicts on the first rows, to the first upTo rows read (all of
    /// them at most), within as match() takes it.
    void matchMore(const QString& query, std::vector<char>& result,
                   const std::vector<char>* within = nullptr,
                   int upTo = std::numeric_limits<int>::max()) const;

    /// Bytes the index holds.
    qsizetype bytes() const;

    /// The fields of a list that the quick search looks at, by their names.
    static QVector<Field> fieldsOf(const Recordset& rs, const QString& keyField);

private:
    struct Query;
    /// A character (in small letters) with the reading it has in the name it stands in, a run
    /// of m_readings (empty for a character that is not Han).
    struct Unit {
        char32_t ch;
        quint32 reading;
        quint32 length;
    };

    QVector<Field> m_fields;
    int m_accountFields = 0;
    /// Per row its account numbers, then its codes, each ended by a line feed.
    QByteArray m_text;
    std::vector<quint32> m_textEnd;
    /// Per row its account numbers without separators, when they have any; empty when they are
    /// as m_text holds them.
    QByteArray m_digits;
    std::vector<quint32> m_digitsEnd;
    int m_namesPerRow = 0;
    /// Per row and name field the distinct name, kNoName for none.
    std::vector<quint32> m_nameOfRow;
    /// Per distinct name where its units start in m_nameUnits; one more at the end.
    std::vector<quint32> m_nameStart{0};
    /// Numbers into m_units; one above 0x7fff takes two (see appendUnit).
    std::vector<quint16> m_nameUnits;
    /// Per name field how many distinct names it brought first.
    std::vector<size_t> m_namesFirstSeen;
    /// Per distinct name the letters it can spell, the initials it can start a syllable with
    /// and the digits it holds, as bits (see letterBit and initialBit).
    std::vector<quint64> m_nameLetters;
    std::vector<Unit> m_units;
    QByteArray m_readings;

    /// Only while reading: where a name's units are found (open addressing over m_nameStart),
    /// and the numbers of units and readings met so far.
    std::vector<quint32> m_nameSlots;
    QHash<quint64, quint32> m_unitOf;
    QHash<QByteArray, quint32> m_readingAt;

    quint32 addName(const QString& value);
    quint32 unitOf(char32_t ch, const QByteArray& reading);
    void growNameSlots();
    bool nameMatches(quint32 name, const Query& q, std::vector<const Unit*>& units) const;
    /// Marks in out the rows from `from` to `to` whose run of buffer (ends as m_textEnd)
    /// holds needle, where accept(row, position of the hit) agrees.
    template <typename Accept>
    void markRows(const QByteArray& buffer, const std::vector<quint32>& ends, int from, int to,
                  const QByteArray& needle, char* out, Accept accept) const;
    void matchFrom(const Query& q, const std::vector<char>* within, int upTo,
                   std::vector<char>& result) const;
    /// Gives out[r] its verdict for the rows r from `from` to `to`; safe to run on several
    /// threads over rows apart.
    void scan(const Query& q, int from, int to, const std::vector<char>* within,
              char* out) const;
};

} // namespace tarvo
