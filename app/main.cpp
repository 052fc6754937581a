// The desktop host: logs a user in to an account database and opens an archive, either the
// classic way (Show with an archive name and system id) or through the portal (a menu id).
#include "AccountDatabase.h"
#include "ComponentRegistration.h"
#include "FrmMain.h"
#include "HostApplication.h"
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
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QTranslator>

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

/// Whether the run is a script's export or import, or only asks for help or the version: none
/// shows a window.
bool scripted(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option :
             {"--export", "--check", "--commit", "--version", "-v", "--help", "-h"})
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

/// The host's own texts in the session language; Chinese, their source, needs none.
void useHostLanguage(const QString& language) {
    static QTranslator translator;
    if (translator.load(QLocale(language), QStringLiteral("tarvo-archive"), QStringLiteral("_"),
                        tarvo::dataFile(QStringLiteral("translations"))))
        QCoreApplication::installTranslator(&translator);
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

int main(int argc, char** argv) {
    useOffscreenWithoutDisplay(scripted(argc, argv));
    HostApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kHostName));
    QApplication::setApplicationVersion(QStringLiteral(TARVO_VERSION));
    QApplication::setApplicationDisplayName(hostText("基础档案"));

#ifdef TARVOARCHIVE_EARLIER_BUILD
    // The earlier build serves the salesperson archive too, and has no portal road.
    const QStringList archives{QStringLiteral("aa_bank"), QStringLiteral("bank"),
                               QStringLiteral("person")};
    const QStringList menus;
#else
    const QStringList archives{QStringLiteral("aa_bank"), QStringLiteral("bank")};
    const QStringList menus{QStringLiteral("AA53"), QStringLiteral("AA54")};
#endif
    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("银行档案与本单位开户银行"));
    cli.addHelpOption();
    cli.addVersionOption();
    const QCommandLineOption archive(QStringLiteral("archive"),
                                     QStringLiteral("要打开的档案：") +
                                         archives.join(QStringLiteral("、")),
                                     QStringLiteral("name"), QStringLiteral("aa_bank"));
    // The plain bank archive, and the one that shows the online-banking fields.
    const QStringList systems{QString(), QStringLiteral("NB")};
    const QCommandLineOption sysId(QStringLiteral("sysid"),
                                   QStringLiteral("系统标识：NB，或不给出"), QStringLiteral("id"));
    const QCommandLineOption menu(QStringLiteral("menu"),
                                  QStringLiteral("经门户打开的菜单：AA53 或 AA54"),
                                  QStringLiteral("id"));
    const QCommandLineOption db(QStringLiteral("db"),
                                QStringLiteral("账套数据库：SQLite 文件或 postgresql:// 地址"),
                                QStringLiteral("name"), defaultDatabase());
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("操作员编号"),
                                  QStringLiteral("id"), QStringLiteral("demo"));
    const QCommandLineOption lang(QStringLiteral("lang"), QStringLiteral("zh-CN 或 en-US"),
                                  QStringLiteral("language"), QStringLiteral("zh-CN"));
    const QCommandLineOption shot(QStringLiteral("screenshot"),
                                  QStringLiteral("打开窗口、保存截图后退出"),
                                  QStringLiteral("file"));
    const QCommandLineOption card(
        QStringLiteral("card"),
        QStringLiteral("截图时先从列表打开窗口：Add、Modify、Preview、Filter、FindSet、Pos、"
                       "FieldSet、Help、About、History 或 Import"),
        QStringLiteral("command"));
    const QCommandLineOption lookup(
        QStringLiteral("lookup"),
        QStringLiteral(
            "截图时在卡片上打开参照或日历：按钮或参照框的名称，如 cmdref4、EdtdOpenAccDate"),
        QStringLiteral("control"));
    const QCommandLineOption exportFile(
        QStringLiteral("export"),
        QStringLiteral("不打开窗口，把列表输出到文件（.xlsx、.csv 或 .pdf）后退出"),
        QStringLiteral("file"));
    const QCommandLineOption search(QStringLiteral("search"),
                                    QStringLiteral("截图时先在列表的搜索框中输入文字，如 gsyh"),
                                    QStringLiteral("text"));
    const QCommandLineOption windowSize(QStringLiteral("window-size"),
                                        QStringLiteral("截图时列表窗口的大小（像素），如 1280x800"),
                                        QStringLiteral("WxH"));
    const QCommandLineOption importFile(
        QStringLiteral("import"),
        QStringLiteral("要导入的 .csv 或 .xlsx 文件：配合 --screenshot 截取导入预览，"
                       "或配合 --check、--commit 不打开窗口地检查或导入"),
        QStringLiteral("file"));
    const QCommandLineOption check(
        QStringLiteral("check"),
        QStringLiteral("逐行输出 --import 文件的检查结果，不保存；有行被拒绝时返回 1"));
    const QCommandLineOption commit(
        QStringLiteral("commit"),
        QStringLiteral("在一个事务中保存 --import 文件中通过检查的行，输出各行结果和条数"));
    const QCommandLineOption confirmLengths(
        QStringLiteral("confirm-lengths"),
        QStringLiteral("--check、--commit 时接受不符合所属银行账号长度规则的银行账号"));
    cli.addOptions({archive, sysId, db, user, lang, shot, card, lookup, exportFile, search,
                    windowSize, importFile, check, commit, confirmLengths});
    if (!menus.isEmpty())
        cli.addOption(menu);
    cli.process(app);
    const bool viaPortal = !menus.isEmpty() && cli.isSet(menu);
    const bool importing = cli.isSet(check) || cli.isSet(commit);
    if (cli.isSet(shot) || cli.isSet(exportFile) || importing)
        app.setHeadless(true);

    if (!tarvo::suite::setSessionLanguage(cli.value(lang))) {
        fail(app.headless(), QStringLiteral("不支持的界面语言“%1”。可用的语言：%2。")
                                 .arg(cli.value(lang),
                                      tarvo::suite::sessionLanguages().join(QStringLiteral("、"))));
        return 2;
    }
    useHostLanguage(tarvo::suite::sessionLanguage());
    tarvo::suite::useSessionFont();
    QApplication::setApplicationDisplayName(hostText("基础档案"));
    const QStringList cards{
        QStringLiteral("Add"),      QStringLiteral("Modify"),  QStringLiteral("Preview"),
        QStringLiteral("Filter"),   QStringLiteral("FindSet"), QStringLiteral("Pos"),
        QStringLiteral("FieldSet"), QStringLiteral("Help"),    QStringLiteral("About"),
        QStringLiteral("History"),  QStringLiteral("Import")};
    if (!viaPortal && !oneOf(cli.value(archive), archives)) {
        fail(app.headless(), hostText("不提供档案“%1”。可以打开的档案：%2。")
                                 .arg(cli.value(archive), listed(archives)));
        return 2;
    }
    if (!oneOf(cli.value(sysId), systems)) {
        fail(app.headless(),
             hostText("不提供系统标识“%1”。可用的系统标识：NB，或不给出。").arg(cli.value(sysId)));
        return 2;
    }
    if (viaPortal && !menus.contains(cli.value(menu))) {
        fail(app.headless(),
             hostText("门户菜单“%1”不存在。可用的菜单：%2。").arg(cli.value(menu), listed(menus)));
        return 2;
    }
    if (const QString misuse = importMisuse(
            cli.isSet(importFile), cli.isSet(shot), cli.isSet(check), cli.isSet(commit),
            cli.isSet(confirmLengths), cli.isSet(exportFile) || cli.isSet(card));
        !misuse.isEmpty()) {
        fail(app.headless(), misuse);
        return 2;
    }
    const QSize listSize = sizeOf(cli.value(windowSize));
    if (cli.isSet(windowSize) && !listSize.isValid()) {
        fail(app.headless(), hostText("窗口大小“%1”无效，应写成 宽x高，如 1280x800（至少 640x400）")
                                 .arg(cli.value(windowSize)));
        return 2;
    }
    if (cli.isSet(card) && !oneOf(cli.value(card), cards)) {
        fail(app.headless(),
             hostText("卡片命令“%1”无效，应为 %2 之一。").arg(cli.value(card), listed(cards)));
        return 2;
    }
    // Calendars and other controls that name months and days follow the session language.
    QLocale::setDefault(QLocale(cli.value(lang)));
    tarvo::suite::registerSuiteClasses();
    tarvoArchiveRegisterClasses();

    using tarvo::suite::AccountDatabase;
    const bool ownDatabase = isDefaultDatabase(cli.value(db));
    QString error;
    if (ownDatabase) {
        try {
            AccountDatabase::createPrivateFolder(QFileInfo(cli.value(db)).absolutePath());
        } catch (const tarvo::suite::DbError& e) {
            fail(app.headless(), e.text());
            return 1;
        }
    }
    const auto login = tarvo::suite::Login::logIn(
        cli.value(db), cli.value(user), error,
        ownDatabase ? AccountDatabase::Seed::WithDemo : AccountDatabase::Seed::ReferenceOnly);
    if (!login) {
        fail(app.headless(), error);
        return 1;
    }

    std::unique_ptr<ScreenshotTaker> screenshot;
    if (cli.isSet(shot)) {
        const QString command = cli.isSet(importFile) ? QStringLiteral("Import") : cli.value(card);
        screenshot = std::make_unique<ScreenshotTaker>(cli.value(shot), command, cli.value(lookup),
                                                       cli.value(search));
        screenshot->setImportFile(cli.value(importFile));
        if (const QFileInfo database(cli.value(db)); database.isFile())
            screenshot->setDatabaseFolder(database.absolutePath());
        screenshot->setWindowSize(listSize);
    }

    std::unique_ptr<LoadedListRunner> exporter;
    if (cli.isSet(exportFile)) {
        tarvo::suite::setUnattended(true);
        tarvo::suite::setUnattendedExportPath(cli.value(exportFile));
        // Until the list's output command runs, nothing was written.
        tarvo::suite::lastExportOutcome() = {1, cli.value(exportFile), {}};
        exporter = std::make_unique<LoadedListRunner>(
            [](tarvo::FrmMain& list) { list.DoCommand(QStringLiteral("SaveFile")); });
    }
    auto component =
        tarvo::createObject<tarvo::ITarvoArchive>(QStringLiteral("TarvoArchive.ITarvoArchive"));
    if (importing) {
        // A script's import needs the archive's session, not its list.
        tarvo::suite::setUnattended(true);
        const tarvo::UnattendedImport job{cli.value(importFile), cli.isSet(commit),
                                          cli.isSet(confirmLengths)};
        QTextStream out(stdout);
        QString archiveName = cli.value(archive);
        QString system = cli.value(sysId);
#ifndef TARVOARCHIVE_EARLIER_BUILD
        if (viaPortal) {
            archiveName = tarvo::ITarvoArchive::menuArchive(cli.value(menu));
            system.clear();
        }
#endif
        const bool imported = component->RunWithoutWindow(
            login, archiveName, system,
            [&](tarvo::ComVar& comVar) { return tarvo::importUnattended(comVar, job, out); });
        return !app.failed() && imported ? 0 : 1;
    }
#ifndef TARVOARCHIVE_EARLIER_BUILD
    if (viaPortal) {
        component->setBusiness(std::make_shared<tarvo::suite::PortalBusiness>(login));
        component->ILoginable_CallFunction(cli.value(menu), QString(), QString(), QString());
    } else
#endif
    {
        component->Show(login, cli.value(archive), cli.value(sysId));
    }
    if (app.failed())
        return 1;
    if (exporter) {
        const auto& outcome = tarvo::suite::lastExportOutcome();
        if (outcome.result == 0)
            return 0;
        std::fprintf(stderr, "%s\n",
                     qPrintable(hostText("没有输出到“%1”").arg(cli.value(exportFile))));
        return 1;
    }
    return screenshot && !screenshot->saved() ? 1 : 0;
}
