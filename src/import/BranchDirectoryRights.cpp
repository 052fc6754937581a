#include "BranchDirectoryRights.h"

namespace tarvo {

QString branchDirectoryRefusal(IClsCommon& db) {
    for (const char* action : {"Add", "Modify"})
        if (QString refusal = db.RightRefusal(QStringLiteral("aa_bank"), QLatin1String(action));
            !refusal.isEmpty())
            return refusal;
    return {};
}

} // namespace tarvo
