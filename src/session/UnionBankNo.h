#pragma once

#include <QString>
#include <QStringList>

namespace tarvo {

/// Whether a 联行号 (interbank code) may be stored: none at all, or exactly twelve ASCII digits.
/// The last digit is a check digit whose rule the banks do not publish, so it is not checked.
bool acceptableUnionBankNo(const QString& code);

/// The names a branch directory's province or city may go by among the regions the archives
/// offer: as written first, then with the ending a directory often leaves out (浙江, 浙江省).
/// Regions are named in Chinese whatever the session's language. None for an empty name.
QStringList regionNameCandidates(const QString& name);

} // namespace tarvo
