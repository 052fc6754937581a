#pragma once

#include <QString>

namespace tarvo {

/// Whether a 联行号 (interbank code) may be stored: none at all, or exactly twelve ASCII digits.
/// The last digit is a check digit whose rule the banks do not publish, so it is not checked.
bool acceptableUnionBankNo(const QString& code);

} // namespace tarvo
