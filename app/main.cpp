// The desktop host: logs a user in to an account database and opens an archive, either the
// classic way (Show with an archive name and system id) or through the portal (a menu id).
#include "ComponentRegistration.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "PortalBusiness.h"
#include "ScreenshotTaker.h"
#include "SuiteContext.h"
#include "SuiteRegistration.h"

#include "ClassRegistry.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>

#include <cstdio>

namespace {

QString defaultDatabase() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(dir).filePath(QStringLiteral("TarvoArchive/account.db"));
}

void useOffscreenWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
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

int main(int argc, char** argv) {
    useOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvo-archive"));
    QApplication::setApplicationDisplayName(QStringLiteral("基础档案"));

    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("银行档案与本单位开户银行"));
    cli.addHelpOption();
    const QCommandLineOption archive(QStringLiteral("archive"),
                                     QStringLiteral("要打开的档案：aa_bank 或 bank"),
                                     QStringLiteral("name"), QStringLiteral("aa_bank"));
    const QCommandLineOption sysId(QStringLiteral("sysid"), QStringLiteral("系统标识，如 NB"),
                                   QStringLiteral("id"));
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
    const QCommandLineOption card(QStringLiteral("card"),
                                  QStringLiteral("截图时先打开卡片：Add 或 Modify"),
                                  QStringLiteral("command"));
    const QCommandLineOption lookup(
        QStringLiteral("lookup"),
        QStringLiteral(
            "截图时在卡片上打开参照或日历：按钮或参照框的名称，如 cmdref4、EdtdOpenAccDate"),
        QStringLiteral("control"));
    cli.addOptions({archive, sysId, menu, db, user, lang, shot, card, lookup});
    cli.process(app);

    if (!tarvo::suite::setSessionLanguage(cli.value(lang))) {
        fail(cli.isSet(shot), QStringLiteral("不支持的界面语言“%1”。可用的语言：%2。")
                                  .arg(cli.value(lang), tarvo::suite::sessionLanguages().join(
                                                            QStringLiteral("、"))));
        return 2;
    }
    // Calendars and other controls that name months and days follow the session language.
    QLocale::setDefault(QLocale(cli.value(lang)));
    tarvo::suite::registerSuiteClasses();
    tarvoArchiveRegisterClasses();

    QString error;
    const auto login = tarvo::suite::Login::logIn(cli.value(db), cli.value(user), error);
    if (!login) {
        fail(cli.isSet(shot), error);
        return 1;
    }

    std::unique_ptr<ScreenshotTaker> screenshot;
    if (cli.isSet(shot))
        screenshot =
            std::make_unique<ScreenshotTaker>(cli.value(shot), cli.value(card), cli.value(lookup));

    auto component =
        tarvo::createObject<tarvo::ITarvoArchive>(QStringLiteral("TarvoArchive.ITarvoArchive"));
    if (cli.isSet(menu)) {
        component->setBusiness(std::make_shared<tarvo::suite::PortalBusiness>(login));
        component->ILoginable_CallFunction(cli.value(menu), QString(), QString(), QString());
    } else {
        component->Show(login, cli.value(archive), cli.value(sysId));
    }
    return screenshot && !screenshot->saved() ? 1 : 0;
}
