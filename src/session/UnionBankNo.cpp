#include "UnionBankNo.h"

#include <algorithm>

namespace tarvo {

bool acceptableUnionBankNo(const QString& code) {
    return code.isEmpty() ||
           (code.size() == 12 &&
            std::all_of(code.begin(), code.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }));
}

QStringList regionNameCandidates(const QString& name) {
    if (name.isEmpty())
        return {};
    return {name, name + QStringLiteral("省"), name + QStringLiteral("市"),
            name + QStringLiteral("自治区")};
}

} // namespace tarvo
