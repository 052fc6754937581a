#pragma once

#include "IClsCommon.h"
#include "WorkProgress.h"

namespace tarvo::suite {

class AccountDatabase;
class StoredFacts;
struct SaveRecord;

/// Many records of one archive through the save service in one transaction: the import of a
/// file. Each record is added or modified by its key, with every check of a single save; one
/// equal to its stored row is not written at all, so a file imported twice changes nothing.
class BatchSave {
public:
    BatchSave(AccountDatabase& db, QString userId);

    /// See IClsCommon::SaveBatch. Runs on the caller's thread and never turns its event loop,
    /// whose events could otherwise run statements inside the open transaction.
    bool run(const QStringList& xmls, const QString& archive, bool store,
             QVector<BatchVerdict>& verdicts, QString& error, const WorkProgress& progress = {});

private:
    AccountDatabase& m_db;
    QString m_userId;

    /// Added when the key is not stored yet, Unchanged when every column the record brings
    /// holds that value already, Modified otherwise.
    BatchVerdict::Kind classify(const SaveRecord& record, const QString& archive,
                                StoredFacts& facts);
    /// False, with the reason unless asked to stop, when the batch ends early.
    bool runRowByRow(const QStringList& xmls, const QString& archive, bool store,
                     QVector<BatchVerdict>& verdicts, QString& error, const WorkProgress& progress);
    /// Sets rowByRow, and ends False with nothing read, when the table has triggers of its own:
    /// their refusals are known only once they ran.
    bool runInReads(const QStringList& xmls, const QString& archive, bool store, bool& rowByRow,
                    QVector<BatchVerdict>& verdicts, QString& error, const WorkProgress& progress);
};

} // namespace tarvo::suite
