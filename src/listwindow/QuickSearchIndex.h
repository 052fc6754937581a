#pragma once

#include "Recordset.h"

#include <QString>
#include <QVector>

#include <vector>

namespace tarvo {

/// What the list's quick search looks at, worked out once per load of the list: per row its
/// code, names and account numbers in small letters, its account numbers without the blanks
/// and hyphens people type, and for its names the pinyin of every character, so that a clerk
/// finds 中国工商银行 by "工商", "gsyh", "zggsyh", "gongshang" or "gongshangyh".
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

    /// Rows of the record set read (its stored rows, shown or not).
    int rowCount() const { return int(m_textEnd.size()); }

    /// Per stored row whether it matches query. With within, only the rows marked there are
    /// looked at and the others do not match: narrowing a query that extends an earlier one
    /// needs to look at the earlier matches only.
    std::vector<char> match(const QString& query, const std::vector<char>* within = nullptr) const;

    /// The fields of a list that the quick search looks at, by their names.
    static QVector<Field> fieldsOf(const Recordset& rs, const QString& keyField);

private:
    /// A character of a distinct name (in small letters; blanks left out) with its pinyin, a
    /// run of m_readings (empty for a character that is not Han).
    struct Unit {
        char32_t ch;
        quint32 reading;
        quint32 length;
    };

    QString m_text;
    std::vector<qsizetype> m_textEnd;
    QString m_digits;
    std::vector<qsizetype> m_digitsEnd;
    int m_namesPerRow = 0;
    /// Per row and name field the distinct name, -1 for none.
    std::vector<int> m_nameOfRow;
    /// The name fields, those with the fewest distinct names first: their verdicts are
    /// remembered, so a row they match costs no spelling of its other names.
    std::vector<int> m_nameFieldOrder;
    /// Per distinct name where its units start in m_units; one more at the end.
    std::vector<quint32> m_nameStart{0};
    /// Per distinct name the letters and digits it can spell, as bits (see letterBit).
    std::vector<quint64> m_nameLetters;
    std::vector<Unit> m_units;
    QByteArray m_readings;

    void addName(const QString& value);
    bool nameMatches(int name, const QList<uint>& query) const;
};

} // namespace tarvo
