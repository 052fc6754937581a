#include "UnattendedImport.h"

#include "ErrorHandling.h"
#include "ImportBatch.h"

#include <QTextStream>

namespace tarvo {

bool importUnattended(const QString& archive, const QVector<ListField>& listFields,
                      const UnattendedImport& job, QTextStream& out) {
    ImportBatch batch(archive, listFields);
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

} // namespace tarvo
