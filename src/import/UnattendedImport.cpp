#include "UnattendedImport.h"

#include "AccountSettings.h"
#include "ColumnSetup.h"
#include "EditLock.h"
#include "ErrorHandling.h"
#include "ImportBatch.h"

#include <QTextStream>

#include <optional>

namespace tarvo {

bool importUnattended(const QString& archive, const QVector<ListField>& listFields,
                      const UnattendedImport& job, QTextStream& out) {
    ImportBatch batch(archive, listFields);
    batch.dropCellsWhenChecked();
    QString error;
    if (!batch.read(job.path, error) || !batch.check(error)) {
        ShowInfo(error);
        return false;
    }
    if (!job.confirmLengths)
        batch.refuseNoted();
    for (int r = 0; r < batch.verdicts().size(); ++r)
        out << batch.data()[r].first << '\t' << batch.verdictText(r) << '\t' << batch.reasonText(r)
            << '\n';
    out << batch.countsText() << '\n';
    out.flush();
    const bool clean = batch.counts()[BatchVerdict::Refused] == 0;
    if (!job.store)
        return clean;
    ImportBatch::Counts stored{};
    if (!batch.store(stored, error)) {
        ShowInfo(error);
        return false;
    }
    out << ImportBatch::storedText(stored) << '\n';
    out.flush();
    return clean;
}

bool importUnattended(ComVar& comVar, const UnattendedImport& job, QTextStream& out) {
    // A set-up the user may not use leaves the captions of the file to the fields' own names,
    // and settings that cannot be read their defaults, as in the list: the import goes on.
    const QVector<ListField> fields =
        chooseColumnSetup(comVar) ? columnSetupFields() : QVector<ListField>();
    reportErrors([&] { LoadAccountSettings(comVar); });
    const QString& archive = comVar.m_ArchiveEnName;
    // A check stores nothing, so it has nothing to keep others from.
    std::optional<EditLockRelease> release;
    if (job.store) {
        if (!takeEditLock(archive))
            return false;
        release.emplace(archive);
    }
    bool clean = false;
    reportErrors([&] { clean = importUnattended(archive, fields, job, out); });
    return clean;
}

} // namespace tarvo
