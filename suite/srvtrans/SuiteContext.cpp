#include "SuiteContext.h"

#include "DataFiles.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QtGlobal>

#include <memory>
#include <vector>

namespace tarvo::suite {

namespace {
thread_local QString t_user;

/// Qt's translations of its own texts as Debian ships them, and the suite's translations of
/// the texts of its controls (written in Chinese).
void useQtTranslations(const QString& language) {
    static std::vector<std::unique_ptr<QTranslator>> installed;
    static QString installedFor = QStringLiteral("zh-CN:none");
    if (installedFor == language)
        return;
    installedFor = language;
    for (const auto& t : installed)
        QCoreApplication::removeTranslator(t.get());
    installed.clear();
    const QLocale locale(language);
    const QString qtDir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const auto& [name, dir] :
         {std::pair{QStringLiteral("qtbase"), qtDir},
          std::pair{QStringLiteral("tarvosuite"), dataFile(QStringLiteral("translations"))}}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(locale, name, QStringLiteral("_"), dir)) {
            QCoreApplication::installTranslator(translator.get());
            installed.push_back(std::move(translator));
        }
    }
}
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

void setUnattended(bool unattended) {
    t_unattended = unattended;
}

bool isUnattended() {
    return t_unattended;
}

} // namespace tarvo::suite
