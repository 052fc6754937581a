#include "SuiteContext.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QtGlobal>

#include <memory>

namespace tarvo::suite {

namespace {
thread_local QString t_user;

/// Qt's translations of its own texts, as Debian ships them; English needs none.
void useQtTranslations(const QString& language) {
    static QTranslator* installed = nullptr;
    static QString installedFor = QStringLiteral("en-US");
    if (installedFor == language)
        return;
    installedFor = language;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    auto translator = std::make_unique<QTranslator>();
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (language.startsWith(u"en") ||
        !translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"), dir))
        return;
    installed = translator.release();
    QCoreApplication::installTranslator(installed);
}

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

void showQtTextsInSessionLanguage() {
    useQtTranslations(t_language);
}

QStringList sessionLanguages() {
    return {QStringLiteral("zh-CN"), QStringLiteral("en-US")};
}

bool setSessionLanguage(const QString& language) {
    for (const QString& carried : sessionLanguages()) {
        if (carried.compare(language, Qt::CaseInsensitive) == 0) {
            t_language = carried;
            useQtTranslations(carried);
            return true;
        }
    }
    return false;
}

QString sessionLanguage() {
    return t_language;
}

} // namespace tarvo::suite
