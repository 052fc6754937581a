#pragma once

#include "SaveService.h"

namespace tarvo::suite {

/// Writes checked records of one archive the way single saves would — the record, its audit
/// row and its history — but a few hundred records per statement: on a server a batch costs a
/// few round trips per few hundred records instead of several per record. Runs inside the
/// caller's transaction.
class BatchWriter {
public:
    BatchWriter(AccountDatabase& db, const QString& archive, QString userId);

    /// Queues a new record.
    void add(CheckedRecord record, const QString& xml);
    /// Queues a change of a stored record; before holds every column as stored, in the
    /// dictionary's order.
    void modify(CheckedRecord record, QVariantList before, const QString& xml);
    /// Writes what is queued.
    void flush();

private:
    struct Pending {
        SaveService::Mode mode;
        CheckedRecord record;
        QVariantList before;
        QString xml;
    };
    AccountDatabase& m_db;
    QString m_table;
    QString m_userId;
    QVector<Pending> m_pending;

    void queue(Pending p);
    /// Inserts the new records; returns every column of each as stored, by key.
    QHash<QString, QVariantList> insertAdded();
    void updateModified();
    void audit();
    void history(const QHash<QString, QVariantList>& added);
};

} // namespace tarvo::suite
