#pragma once

#include <QStringList>

namespace tarvo::suite {

/// What the suite's login object tells the other suite objects of the running session on this
/// thread: who is logged in (the save service records it as the author of a change) and the
/// session language ("zh-CN" or "en-US") for captions. Work started beside the window takes it
/// along (SessionContext.h).
void setCurrentUser(const QString& userId);
/// The logged-in user, or the system account name when nobody has logged in.
QString currentUser();
/// Takes a language the suite carries ("zh-CN", "en-US", in any letter case) as the session
/// language and shows Qt's own texts (dialog buttons, context menus) in it; false, changing
/// nothing, for any other.
bool setSessionLanguage(const QString& language);
QString sessionLanguage();
/// Nobody watches the screen (a script's export): messages go to the error output instead of
/// waiting for a click.
void setUnattended(bool unattended);
bool isUnattended();
/// Shows Qt's own texts in the session language, once the application object exists.
void showQtTextsInSessionLanguage();
/// The languages the suite carries, in the form setSessionLanguage takes them.
QStringList sessionLanguages();

} // namespace tarvo::suite
