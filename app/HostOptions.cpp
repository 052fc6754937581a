#include "HostOptions.h"

#include "HelpText.h"
#include "HostApplication.h"

#include <QCoreApplication>

namespace {

QCommandLineOption valued(const char* name, const char* description, const char* valueName,
                          const QString& defaultValue = {}) {
    return QCommandLineOption(QString::fromLatin1(name), hostText(description),
                              QString::fromLatin1(valueName), defaultValue);
}

QCommandLineOption flag(const char* name, const char* description) {
    return QCommandLineOption(QString::fromLatin1(name), hostText(description));
}

} // namespace

HostOptions::HostOptions(const QStringList& archives, const QStringList& menus,
                         const QString& database)
    : help(QStringList{QStringLiteral("h"), QStringLiteral("help")}, hostText("列出选项后退出")),
      helpAll(QStringLiteral("help-all"), hostText("列出选项和 Qt 的选项后退出")),
      version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
              hostText("显示版本后退出")),
      archive(QStringLiteral("archive"),
              hostText("要打开的档案：%1").arg(archives.join(hostText("、"))),
              QStringLiteral("name"), QStringLiteral("aa_bank")),
      sysId(valued("sysid", "系统标识：NB，或不给出", "id")),
      menu(QStringLiteral("menu"),
           hostText("经门户打开的菜单：%1").arg(menus.join(hostText(" 或 "))),
           QStringLiteral("id")),
      db(valued("db", "账套数据库：SQLite 文件或 postgresql:// 地址", "name", database)),
      user(valued("user", "操作员编号", "id", QStringLiteral("demo"))),
      lang(valued("lang", "界面语言：zh-CN 或 en-US；不给出时按系统的区域设置", "language")),
      shot(valued("screenshot", "打开窗口、保存截图后退出", "file")),
      card(valued("card",
                  "截图时先从列表打开窗口：Add、Modify、Preview、Filter、FindSet、Pos、FieldSet、"
                  "Help、About、History 或 Import",
                  "command")),
      lookup(valued("lookup",
                    "截图时在卡片上打开参照或日历：按钮或参照框的名称，如 cmdref4、EdtdOpenAccDate",
                    "control")),
      exportFile(
          valued("export", "不打开窗口，把列表输出到文件（.xlsx、.csv 或 .pdf）后退出", "file")),
      search(valued("search", "截图时先在列表的搜索框中输入文字，如 gsyh", "text")),
      windowSize(valued("window-size", "截图时列表窗口的大小（像素），如 1280x800", "WxH")),
      importFile(valued("import",
                        "要导入的 .csv 或 .xlsx 文件：配合 --screenshot 截取导入预览，"
                        "或配合 --check、--commit 不打开窗口地检查或导入",
                        "file")),
      check(flag("check", "逐行输出 --import 文件的检查结果，不保存；有行被拒绝时返回 1")),
      commit(flag("commit", "在一个事务中保存 --import 文件中通过检查的行，输出各行结果和条数")),
      confirmLengths(
          flag("confirm-lengths", "--check、--commit 时接受不符合所属银行账号长度规则的银行账号")) {
    cli.setApplicationDescription(hostText("银行档案与本单位开户银行"));
    cli.addHelpOption();
    cli.addVersionOption();
    m_listed = {help,   helpAll,    version,    archive, sysId,  db,
                user,   lang,       shot,       card,    lookup, exportFile,
                search, windowSize, importFile, check,   commit, confirmLengths};
    if (!menus.isEmpty())
        m_listed << menu;
    // The first three are the parser's own.
    cli.addOptions(m_listed.mid(3));
}

QString HostOptions::helpText() const {
    const QStringList arguments = QCoreApplication::arguments();
    const QString program =
        arguments.isEmpty() ? QCoreApplication::applicationName() : arguments.constFirst();
    return ::helpText(hostText("用法：%1 [选项]").arg(program), cli.applicationDescription(),
                      hostText("选项："), m_listed);
}
