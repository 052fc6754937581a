#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>

namespace tarvo::suite {

class AccountDatabase;
struct DictField;
struct SaveRecord;

/// The save service: stores records from their save XML and deletes them, after checking
/// everything against the data dictionary. Every write is one transaction with its audit row and
/// the history of the fields it changed; a refusal answers False with a Chinese reason and
/// leaves the database untouched.
class SaveService {
public:
    SaveService(AccountDatabase& db, QString userId);

    bool add(const QString& xml, const QString& archive, QString& error);
    bool modify(const QString& xml, const QString& archive, QString& error);
    bool remove(const QVariant& key, const QString& keyField, const QString& archive,
                QString& error, const QString& userId);
    /// Whether remove would delete the record; False with its refusal. Writes nothing.
    bool mayRemove(const QVariant& key, const QString& keyField, const QString& archive,
                   QString& error);

private:
    AccountDatabase& m_db;
    QString m_userId;

    enum class Mode { Add, Modify };
    /// False, with the reason, when the database engine would not store the value unchanged.
    bool engineKeepsExactly(const DictField& f, const QVariant& value, QString& error) const;
    bool save(const QString& xml, const QString& archive, Mode mode, QString& error);
    /// False, naming the other account, when a bank account's number is already another's:
    /// blanks and hyphens do not make two numbers different.
    bool accountNumberIsFree(const QString& archive, const QVector<const DictField*>& columns,
                             const QVariantList& values, const QString& keyText, QString& error);
    /// False when a bank's company account numbers are of fixed length without one of 1 to 40.
    bool companyLengthIsSet(const QString& archive, const QVector<const DictField*>& columns,
                            const QVariantList& values, const QString& keyText, QString& error);
    /// The archive's key field when keyField names it; null, with the reason, otherwise.
    const DictField* deleteKey(const QString& keyField, const QString& archive, QString& error);
    /// False, with the reason, when the record is gone or may not be deleted.
    bool checkDelete(const QString& table, const DictField& key, const QString& keyText,
                     QString& error);
    void audit(const QString& table, const QString& action, const QString& key,
               const QString& detail, const QString& userId);
};

/// Converts one text of the save XML into the value to store for a column, or explains in
/// error why it cannot be stored. Empty text stores Null.
std::optional<QVariant> storedValue(const DictField& field, const QString& text, QString& error);

} // namespace tarvo::suite
