// A host of the bank archive: a small window that logs a user in to an accounting database and
// opens the bank archive through the component's public class ITarvoArchive.
//
//   example-host --db FILE_OR_URL [--user demo] [--close-when-open]
//
// --close-when-open closes the archive's list as soon as it is shown, so that a script can run
// the whole round without anybody at the screen.
#include <tarvoarchive/ClassRegistry.h>
#include <tarvoarchive/ComponentRegistration.h>
#include <tarvoarchive/ITarvoArchive.h>
#include <tarvoarchive/SuiteContext.h>
#include <tarvoarchive/SuiteLogin.h>
#include <tarvoarchive/SuiteRegistration.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>

namespace {

/// Closes the archive's list once it is on the screen; the modal Show then returns.
void closeListWhenShown(QWidget* host) {
    auto* poll = new QTimer(host);
    QObject::connect(poll, &QTimer::timeout, host, [host, poll] {
        QWidget* list = QApplication::activeModalWidget();
        if (!list || list == host || !list->isVisible())
            return;
        poll->stop();
        QTextStream(stdout) << "opened: " << list->windowTitle() << Qt::endl;
        // Let the list finish loading before it is asked to close.
        QTimer::singleShot(500, list, [list] { list->close(); });
    });
    poll->start(100);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser cli;
    cli.addHelpOption();
    const QCommandLineOption db(QStringLiteral("db"), QStringLiteral("账套数据库"),
                                QStringLiteral("name"));
    const QCommandLineOption user(QStringLiteral("user"), QStringLiteral("操作员编号"),
                                  QStringLiteral("id"), QStringLiteral("demo"));
    const QCommandLineOption closeWhenOpen(QStringLiteral("close-when-open"),
                                           QStringLiteral("列表一显示就关闭"));
    cli.addOptions({db, user, closeWhenOpen});
    cli.process(app);
    if (!cli.isSet(db))
        cli.showHelp(2);

    // The suite first (its objects and the session language), then the component.
    tarvo::suite::setSessionLanguage(QStringLiteral("zh-CN"));
    tarvo::suite::registerSuiteClasses();
    tarvoArchiveRegisterClasses();

    QString error;
    const tarvo::LoginPtr login = tarvo::suite::logIn(cli.value(db), cli.value(user), error);
    if (!login) {
        QTextStream(stderr) << error << Qt::endl;
        return 1;
    }
    const auto archive =
        tarvo::createObject<tarvo::ITarvoArchive>(QStringLiteral("TarvoArchive.ITarvoArchive"));
    if (!archive) {
        QTextStream(stderr) << "TarvoArchive.ITarvoArchive cannot be created" << Qt::endl;
        return 1;
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("示例宿主"));
    auto* status =
        new QLabel(QStringLiteral("已登录：%1（%2）").arg(login->cUserName(), login->MoxDbName()));
    auto* open = new QPushButton(QStringLiteral("打开银行档案"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(status);
    layout->addWidget(open);
    QObject::connect(open, &QPushButton::clicked, &window, [&] {
        // Show returns when the user has closed the archive's list.
        archive->Show(login, QStringLiteral("aa_bank"), QString());
        status->setText(QStringLiteral("银行档案已关闭"));
        QTextStream(stdout) << "closed" << Qt::endl;
        if (cli.isSet(closeWhenOpen))
            window.close();
    });
    window.show();
    if (cli.isSet(closeWhenOpen)) {
        closeListWhenShown(&window);
        QTimer::singleShot(0, open, &QPushButton::click);
    }
    return app.exec();
}
