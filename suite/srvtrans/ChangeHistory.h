#pragma once

#include "SqlBackend.h"

#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>

namespace tarvo::suite {

class AccountDatabase;
struct DictField;

/// One field of a record as a change left it: the value before (null for an add) and after
/// (null for a delete).
struct FieldChange {
    const DictField* field;
    QVariant before;
    QVariant after;
};

/// One change of a record: added, modified or deleted, with its fields.
struct RecordChange {
    QString action; ///< Add, Modify or Delete
    QString keyText;
    QVector<FieldChange> changes;
};

/// One row of a record's history, as read back.
struct HistoryEntry {
    QString when; ///< "yyyy-MM-dd HH:mm:ss", the database's local time
    QString userId;
    QString userName;
    QString sessionUser; ///< the server's login role, or the operating-system account on a file
    QString action;      ///< Add, Modify or Delete
    QString key;
    QString field; ///< the column's name
    QString before;
    QString after;
};

/// The history of the archives' records, field by field. The save service records each change
/// inside its own transaction, so a change is in the history exactly when it is stored.
class ChangeHistory {
public:
    explicit ChangeHistory(AccountDatabase& db);

    /// The values the record holds now in these columns, or nothing when there is no record.
    std::optional<QVariantList> storedValues(const QString& archive,
                                             const QVector<const DictField*>& columns,
                                             const QString& keyText);
    /// Records one change of a record. Fields whose value stays as it was are left out; a
    /// change that leaves every value as it was records nothing.
    void record(const QString& archive, const QString& action, const QString& keyText,
                const QString& userId, const QVector<FieldChange>& changes);
    /// What record() runs: one statement that numbers the change on the database and needs
    /// no answer; nothing when every value stays as it was.
    std::optional<Statement> recordStatement(const QString& archive, const QString& action,
                                             const QString& keyText, const QString& userId,
                                             const QVector<FieldChange>& changes);
    /// Records the changes of many records, numbered in their order, in a few statements.
    void recordAll(const QString& archive, const QString& userId,
                   const QVector<RecordChange>& records);
    /// A record's history (or the whole archive's when key is null), newest change first and
    /// the fields of a change in the order they were saved.
    QVector<HistoryEntry> read(const QString& archive, const std::optional<QString>& key);

    /// A value as the history keeps and compares it: amounts without superfluous zeros, dates
    /// as ISO dates, flags and whole numbers as digits; null for null and empty text.
    static QString text(const DictField& field, const QVariant& value);

private:
    AccountDatabase& m_db;
};

} // namespace tarvo::suite
