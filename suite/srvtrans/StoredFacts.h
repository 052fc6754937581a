#pragma once

#include "SqlBackend.h"

#include <QHash>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace tarvo::suite {

class AccountDatabase;

/// A row of another table that a record names: where to find it by the value the record
/// brings, and which of its columns the check wants (a flag, or a constant that says it is
/// there).
struct NamedRow {
    const char* table;
    const char* keyColumn;
    const char* valueColumn;
};

/// What the save service's checks need to know about what is stored. A single save asks the
/// database; the check of a whole file answers from what it read once per run of rows,
/// with the rows taken before counted in.
class StoredFacts {
public:
    virtual ~StoredFacts() = default;
    /// The values of these columns of the archive's record with this key; nothing when there
    /// is no such record.
    virtual std::optional<QVariantList> stored(const QString& archive, const QStringList& columns,
                                               const QString& key) = 0;
    /// The code of the first bank account, by code, other than key whose number without blanks
    /// and hyphens is compared; empty when there is none.
    virtual QString numberHolder(const QString& compared, const QString& key) = 0;
    /// The wanted column of the named row whose key column holds value; nothing when none does.
    /// The row is one of the checks' own, which last as long as the program.
    virtual std::optional<QVariant> lookUp(const NamedRow& row, const QString& value) = 0;
};

/// The facts straight from the database, as a single save asks them inside its transaction.
/// Questions asked ahead go out among other statements (askRecord, askNumberHolder, askLookUp
/// add theirs to a batch; keepAnswers takes the batch's results) and are answered from there;
/// any other question is asked when it comes.
class DatabaseFacts : public StoredFacts {
public:
    explicit DatabaseFacts(AccountDatabase& db) : m_db(db) {}
    std::optional<QVariantList> stored(const QString& archive, const QStringList& columns,
                                       const QString& key) override;
    QString numberHolder(const QString& compared, const QString& key) override;
    std::optional<QVariant> lookUp(const NamedRow& row, const QString& value) override;

    /// Asks for the record's columns, any of which stored() then answers; locked against
    /// other writers until the transaction ends when lock holds and the engine locks rows.
    void askRecord(QVector<Statement>& batch, const QString& archive, const QStringList& columns,
                   const QString& key, bool lock);
    /// Asks numberHolder's question, behind the lock it takes.
    void askNumberHolder(QVector<Statement>& batch, const QString& compared, const QString& key);
    void askLookUp(QVector<Statement>& batch, const NamedRow& row, const QString& value);
    /// The results of the batch the questions went in; those it did not reach stay unasked.
    void keepAnswers(const BatchResult& answers);

private:
    AccountDatabase& m_db;
    enum class Kind { Record, Holder, LookUp };
    struct Asked {
        Kind kind;
        int at;
        QString id;
        QStringList columns;
    };
    QVector<Asked> m_asked;
    /// Answers by the question's id: a record's columns (lower case) beside its row, none
    /// when it is not stored.
    QHash<QString, std::pair<QStringList, std::optional<QVariantList>>> m_records;
    QHash<QString, QString> m_holders;
    QHash<QString, std::optional<QVariant>> m_lookUps;

    Statement recordQuery(const QString& archive, const QStringList& columns,
                          const QString& key) const;
    static Statement holderQuery(const QString& compared, const QString& key);
    static Statement lookUpQuery(const NamedRow& row, const QString& value);
};

/// The account number as compared for duplicates; the same expression as the index on it.
constexpr auto kAccountNumberKey = "replace(replace(cBAccount, ' ', ''), '-', '')";

/// An account number as kAccountNumberKey compares it.
QString comparedNumber(QString number);

} // namespace tarvo::suite
