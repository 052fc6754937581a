#pragma once

#include "IBranchDirectory.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace tarvo {

/// What the pick list of interbank codes searches: every branch of the directory, read once.
/// A word typed finds a branch by the start of its code ("102", "1023310"), by any part of its
/// name, its head bank's name, its city or province ("西湖", "工商", "杭州"), or by the pinyin
/// initials of its name ("gsyh"); several words, blank-separated, must all find it ("工商 杭州",
/// "102 杭州").
///
/// Two hundred thousand branches must not cost two hundred thousand sets of strings: codes,
/// names and initials sit in one buffer each, and the few distinct banks, cities and provinces
/// are kept once and looked at once per word.
class BranchSearchIndex {
public:
    /// Takes the next branch; call finish() after the last.
    void add(const BranchEntry& entry);
    /// Lets go of what only adding needs.
    void finish();

    int size() const { return int(m_codeEnd.size()); }
    /// The branch of a row, as it was added.
    BranchEntry entry(int row) const;
    QString code(int row) const;
    QString name(int row) const;
    /// The row of the branch with the code; -1 when there is none.
    int find(const QString& code) const;

    /// The rows every word of query finds, in the order the branches were added; every row for
    /// a query of blanks only. With within (rows in that order), only those rows are looked at:
    /// a query that narrows an earlier one needs to look at the earlier one's rows only.
    std::vector<int> search(const QString& query, const std::vector<int>* within = nullptr) const;
    /// Whether every row query finds is among those earlier finds, so that search() may be
    /// given the earlier rows to look at.
    static bool narrows(const QString& query, const QString& earlier);

    /// Bytes the index holds.
    qsizetype bytes() const;

private:
    enum Field { BankCode, BankName, CityCode, City, Province, kFields };

    /// Per row its code, ended by a line feed; the same for names (as given and in small
    /// letters) and their initials.
    QByteArray m_codes;
    std::vector<quint32> m_codeEnd;
    QString m_names;
    QString m_folded;
    std::vector<quint32> m_nameEnd;
    QByteArray m_initials;
    std::vector<quint32> m_initialsEnd;
    /// Per row and field the number of its text in m_values.
    std::vector<quint32> m_valueOf;
    QStringList m_values;
    /// The Julian day the branch was retired on, 0 while it is listed.
    std::vector<qint64> m_retired;
    QHash<QString, quint32> m_valueNumbers;

    QString value(int row, Field field) const;
    /// Marks in hit the rows whose run of buffer holds the word.
    template <typename Buffer, typename Matcher>
    void markHits(const Buffer& buffer, const std::vector<quint32>& ends, const Matcher& matcher,
                  std::vector<char>& hit) const;
    void markWord(const QString& word, std::vector<char>& hit) const;
    /// Whether the word finds the row.
    bool rowMatches(int row, const QString& word, const std::vector<char>& valueHit) const;
    /// Per text of m_values whether it holds the word (in small letters).
    std::vector<char> valuesHolding(const QString& lower) const;
};

} // namespace tarvo
