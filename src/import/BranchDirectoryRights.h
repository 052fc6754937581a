#pragma once

#include "IClsCommon.h"

#include <QString>

namespace tarvo {

/// Why the database would refuse this session storing the branch directory, in the session's
/// language; empty when it allows it. The directory names the banks of the bank archive:
/// whoever may add and change banks there may keep it.
QString branchDirectoryRefusal(IClsCommon& db);

} // namespace tarvo
