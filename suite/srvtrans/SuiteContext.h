#pragma once

#include <QString>

namespace tarvo::suite {

/// What the suite's login object tells the other suite objects of the running session on this
/// thread: who is logged in (the save service records it as the author of a change) and the
/// session language ("zh-CN" or "en-US") for captions.
void setCurrentUser(const QString& userId);
/// The logged-in user, or the system account name when nobody has logged in.
QString currentUser();
void setSessionLanguage(const QString& language);
QString sessionLanguage();
/// Nobody watches the screen (a script's export): messages go to the error output instead of
/// waiting for a click.
void setUnattended(bool unattended);
bool isUnattended();

} // namespace tarvo::suite
