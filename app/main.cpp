// The desktop host: logs a user in to an account database and opens an archive, either the
// classic way (Show with an archive name and system id) or through the portal (a menu id).
#include "AccountDatabase.h"
#include "ComponentRegistration.h"
#include "FrmMain.h"
#include "HostApplication.h"
#include "HostLanguage.h"
#include "HostOptions.h"
#include "ITarvoArchive.h"
#include "KnownPlatformWarnings.h"
#include "LoadedListRunner.h"
#include "Login.h"
#include "OtherArchiveCommand.h"
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
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
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

/// A window size written "1280x800", no smaller than a list window can be; invalid otherwise.
QSize sizeOf(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{3,4})[xX](\\d{3,4})$"));
    const auto m = form.match(text.trimmed());
    const QSize size = m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
    return size.width() >= 640 && size.height() >= 400 ? size : QSize();
}

/// Names listed in a message, separated as the session language writes a list.
QString listed(const QStringList& names) {
    return names.join(hostText("、"));
}

/// Whether a value is one of those allowed, in any letter case.
bool oneOf(const QString& value, const QStringList& allowed) {
    for (const QString& a : allowed)
        if (value.compare(a, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

/// Tells the user why the host cannot go on: on the console, and in a message box when a user
/// is looking at the screen.
void fail(bool headless, const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    if (!headless)
        QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), message);
}

/// Why the import options given do not go together; empty when they do.
QString importMisuse(bool file, bool screenshot, bool check, bool commit, bool confirmLengths,
                     bool otherJob) {
    if (check && commit)
        return hostText("--check 和 --commit 只能选一个");
    if ((check || commit) && !file)
        return hostText("--check 和 --commit 要和 --import 一起使用");
    if (confirmLengths && !check && !commit)
        return hostText("--confirm-lengths 只用于 --check 或 --commit");
    if ((check || commit) && (screenshot || otherJob))
        return hostText(
            "--check 和 --commit 不打开窗口，不能与 --screenshot、--card 或 --export 同用");
    if (file && !screenshot && !check && !commit)
        return hostText("--import 要和 --check、--commit 或 --screenshot 之一一起使用");
    return {};
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
    const bool viaPortal = !menus.isEmpty() && cli.isSet(o.menu);
    const bool importing = cli.isSet(o.check) || cli.isSet(o.commit);
    if (cli.isSet(o.shot) || cli.isSet(o.exportFile) || importing)
        app.setHeadless(true);

    if (!languageCarried) {
        fail(app.headless(), hostText("不支持的界面语言“%1”。可用的语言：%2。")
                                 .arg(language, listed(tarvo::suite::sessionLanguages())));
        return 2;
    }
    tarvo::suite::useSessionFont();
    const QStringList cards{
        QStringLiteral("Add"),      QStringLiteral("Modify"),  QStringLiteral("Preview"),
        QStringLiteral("Filter"),   QStringLiteral("FindSet"), QStringLiteral("Pos"),
        QStringLiteral("FieldSet"), QStringLiteral("Help"),    QStringLiteral("About"),
        QStringLiteral("History"),  QStringLiteral("Import")};
    // The plain bank archive, and the one that shows the online-banking fields.
    const QStringList systems{QString(), QStringLiteral("NB")};
    if (!viaPortal && !oneOf(cli.value(o.archive), archives)) {
        fail(app.headless(), hostText("不提供档案“%1”。可以打开的档案：%2。")
                                 .arg(cli.value(o.archive), listed(archives)));
        return 2;
    }
    if (!oneOf(cli.value(o.sysId), systems)) {
        fail(
            app.headless(),
            hostText("不提供系统标识“%1”。可用的系统标识：NB，或不给出。").arg(cli.value(o.sysId)));
        return 2;
    }
    if (viaPortal && !menus.contains(cli.value(o.menu))) {
        fail(
            app.headless(),
            hostText("门户菜单“%1”不存在。可用的菜单：%2。").arg(cli.value(o.menu), listed(menus)));
        return 2;
    }
    if (const QString misuse = importMisuse(
            cli.isSet(o.importFile), cli.isSet(o.shot), cli.isSet(o.check), cli.isSet(o.commit),
            cli.isSet(o.confirmLengths), cli.isSet(o.exportFile) || cli.isSet(o.card));
        !misuse.isEmpty()) {
        fail(app.headless(), misuse);
        return 2;
    }
    const QSize listSize = sizeOf(cli.value(o.windowSize));
    if (cli.isSet(o.windowSize) && !listSize.isValid()) {
        fail(app.headless(), hostText("窗口大小“%1”无效，应写成 宽x高，如 1280x800（至少 640x400）")
                                 .arg(cli.value(o.windowSize)));
        return 2;
    }
    if (cli.isSet(o.card) && !oneOf(cli.value(o.card), cards)) {
        fail(app.headless(),
             hostText("卡片命令“%1”无效，应为 %2 之一。").arg(cli.value(o.card), listed(cards)));
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
        const QString command =
            cli.isSet(o.importFile) ? QStringLiteral("Import") : cli.value(o.card);
        screenshot = std::make_unique<ScreenshotTaker>(cli.value(o.shot), command,
                                                       cli.value(o.lookup), cli.value(o.search));
        screenshot->setImportFile(cli.value(o.importFile));
        if (const QFileInfo database(cli.value(o.db)); database.isFile())
            screenshot->setDatabaseFolder(database.absolutePath());
        screenshot->setWindowSize(listSize);
    }

    std::unique_ptr<LoadedListRunner> exporter;
    if (cli.isSet(o.exportFile)) {
        tarvo::suite::setUnattended(true);
        tarvo::suite::setUnattendedExportPath(cli.value(o.exportFile));
        // Until the list's output command runs, nothing was written.
        tarvo::suite::lastExportOutcome() = {1, cli.value(o.exportFile), {}};
        exporter = std::make_unique<LoadedListRunner>(
            [](tarvo::FrmMain& list) { list.DoCommand(QStringLiteral("SaveFile")); });
    }
    std::unique_ptr<LoadedListRunner> importer;
    bool imported = false;
    QTextStream out(stdout);
    if (importing) {
        tarvo::suite::setUnattended(true);
        const tarvo::UnattendedImport job{cli.value(o.importFile), cli.isSet(o.commit),
                                          cli.isSet(o.confirmLengths)};
        importer = std::make_unique<LoadedListRunner>(
            [&, job](tarvo::FrmMain& list) { imported = list.ImportFileUnattended(job, out); });
    }

    std::unique_ptr<OtherArchiveCommand> otherArchive;
    if (!viaPortal && !app.headless() &&
        oneOf(cli.value(o.archive), {QStringLiteral("aa_bank"), QStringLiteral("bank")})) {
        otherArchive = std::make_unique<OtherArchiveCommand>(
            cli.value(o.archive),
            QStringList{QStringLiteral("--db"), cli.value(o.db), QStringLiteral("--user"),
                        cli.value(o.user), QStringLiteral("--lang"),
                        tarvo::suite::sessionLanguage()},
            [](const QString& program, const QStringList& arguments) {
                return QProcess::startDetached(program, arguments);
            });
    }

    auto component =
        tarvo::createObject<tarvo::ITarvoArchive>(QStringLiteral("TarvoArchive.ITarvoArchive"));
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
    if (importer)
        return imported ? 0 : 1;
    if (exporter) {
        const auto& outcome = tarvo::suite::lastExportOutcome();
        if (outcome.result == 0)
            return 0;
        std::fprintf(stderr, "%s\n",
                     qPrintable(hostText("没有输出到“%1”").arg(cli.value(o.exportFile))));
        return 1;
    }
    return screenshot && !screenshot->saved() ? 1 : 0;
}
