#pragma once

#include <QString>

class QDir;

namespace tarvo::suite {

/// Names for the files a process keeps while it writes (print data, a half-written export)
/// that tell which process they belong to, so that what a killed process left is recognised
/// and cleared by the next one instead of piling up.

/// `prefix` followed by this process's id and a dash.
QString ownedPrefix(const QString& prefix);

/// Removes the files and folders in `dir` named `prefix` + a process id + "-", of this user,
/// whose process has ended.
void removeLeftovers(const QDir& dir, const QString& prefix);

} // namespace tarvo::suite
