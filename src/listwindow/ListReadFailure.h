#pragma once

#include <QString>

namespace tarvo {

/// Why the list's rows stopped coming, as the clerk is told it wherever the list is read: a
/// statement refused before any row is the list's condition, a failure amid them the
/// connection's (error holds the engine's words).
QString listReadFailure(qint64 rowsRead, const QString& error);

} // namespace tarvo
