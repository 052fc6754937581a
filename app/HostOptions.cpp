#include "HostOptions.h"

#include "HelpText.h"
#include "HostApplication.h"
#include "SuiteContext.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

QCommandLineOption valued(const char* name, const char* description, const char* valueName,
                          const QString& defaultValue = {}) {
    return QCommandLineOption(QString::fromLatin1(name), hostText(description),
                              QString::fromLatin1(valueName), defaultValue);
}

QCommandLineOption flag(const char* name, const char* description) {
    return QCommandLineOption(QString::fromLatin1(name), hostText(description));
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
      branches(
          valued("branches",
                 "要导入联行号目录的 .csv 或 .xlsx 文件（行名行号文件）：配合 --screenshot "
                 "在银行账户列表中截取导入预览，或配合 --check、--commit 不打开窗口地检查或导入",
                 "file")),
      check(flag("check",
                 "逐行输出 --import 或 --branches 文件的检查结果，不保存；有行被拒绝时返回 1")),
      commit(flag("commit", "在一个事务中保存 --import 或 --branches 文件中通过检查的行，"
                            "输出各行结果和条数")),
      confirmLengths(
          flag("confirm-lengths", "--check、--commit 时接受不符合所属银行账号长度规则的银行账号")),
      m_archives(archives), m_menus(menus) {
    cli.setApplicationDescription(hostText("银行档案与本单位开户银行"));
    cli.addHelpOption();
    cli.addVersionOption();
    m_listed = {help,       helpAll,  version, archive, sysId,         db,     user,
                lang,       shot,     card,    lookup,  exportFile,    search, windowSize,
                importFile, branches, check,   commit,  confirmLengths};
    if (!menus.isEmpty())
        m_listed << menu;
    // The first three are the parser's own.
    cli.addOptions(m_listed.mid(3));
}

bool HostOptions::viaPortal() const {
    return !m_menus.isEmpty() && cli.isSet(menu);
}

bool HostOptions::importing() const {
    return cli.isSet(check) || cli.isSet(commit);
}

bool HostOptions::importingBranches() const {
    return importing() && cli.isSet(branches);
}

QSize HostOptions::listSize() const {
    static const QRegularExpression form(QStringLiteral("^(\\d{3,4})[xX](\\d{3,4})$"));
    const auto m = form.match(cli.value(windowSize).trimmed());
    const QSize size = m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
    return size.width() >= 640 && size.height() >= 400 ? size : QSize();
}

QString HostOptions::misuse() const {
    const QStringList cards{
        QStringLiteral("Add"),      QStringLiteral("Modify"),  QStringLiteral("Preview"),
        QStringLiteral("Filter"),   QStringLiteral("FindSet"), QStringLiteral("Pos"),
        QStringLiteral("FieldSet"), QStringLiteral("Help"),    QStringLiteral("About"),
        QStringLiteral("History"),  QStringLiteral("Import")};
    // The plain bank archive, and the one that shows the online-banking fields.
    const QStringList systems{QString(), QStringLiteral("NB")};
    if (!viaPortal() && !oneOf(cli.value(archive), m_archives))
        return hostText("不提供档案“%1”。可以打开的档案：%2。")
            .arg(cli.value(archive), listed(m_archives));
    if (!oneOf(cli.value(sysId), systems))
        return hostText("不提供系统标识“%1”。可用的系统标识：NB，或不给出。").arg(cli.value(sysId));
    if (viaPortal() && !m_menus.contains(cli.value(menu)))
        return hostText("门户菜单“%1”不存在。可用的菜单：%2。").arg(cli.value(menu), listed(m_menus));
    if (const QString wrong = importMisuse(); !wrong.isEmpty())
        return wrong;
    if (cli.isSet(windowSize) && !listSize().isValid())
        return hostText("窗口大小“%1”无效，应写成 宽x高，如 1280x800（至少 640x400）")
            .arg(cli.value(windowSize));
    if (cli.isSet(card) && !oneOf(cli.value(card), cards))
        return hostText("卡片命令“%1”无效，应为 %2 之一。").arg(cli.value(card), listed(cards));
    return {};
}

QString HostOptions::unsupportedLanguage(const QString& language) {
    return hostText("不支持的界面语言“%1”。可用的语言：%2。")
        .arg(language, listed(tarvo::suite::sessionLanguages()));
}

QString HostOptions::importMisuse() const {
    const bool file = cli.isSet(importFile);
    const bool screenshot = cli.isSet(shot);
    const bool checking = cli.isSet(check);
    const bool committing = cli.isSet(commit);
    if (checking && committing)
        return hostText("--check 和 --commit 只能选一个");
    if (file && cli.isSet(branches))
        return hostText("--import 和 --branches 只能选一个");
    if (cli.isSet(branches) && !screenshot && !importing())
        return hostText("--branches 要和 --check、--commit 或 --screenshot 之一一起使用");
    if (importing() && !file && !cli.isSet(branches))
        return hostText("--check 和 --commit 要和 --import 或 --branches 一起使用");
    if (cli.isSet(confirmLengths) && cli.isSet(branches))
        return hostText("--confirm-lengths 只用于 --import");
    if (cli.isSet(confirmLengths) && !importing())
        return hostText("--confirm-lengths 只用于 --check 或 --commit");
    if (importing() && (screenshot || cli.isSet(exportFile) || cli.isSet(card)))
        return hostText(
            "--check 和 --commit 不打开窗口，不能与 --screenshot、--card 或 --export 同用");
    if (file && !screenshot && !importing())
        return hostText("--import 要和 --check、--commit 或 --screenshot 之一一起使用");
    return {};
}

QString HostOptions::helpText() const {
    const QStringList arguments = QCoreApplication::arguments();
    const QString program =
        arguments.isEmpty() ? QCoreApplication::applicationName() : arguments.constFirst();
    return ::helpText(hostText("用法：%1 [选项]").arg(program), cli.applicationDescription(),
                      hostText("选项："), m_listed);
}
