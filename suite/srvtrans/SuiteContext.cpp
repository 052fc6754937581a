#include "SuiteContext.h"

#include "DataFiles.h"
#include "SessionContext.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QtGlobal>

#include <memory>
#include <vector>

namespace tarvo::suite {

namespace {
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
        // Qt speaks English by itself; its English file would only stand in its way.
        if (name == u"qtbase" && locale.language() == QLocale::English)
            continue;
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(locale, name, QStringLiteral("_"), dir)) {
            QCoreApplication::installTranslator(translator.get());
            installed.push_back(std::move(translator));
        }
    }
}
} // namespace

void setCurrentUser(const QString& userId) {
    SessionContext::current().user = userId;
}

QString currentUser() {
    if (const QString& user = SessionContext::current().user; !user.isEmpty())
        return user;
    const QString account = qEnvironmentVariable("USER");
    return account.isEmpty() ? QStringLiteral("system") : account;
}

void showQtTextsInSessionLanguage() {
    useQtTranslations(SessionContext::current().language);
}

QStringList sessionLanguages() {
    return {QStringLiteral("zh-CN"), QStringLiteral("en-US")};
}

bool setSessionLanguage(const QString& language) {
    for (const QString& carried : sessionLanguages()) {
        if (carried.compare(language, Qt::CaseInsensitive) == 0) {
            SessionContext::current().language = carried;
            useQtTranslations(carried);
            return true;
        }
    }
    return false;
}

QString sessionLanguage() {
    return SessionContext::current().language;
}

void setUnattended(bool unattended) {
    SessionContext::current().unattended = unattended;
}

bool isUnattended() {
    return SessionContext::current().unattended;
}

} // namespace tarvo::suite
