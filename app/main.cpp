// The desktop host: logs a user in to an account database and opens an archive, either the
// classic way (Show with an archive name and system id) or through the portal (a menu id).
#include "AccountDatabase.h"
#include "ComponentRegistration.h"
#include "HostApplication.h"
#include "ITarvoArchive.h"
#include "ListExporter.h"
#include "Login.h"
#include "PortalBusiness.h"
#include "PrintControl.h"
#include "ScreenshotTaker.h"
#include "SuiteContext.h"
#include "SuiteRegistration.h"

#include "ClassRegistry.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>

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

bool exporting(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--export") == 0 || qstrncmp(argv[i], "--export=", 9) == 0)
            return true;
    return false;
}

void useOffscreenWithoutDisplay(bool exporting) {
    // An export shows no window at all, display or not.
    if (exporting ||
        (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
         qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
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

} // namespace

#ifdef TARVOARCHIVE_EARLIER_BUILD
constexpr char kHostName[] = "tarvo-archive-earlier";
#else
constexpr char kHostName[] = "tarvo-archive";
#endif

int main(int argc, char** argv) {
    useOffscreenWithoutDisplay(exporting(argc, argv));
    HostApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kHostName));
    QApplication::setApplicationDisplayName(QStringLiteral("基础档案"));

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
                       "FieldSet、Help、About 或 History"),
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
    const QCommandLineOption importFile(
        QStringLiteral("import"),
        QStringLiteral("截图时从列表打开这个 .csv 或 .xlsx 文件的导入预览"),
        QStringLiteral("file"));
    cli.addOptions({archive, sysId, db, user, lang, shot, card, lookup, exportFile, search,
                    importFile});
    if (!menus.isEmpty())
        cli.addOption(menu);
    cli.process(app);
    const bool viaPortal = !menus.isEmpty() && cli.isSet(menu);
    if (cli.isSet(shot) || cli.isSet(exportFile))
        app.setHeadless(true);

    if (!tarvo::suite::setSessionLanguage(cli.value(lang))) {
        fail(app.headless(), QStringLiteral("不支持的界面语言“%1”。可用的语言：%2。")
                                 .arg(cli.value(lang),
                                      tarvo::suite::sessionLanguages().join(QStringLiteral("、"))));
        return 2;
    }
    const QStringList cards{
        QStringLiteral("Add"),      QStringLiteral("Modify"),  QStringLiteral("Preview"),
        QStringLiteral("Filter"),   QStringLiteral("FindSet"), QStringLiteral("Pos"),
        QStringLiteral("FieldSet"), QStringLiteral("Help"),    QStringLiteral("About"),
        QStringLiteral("History")};
    if (!viaPortal && !oneOf(cli.value(archive), archives)) {
        fail(app.headless(), QStringLiteral("不提供档案“%1”。可以打开的档案：%2。")
                                 .arg(cli.value(archive), archives.join(QStringLiteral("、"))));
        return 2;
    }
    if (!oneOf(cli.value(sysId), systems)) {
        fail(app.headless(), QStringLiteral("不提供系统标识“%1”。可用的系统标识：NB，或不给出。")
                                 .arg(cli.value(sysId)));
        return 2;
    }
    if (viaPortal && !menus.contains(cli.value(menu))) {
        fail(app.headless(), QStringLiteral("门户菜单“%1”不存在。可用的菜单：%2。")
                                 .arg(cli.value(menu), menus.join(QStringLiteral("、"))));
        return 2;
    }
    if (cli.isSet(importFile) && !cli.isSet(shot)) {
        fail(app.headless(), QStringLiteral("--import 只用于截图，请同时给出 --screenshot"));
        return 2;
    }
    if (cli.isSet(card) && !oneOf(cli.value(card), cards)) {
        fail(app.headless(), QStringLiteral("卡片命令“%1”无效，应为 %2 之一。")
                                 .arg(cli.value(card), cards.join(QStringLiteral("、"))));
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
    }

    std::unique_ptr<ListExporter> exporter;
    if (cli.isSet(exportFile)) {
        tarvo::suite::setUnattended(true);
        tarvo::suite::setUnattendedExportPath(cli.value(exportFile));
        // Until the list's output command runs, nothing was written.
        tarvo::suite::lastExportOutcome() = {1, cli.value(exportFile), {}};
        exporter = std::make_unique<ListExporter>();
    }

    auto component =
        tarvo::createObject<tarvo::ITarvoArchive>(QStringLiteral("TarvoArchive.ITarvoArchive"));
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
                     qPrintable(QStringLiteral("没有输出到“%1”").arg(cli.value(exportFile))));
        return 1;
    }
    return screenshot && !screenshot->saved() ? 1 : 0;
}
