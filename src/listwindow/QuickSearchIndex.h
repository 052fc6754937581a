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
    /// A distinct name: its characters in small letters without blanks, and per character its
    /// pinyin (empty for a character that is not Han), one run of letters per character.
    struct Name {
        QList<uint> chars;
        QByteArray readings;
        QVector<quint16> readingEnd;
    };

    QString m_text;
    std::vector<qsizetype> m_textEnd;
    QString m_digits;
    std::vector<qsizetype> m_digitsEnd;
    int m_namesPerRow = 0;
    /// Per row and name field the index into m_names, -1 for none.
    std::vector<int> m_nameOfRow;
    QVector<Name> m_names;

    static bool nameMatches(const Name& name, const QList<uint>& query);
};

} // namespace tarvo
