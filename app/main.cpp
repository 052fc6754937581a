// The desktop host: logs a user in to an account database and opens an archive, either the
// classic way (Show with an archive name and system id) or through the portal (a menu id).
#include "AccountDatabase.h"
#include "ArchiveSession.h"
#include "ComponentRegistration.h"
#include "HostApplication.h"
#include "HostLanguage.h"
#include "HostOptions.h"
#include "ITarvoArchive.h"
#include "KnownPlatformWarnings.h"
#include "Login.h"
#include "OtherArchiveCommand.h"
#include "PortalBusiness.h"
#include "PrintControl.h"
#include "ScreenshotTaker.h"
#include "SessionFont.h"
#include "SuiteContext.h"
#include "SuiteRegistration.h"
#include "UnattendedBranchImport.h"
#include "UnattendedExport.h"
#include "UnattendedImport.h"

#include "ClassRegistry.h"
#include "DataFiles.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>

namespace {

QString defaultDatabase() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(dir).filePath(QStringLiteral("TarvoArchive/account.db"));
}

/// The database a first start makes to try the program on, wherever it is named from: the
/// only one that gets a folder made for it and the demo company's records.
bool isDefaultDatabase(const QString& dbName) {
    return QFileInfo(dbName).absoluteFilePath() == QFileInfo(defaultDatabase()).absoluteFilePath();
}

/// Whether the run is a script's export or import, or lists Qt's options: none shows a window.
bool scripted(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"--export", "--check", "--commit", "--help-all"})
            if (qstrcmp(argv[i], option) == 0 || (qstrncmp(argv[i], option, qstrlen(option)) == 0 &&
                                                  argv[i][qstrlen(option)] == '='))
                return true;
    return false;
}

void useOffscreenWithoutDisplay(bool scripted) {
    // A script's run shows no window at all, display or not.
    if (scripted ||
        (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
         qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void nameApplication() {
    QCoreApplication::setApplicationName(QString::fromLatin1(kHostName));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVO_VERSION));
}

/// Answers --help and --version, or says what is wrong with the command line, without Qt's
/// platform: a script asking the version of a program on a machine without a display, or as
/// root, gets its answer and nothing on the error output. The answer is in the language --lang
/// names or, without a language the suite carries, the system's.
int answerWithoutWindow(int argc, char** argv, const QStringList& archives,
                        const QStringList& menus, const QString& language) {
    QCoreApplication app(argc, argv);
    nameApplication();
    if (!tarvo::suite::setSessionLanguage(language))
        tarvo::suite::setSessionLanguage(languageOfLocale(QLocale::system()));
    useHostLanguage(tarvo::suite::sessionLanguage());
    HostOptions o(archives, menus, defaultDatabase());
    // Parsed again now that Qt's texts speak the session language, for its error text.
    QCommandLineParser& cli = o.cli;
    if (!cli.parse(app.arguments())) {
        std::fprintf(stderr, "%s: %s\n", kHostName, qPrintable(cli.errorText()));
        return 1;
    }
    if (cli.isSet(o.version))
        cli.showVersion();
    std::fputs(o.helpText().toLocal8Bit().constData(), stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    dropKnownPlatformWarnings();
#ifdef TARVOARCHIVE_EARLIER_BUILD
    // The earlier build serves the salesperson archive too, and has no portal road.
    const QStringList archives{QStringLiteral("aa_bank"), QStringLiteral("bank"),
                               QStringLiteral("person")};
    const QStringList menus;
#else
    const QStringList archives{QStringLiteral("aa_bank"), QStringLiteral("bank")};
    const QStringList menus{QStringLiteral("AA53"), QStringLiteral("AA54")};
#endif
    // Read before anything else, for the language of the run and for the answers that need
    // no window.
    QString language;
    {
        HostOptions first(archives, menus, defaultDatabase());
        const bool parsed = first.cli.parse(argumentsOf(argc, argv));
        language = first.cli.isSet(first.lang) ? first.cli.value(first.lang)
                                               : languageOfLocale(QLocale::system());
        if (!parsed || first.cli.isSet(QStringLiteral("help")) ||
            first.cli.isSet(QStringLiteral("version")))
            return answerWithoutWindow(argc, argv, archives, menus, language);
    }

    useOffscreenWithoutDisplay(scripted(argc, argv));
    HostApplication app(argc, argv);
    nameApplication();
    const bool languageCarried = tarvo::suite::setSessionLanguage(language);
    if (!languageCarried)
        tarvo::suite::setSessionLanguage(languageOfLocale(QLocale::system()));
    useHostLanguage(tarvo::suite::sessionLanguage());
    QApplication::setApplicationDisplayName(hostText("基础档案"));
    HostOptions o(archives, menus, defaultDatabase());
    QCommandLineParser& cli = o.cli;
    // Only --help-all is left for it to answer: Qt's own options need Qt's platform.
    cli.process(app);
    const bool viaPortal = o.viaPortal();
    const bool importing = o.importing();
    if (cli.isSet(o.shot) || cli.isSet(o.exportFile) || importing)
        app.setHeadless(true);

    if (!languageCarried) {
        fail(app.headless(), HostOptions::unsupportedLanguage(language));
        return 2;
    }
    tarvo::suite::useSessionFont();
    if (const QString misuse = o.misuse(); !misuse.isEmpty()) {
        fail(app.headless(), misuse);
        return 2;
    }
    // Calendars and other controls that name months and days follow the session language.
    QLocale::setDefault(QLocale(tarvo::suite::sessionLanguage()));
    tarvo::suite::registerSuiteClasses();
    tarvoArchiveRegisterClasses();

    using tarvo::suite::AccountDatabase;
    const bool ownDatabase = isDefaultDatabase(cli.value(o.db));
    QString error;
    if (ownDatabase) {
        try {
            AccountDatabase::createPrivateFolder(QFileInfo(cli.value(o.db)).absolutePath());
        } catch (const tarvo::suite::DbError& e) {
            fail(app.headless(), e.text());
            return 1;
        }
    }
    const auto login = tarvo::suite::Login::logIn(
        cli.value(o.db), cli.value(o.user), error,
        ownDatabase ? AccountDatabase::Seed::WithDemo : AccountDatabase::Seed::ReferenceOnly);
    if (!login) {
        fail(app.headless(), error);
        return 1;
    }

    std::unique_ptr<ScreenshotTaker> screenshot;
    if (cli.isSet(o.shot)) {
        const bool branches = cli.isSet(o.branches);
        const QString command = branches                   ? QStringLiteral("ImportBranches")
                                : cli.isSet(o.importFile) ? QStringLiteral("Import")
                                                           : cli.value(o.card);
        screenshot = std::make_unique<ScreenshotTaker>(cli.value(o.shot), command,
                                                       cli.value(o.lookup), cli.value(o.search));
        screenshot->setImportFile(cli.value(branches ? o.branches : o.importFile));
        if (const QFileInfo database(cli.value(o.db)); database.isFile())
            screenshot->setDatabaseFolder(database.absolutePath());
        screenshot->setWindowSize(o.listSize());
    }

    const bool exporting = cli.isSet(o.exportFile);
    if (exporting) {
        tarvo::suite::setUnattendedExportPath(cli.value(o.exportFile));
        // Nothing counts as written until the export says so.
        tarvo::suite::lastExportOutcome() = {1, cli.value(o.exportFile), {}};
    }
    auto component =
        tarvo::createObject<tarvo::ITarvoArchive>(QStringLiteral("TarvoArchive.ITarvoArchive"));
    if (importing || exporting) {
        // A script's import or export needs the archive's session, not its list window.
        tarvo::suite::setUnattended(true);
        QString archiveName = cli.value(o.archive);
        QString system = cli.value(o.sysId);
#ifndef TARVOARCHIVE_EARLIER_BUILD
        if (viaPortal) {
            archiveName = tarvo::ITarvoArchive::menuArchive(cli.value(o.menu));
            system.clear();
        }
#endif
        if (exporting) {
            component->RunWithoutWindow(login, archiveName, system, tarvo::exportUnattended,
                                        false, tarvo::expectUnattendedExport);
            if (app.failed())
                return 1;
            if (tarvo::suite::lastExportOutcome().result == 0)
                return 0;
            std::fprintf(stderr, "%s\n",
                         qPrintable(hostText("没有输出到“%1”").arg(cli.value(o.exportFile))));
            return 1;
        }
        QTextStream out(stdout);
        if (o.importingBranches()) {
            // The directory is the company's, not an archive's: the session is the bank
            // archive's, whose keepers may keep it, and takes no lock of it.
            const QString file = cli.value(o.branches);
            const bool store = cli.isSet(o.commit);
            const bool imported = component->RunWithoutWindow(
                login, QStringLiteral("aa_bank"), QString(),
                [&](tarvo::ComVar&) {
                    return tarvo::importBranchesUnattended(tarvo::ArchiveSession::current().SrvDB,
                                                           file, store, out);
                },
                true);
            return !app.failed() && imported ? 0 : 1;
        }
        const tarvo::UnattendedImport job{cli.value(o.importFile), cli.isSet(o.commit),
                                          cli.isSet(o.confirmLengths)};
        const bool imported = component->RunWithoutWindow(
            login, archiveName, system,
            [&](tarvo::ComVar& comVar) { return tarvo::importUnattended(comVar, job, out); },
            !job.store);
        return !app.failed() && imported ? 0 : 1;
    }

    std::unique_ptr<OtherArchiveCommand> otherArchive;
    if (!viaPortal && !app.headless() &&
        QStringList{QStringLiteral("aa_bank"), QStringLiteral("bank")}.contains(
            cli.value(o.archive), Qt::CaseInsensitive)) {
        otherArchive = std::make_unique<OtherArchiveCommand>(
            cli.value(o.archive),
            QStringList{QStringLiteral("--db"), cli.value(o.db), QStringLiteral("--user"),
                        cli.value(o.user), QStringLiteral("--lang"),
                        tarvo::suite::sessionLanguage()},
            [](const QString& program, const QStringList& arguments) {
                return QProcess::startDetached(program, arguments);
            });
    }

#ifndef TARVOARCHIVE_EARLIER_BUILD
    if (viaPortal) {
        component->setBusiness(std::make_shared<tarvo::suite::PortalBusiness>(login));
        component->ILoginable_CallFunction(cli.value(o.menu), QString(), QString(), QString());
    } else
#endif
    {
        component->Show(login, cli.value(o.archive), cli.value(o.sysId));
    }
    if (app.failed())
        return 1;
    return screenshot && !screenshot->saved() ? 1 : 0;
}
