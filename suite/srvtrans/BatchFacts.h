#pragma once

#include "StoredFacts.h"

#include <QHash>
#include <QSet>
#include <QVector>

#include <functional>

namespace tarvo::suite {

struct CheckedRecord;
struct DictField;

/// The stored facts for checking many records of one archive without a query per record: the
/// stored records a run of records names and the accounts holding their numbers are read with
/// one query per few hundred, the other tables' rows once per batch, and each record the batch
/// takes is counted in, so that a later record sees it as the database would.
class BatchFacts : public StoredFacts {
public:
    /// Reads what is stored for these keys and numbers (as compared) that is not known yet, in
    /// one round trip on a server, together with the statements along, whose answers it
    /// returns. Throws DbError when any of them fails.
    QVector<QueryResult> load(const QStringList& keys, const QStringList& comparedNumbers,
                              const QVector<Statement>& along = {});
    /// Gives back the index-th record of the batch as checked; see take().
    using Recall = std::function<CheckedRecord(int index)>;
    explicit BatchFacts(AccountDatabase& db, const QString& archive, Recall recall);

    /// Counts the index-th record of the batch in as stored: added when its key is new,
    /// modified otherwise. A new record is kept as its number and index only, and worked out
    /// again should a later record name it: a file of new records is not held twice.
    void take(const CheckedRecord& record, int index);
    /// Every column of the archive's record with this key, in the dictionary's order; null
    /// when no record has it.
    const QVariantList* row(const QString& key);
    const QVector<const DictField*>& fields() const { return m_fields; }

    std::optional<QVariantList> stored(const QString& archive, const QStringList& columns,
                                       const QString& key) override;
    QString numberHolder(const QString& compared, const QString& key) override;
    std::optional<QVariant> lookUp(const NamedRow& row, const QString& value) override;

private:
    AccountDatabase& m_db;
    QString m_table;
    QVector<const DictField*> m_fields;
    int m_number = -1; ///< index of the account number in m_fields, -1 in other archives
    /// Records read or taken, by key; only these may have other numbers than the database's.
    QHash<QString, QVariantList> m_rows;
    QHash<QString, int> m_added; ///< records the batch added, by key: their index
    Recall m_recall;
    QSet<QString> m_absent; ///< keys read and not stored
    /// Compared number -> codes holding it: as stored for records not in m_rows ...
    QHash<QString, QStringList> m_storedHolders;
    /// ... and as held now by the records in m_rows.
    QHash<QString, QStringList> m_heldNow;
    QHash<const NamedRow*, QHash<QString, QVariant>> m_named;

    void hold(const QVariant& number, const QString& key, bool holds);
    /// The row of a record the batch added, worked out again and kept from now on.
    QHash<QString, QVariantList>::iterator recall(const QString& key);
};

} // namespace tarvo::suite
