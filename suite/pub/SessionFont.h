#pragma once

#include <QFont>

namespace tarvo::suite {

/// The family every window of a session writes in, Chinese and Latin alike, with the fallbacks
/// of a machine that lacks it.
QStringList sessionFontFamilies();

/// Makes the session's family the application's, so that Qt's own message boxes and the
/// suite's dialogs write in the family of the list and card windows. The host calls it once,
/// when it sets up the session.
void useSessionFont();

} // namespace tarvo::suite
