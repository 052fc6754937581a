#pragma once

#include "IClsCommon.h"

#include <QString>

class QTextStream;

namespace tarvo {

/// Checks a branch directory file and, when store is set, makes it the directory of db in one
/// transaction (rows refused are left out, the rest stored, as the account import does).
/// Writes one line per row of the file and one per branch it retires (row number or "-",
/// code, verdict, reason, separated by tabs), then the counts; failures go to the session's
/// messages. Storing takes the right to add and change banks of the bank archive. True when
/// no row was refused and nothing failed.
bool importBranchesUnattended(ClsCommonPtr& db, const QString& path, bool store, QTextStream& out);

} // namespace tarvo
