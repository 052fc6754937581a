#include "SuiteContext.h"

#include <QtGlobal>

namespace tarvo::suite {

namespace {
thread_local QString t_user;
thread_local QString t_language = QStringLiteral("zh-CN");
thread_local bool t_unattended = false;
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

void setUnattended(bool unattended) {
    t_unattended = unattended;
}

bool isUnattended() {
    return t_unattended;
}

} // namespace tarvo::suite
