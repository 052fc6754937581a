#include "SuiteContext.h"

#include <QtGlobal>

namespace tarvo::suite {

namespace {
thread_local QString t_user;
thread_local QString t_language = QStringLiteral("zh-CN");
} // namespace

void setCurrentUser(const QString& userId) {
    t_user = userId;
}

QString currentUser() {
    if (!t_user.isEmpty())
        return t_user;
    const QString account = qEnvironmentVariable("USER");
    return account.isEmpty() ? QStringLiteral("system") : account;
}

void setSessionLanguage(const QString& language) {
    t_language = language;
}

QString sessionLanguage() {
    return t_language;
}

} // namespace tarvo::suite
