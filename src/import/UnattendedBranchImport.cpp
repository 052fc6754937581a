#include "UnattendedBranchImport.h"

#include "BranchDirectoryRights.h"
#include "BranchImport.h"
#include "ErrorHandling.h"

#include <QTextStream>

namespace tarvo {

bool importBranchesUnattended(ClsCommonPtr& db, const QString& path, bool store, QTextStream& out) {
    // Asked before the file is read, so that a refusal costs no check.
    if (store)
        if (const QString refusal = branchDirectoryRefusal(*db); !refusal.isEmpty()) {
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
