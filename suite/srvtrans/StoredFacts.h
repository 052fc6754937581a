#pragma once

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
class DatabaseFacts : public StoredFacts {
public:
    explicit DatabaseFacts(AccountDatabase& db) : m_db(db) {}
    std::optional<QVariantList> stored(const QString& archive, const QStringList& columns,
                                       const QString& key) override;
    QString numberHolder(const QString& compared, const QString& key) override;
    std::optional<QVariant> lookUp(const NamedRow& row, const QString& value) override;

private:
    AccountDatabase& m_db;
};

/// The account number as compared for duplicates; the same expression as the index on it.
constexpr auto kAccountNumberKey = "replace(replace(cBAccount, ' ', ''), '-', '')";

/// An account number as kAccountNumberKey compares it.
QString comparedNumber(QString number);

} // namespace tarvo::suite
