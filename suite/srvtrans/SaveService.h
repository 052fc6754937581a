#pragma once

#include "SqlBackend.h"

#include <QSet>
#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>

namespace tarvo::suite {

class AccountDatabase;
class DatabaseFacts;
class StoredFacts;
struct DictField;
struct SaveRecord;

/// A record of the save XML as the data dictionary takes it: its columns, the values to store
/// in them and its key.
struct CheckedRecord {
    QVector<const DictField*> columns;
    QVariantList values;
    QString keyText;
};

/// The save service: stores records from their save XML and deletes them, after checking
/// everything against the data dictionary. Every write is one transaction with its audit row and
/// the history of the fields it changed; a refusal answers False with a Chinese reason and
/// leaves the database untouched.
class SaveService {
public:
    SaveService(AccountDatabase& db, QString userId);

    enum class Mode { Add, Modify };

    bool add(const QString& xml, const QString& archive, QString& error);
    bool modify(const QString& xml, const QString& archive, QString& error);
    bool remove(const QVariant& key, const QString& keyField, const QString& archive,
                QString& error, const QString& userId);

    /// The checks of a save that need no database: the root, each column and value against the
    /// data dictionary, the key and the fields an add must bring. Nothing, with the reason,
    /// when the save would refuse the record.
    std::optional<CheckedRecord> prepare(const SaveRecord& record, const QString& archive,
                                         Mode mode, QString& error) const;
    /// The checks of a save against what is stored, seen through facts: the key stored or
    /// not as the mode wants, and each rule of the archive. Writes nothing.
    bool checkStored(const CheckedRecord& record, const QString& archive, Mode mode,
                     StoredFacts& facts, QString& error) const;
    /// False, with the reason, when the record empties a column the table holds NOT NULL
    /// (lower-case names): the database would refuse it. A check that writes nothing asks
    /// this where a save learns it from the database.
    static bool fillsNotNull(const CheckedRecord& record, const QSet<QString>& notNull,
                             QString& error);

private:
    AccountDatabase& m_db;
    QString m_userId;

    /// False, with the reason, when the database engine would not store the value unchanged.
    bool engineKeepsExactly(const DictField& f, const QVariant& value, QString& error) const;
    bool save(const QString& xml, const QString& archive, Mode mode, QString& error);
    /// False, naming the other account, when a bank account's number is already another's:
    /// blanks and hyphens do not make two numbers different.
    static bool accountNumberIsFree(const QString& archive, const CheckedRecord& record,
                                    StoredFacts& facts, QString& error);
    /// False when a bank's company account numbers are of fixed length without one of 1 to 40.
    static bool companyLengthIsSet(const QString& archive, const CheckedRecord& record,
                                   StoredFacts& facts, QString& error);
    /// The archive's key field when keyField names it; null, with the reason, otherwise.
    const DictField* deleteKey(const QString& keyField, const QString& archive, QString& error);
    /// False, with the reason, when the record is gone or may not be deleted.
    bool checkDelete(const QString& table, const DictField& key, const QString& keyText,
                     QString& error);
    /// Adds to the batch the questions of the record's checks beside its own row.
    void askAhead(const CheckedRecord& record, const QString& archive, DatabaseFacts& facts,
                  QVector<Statement>& batch) const;
    /// The record's INSERT or UPDATE; empty when a modify brings nothing but the key.
    Statement writeStatement(const CheckedRecord& record, const QString& archive, Mode mode) const;
    void audit(const QString& table, const QString& action, const QString& key,
               const QString& detail, const QString& userId);
    /// The audit row sent with the commit.
    void auditLater(const QString& table, const QString& action, const QString& key,
                    const QString& detail, const QString& userId);
    Statement auditRow(const QString& table, const QString& action, const QString& key,
                       const QString& detail, const QString& userId);
};

/// Converts one text of the save XML into the value to store for a column, or explains in
/// error why it cannot be stored. Empty text stores Null.
std::optional<QVariant> storedValue(const DictField& field, const QString& text, QString& error);

} // namespace tarvo::suite
