#include "UnattendedBranchImport.h"

#include "BranchImport.h"
#include "ErrorHandling.h"

#include <QTextStream>

namespace tarvo {

bool importBranchesUnattended(ClsCommonPtr& db, const QString& path, bool store, QTextStream& out) {
    // The directory names the banks of the bank archive: whoever may keep that archive may
    // keep the directory. Asked before the file is read, so that a refusal costs no check.
    if (store)
        for (const char* action : {"Add", "Modify"})
            if (const QString refusal =
                    db->RightRefusal(QStringLiteral("aa_bank"), QLatin1String(action));
                !refusal.isEmpty()) {
                ShowInfo(refusal);
                return false;
            }
    BranchImport import;
    QString error;
    if (!import.read(path, error) || !import.check(db, error)) {
        ShowInfo(error);
        return false;
    }
    for (const BranchLine& l : import.lines())
        out << (l.line > 0 ? QString::number(l.line) : QStringLiteral("-")) << '\t' << l.code
            << '\t' << BranchImport::verdictText(l.verdict) << '\t' << l.reason << '\n';
    out << import.countsText() << '\n';
    out.flush();
    const bool clean = import.counts()[int(BranchVerdict::Refused)] == 0;
    if (!store)
        return clean;
    if (!import.store(db, error)) {
        ShowInfo(error);
        return false;
    }
    out << import.storedText() << '\n';
    out.flush();
    return clean;
}

} // namespace tarvo
