// The desktop host: logs a user in to an account database and opens an archive, either the
// classic way (Show with an archive name and system id) or through the portal (a menu id).
#include "AccountDatabase.h"
#include "ComponentRegistration.h"
#include "FrmMain.h"
#include "HostApplication.h"
#include "HostOptions.h"
#include "ITarvoArchive.h"
#include "LoadedListRunner.h"
#include "Login.h"
#include "PortalBusiness.h"
#include "PrintControl.h"
#include "ScreenshotTaker.h"
#include "SessionFont.h"
#include "SuiteContext.h"
#include "SuiteRegistration.h"
#include "UnattendedImport.h"

#include "ClassRegistry.h"
#include "DataFiles.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>

namespace {

/// The database a first start makes to try the program on, wherever it is named from: the
/// only one that gets a folder made for it and the demo company's records.
bool isDefaultDatabase(const QString& dbName) {
    return QFileInfo(dbName).absoluteFilePath() ==
           QFileInfo(HostOptions::defaultDatabase()).absoluteFilePath();
}

void useOffscreenWithoutDisplay(bool scripted) {
    // A script's run shows no window at all, display or not.
    if (scripted ||
        (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
         qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

/// The host's own texts in the session language; Chinese, their source, needs none.
void useHostLanguage(const QString& language) {
    static QTranslator translator;
    if (translator.load(QLocale(language), QStringLiteral("tarvo-archive"), QStringLiteral("_"),
                        tarvo::dataFile(QStringLiteral("translations"))))
        QCoreApplication::installTranslator(&translator);
}

/// Tells the user why the host cannot go on: on the console, and in a message box when a user
/// is looking at the screen.
void fail(bool headless, const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    if (!headless)
        QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), message);
}

} // namespace

#ifdef TARVOARCHIVE_EARLIER_BUILD
constexpr char kHostName[] = "tarvo-archive-earlier";
#else
constexpr char kHostName[] = "tarvo-archive";
#endif

int main(int argc, char** argv) {
    useOffscreenWithoutDisplay(HostOptions::scripted(argc, argv));
    HostApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kHostName));
    QApplication::setApplicationVersion(QStringLiteral(TARVO_VERSION));
    QApplication::setApplicationDisplayName(hostText("基础档案"));

    HostOptions options;
    options.process(app);
    if (options.headless())
        app.setHeadless(true);

    if (!tarvo::suite::setSessionLanguage(options.language())) {
        fail(app.headless(), QStringLiteral("不支持的界面语言“%1”。可用的语言：%2。")
                                 .arg(options.language(),
                                      tarvo::suite::sessionLanguages().join(QStringLiteral("、"))));
        return 2;
    }
    useHostLanguage(tarvo::suite::sessionLanguage());
    tarvo::suite::useSessionFont();
    QApplication::setApplicationDisplayName(hostText("基础档案"));
    if (const QString misuse = options.misuse(); !misuse.isEmpty()) {
        fail(app.headless(), misuse);
        return 2;
    }
    // Calendars and other controls that name months and days follow the session language.
    QLocale::setDefault(QLocale(options.language()));
    tarvo::suite::registerSuiteClasses();
    tarvoArchiveRegisterClasses();

    using tarvo::suite::AccountDatabase;
    const bool ownDatabase = isDefaultDatabase(options.database());
    QString error;
    if (ownDatabase) {
        try {
            AccountDatabase::createPrivateFolder(QFileInfo(options.database()).absolutePath());
        } catch (const tarvo::suite::DbError& e) {
            fail(app.headless(), e.text());
            return 1;
        }
    }
    const auto login = tarvo::suite::Login::logIn(
        options.database(), options.user(), error,
        ownDatabase ? AccountDatabase::Seed::WithDemo : AccountDatabase::Seed::ReferenceOnly);
    if (!login) {
        fail(app.headless(), error);
        return 1;
    }

    std::unique_ptr<ScreenshotTaker> screenshot;
    if (options.screenshot()) {
        screenshot =
            std::make_unique<ScreenshotTaker>(options.screenshotFile(), options.screenshotCommand(),
                                              options.lookup(), options.search());
        screenshot->setImportFile(options.importFile());
        if (const QFileInfo database(options.database()); database.isFile())
            screenshot->setDatabaseFolder(database.absolutePath());
        screenshot->setWindowSize(options.windowSize());
    }

    std::unique_ptr<LoadedListRunner> exporter;
    if (options.exporting()) {
        tarvo::suite::setUnattended(true);
        tarvo::suite::setUnattendedExportPath(options.exportFile());
        // Until the list's output command runs, nothing was written.
        tarvo::suite::lastExportOutcome() = {1, options.exportFile(), {}};
        exporter = std::make_unique<LoadedListRunner>(
            [](tarvo::FrmMain& list) { list.DoCommand(QStringLiteral("SaveFile")); });
    }
    auto component =
        tarvo::createObject<tarvo::ITarvoArchive>(QStringLiteral("TarvoArchive.ITarvoArchive"));
    if (options.importing()) {
        // A script's import needs the archive's session, not its list.
        tarvo::suite::setUnattended(true);
        const tarvo::UnattendedImport job{options.importFile(), options.commit(),
                                          options.confirmLengths()};
        QTextStream out(stdout);
        QString archive = options.archive();
        QString sysId = options.sysId();
#ifndef TARVOARCHIVE_EARLIER_BUILD
        if (options.viaPortal()) {
            archive = tarvo::ITarvoArchive::menuArchive(options.menu());
            sysId.clear();
        }
#endif
        const bool imported =
            component->RunWithoutWindow(login, archive, sysId, [&](tarvo::ComVar& comVar) {
                return tarvo::importUnattended(comVar, job, out);
            });
        return !app.failed() && imported ? 0 : 1;
    }
#ifndef TARVOARCHIVE_EARLIER_BUILD
    if (options.viaPortal()) {
        component->setBusiness(std::make_shared<tarvo::suite::PortalBusiness>(login));
        component->ILoginable_CallFunction(options.menu(), QString(), QString(), QString());
    } else
#endif
    {
        component->Show(login, options.archive(), options.sysId());
    }
    if (app.failed())
        return 1;
    if (exporter) {
        const auto& outcome = tarvo::suite::lastExportOutcome();
        if (outcome.result == 0)
            return 0;
        std::fprintf(stderr, "%s\n",
                     qPrintable(hostText("没有输出到“%1”").arg(options.exportFile())));
        return 1;
    }
    return screenshot && !screenshot->saved() ? 1 : 0;
}
