#include "HostOptions.h"

#include "HostApplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

#ifdef TARVOARCHIVE_EARLIER_BUILD
// The earlier build serves the salesperson archive too, and has no portal road.
const QStringList kArchives{QStringLiteral("aa_bank"), QStringLiteral("bank"),
                            QStringLiteral("person")};
const QStringList kMenus;
#else
const QStringList kArchives{QStringLiteral("aa_bank"), QStringLiteral("bank")};
const QStringList kMenus{QStringLiteral("AA53"), QStringLiteral("AA54")};
#endif

// The plain bank archive, and the one that shows the online-banking fields.
const QStringList kSystems{QString(), QStringLiteral("NB")};

const QStringList kCards{
    QStringLiteral("Add"),      QStringLiteral("Modify"),  QStringLiteral("Preview"),
    QStringLiteral("Filter"),   QStringLiteral("FindSet"), QStringLiteral("Pos"),
    QStringLiteral("FieldSet"), QStringLiteral("Help"),    QStringLiteral("About"),
    QStringLiteral("History"),  QStringLiteral("Import")};

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

HostOptions::HostOptions()
    : m_archive(QStringLiteral("archive"),
                QStringLiteral("要打开的档案：") + kArchives.join(QStringLiteral("、")),
                QStringLiteral("name"), QStringLiteral("aa_bank")),
      m_sysId(QStringLiteral("sysid"), QStringLiteral("系统标识：NB，或不给出"),
              QStringLiteral("id")),
      m_menu(QStringLiteral("menu"), QStringLiteral("经门户打开的菜单：AA53 或 AA54"),
             QStringLiteral("id")),
      m_db(QStringLiteral("db"), QStringLiteral("账套数据库：SQLite 文件或 postgresql:// 地址"),
           QStringLiteral("name"), defaultDatabase()),
      m_user(QStringLiteral("user"), QStringLiteral("操作员编号"), QStringLiteral("id"),
             QStringLiteral("demo")),
      m_lang(QStringLiteral("lang"), QStringLiteral("zh-CN 或 en-US"), QStringLiteral("language"),
             QStringLiteral("zh-CN")),
      m_shot(QStringLiteral("screenshot"), QStringLiteral("打开窗口、保存截图后退出"),
             QStringLiteral("file")),
      m_card(QStringLiteral("card"),
             QStringLiteral("截图时先从列表打开窗口：Add、Modify、Preview、Filter、FindSet、Pos、"
                            "FieldSet、Help、About、History 或 Import"),
             QStringLiteral("command")),
      m_lookup(QStringLiteral("lookup"),
               QStringLiteral(
                   "截图时在卡片上打开参照或日历：按钮或参照框的名称，如 cmdref4、EdtdOpenAccDate"),
               QStringLiteral("control")),
      m_export(QStringLiteral("export"),
               QStringLiteral("不打开窗口，把列表输出到文件（.xlsx、.csv 或 .pdf）后退出"),
               QStringLiteral("file")),
      m_search(QStringLiteral("search"),
               QStringLiteral("截图时先在列表的搜索框中输入文字，如 gsyh"), QStringLiteral("text")),
      m_windowSize(QStringLiteral("window-size"),
                   QStringLiteral("截图时列表窗口的大小（像素），如 1280x800"),
                   QStringLiteral("WxH")),
      m_import(QStringLiteral("import"),
               QStringLiteral("要导入的 .csv 或 .xlsx 文件：配合 --screenshot 截取导入预览，"
                              "或配合 --check、--commit 不打开窗口地检查或导入"),
               QStringLiteral("file")),
      m_check(QStringLiteral("check"),
              QStringLiteral("逐行输出 --import 文件的检查结果，不保存；有行被拒绝时返回 1")),
      m_commit(QStringLiteral("commit"),
               QStringLiteral("在一个事务中保存 --import 文件中通过检查的行，输出各行结果和条数")),
      m_confirmLengths(
          QStringLiteral("confirm-lengths"),
          QStringLiteral("--check、--commit 时接受不符合所属银行账号长度规则的银行账号")) {
    m_cli.setApplicationDescription(QStringLiteral("银行档案与本单位开户银行"));
    m_cli.addHelpOption();
    m_cli.addVersionOption();
    m_cli.addOptions({m_archive, m_sysId, m_db, m_user, m_lang, m_shot, m_card, m_lookup, m_export,
                      m_search, m_windowSize, m_import, m_check, m_commit, m_confirmLengths});
    if (!kMenus.isEmpty())
        m_cli.addOption(m_menu);
}

bool HostOptions::scripted(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option :
             {"--export", "--check", "--commit", "--version", "-v", "--help", "-h"})
            if (qstrcmp(argv[i], option) == 0 || (qstrncmp(argv[i], option, qstrlen(option)) == 0 &&
                                                  argv[i][qstrlen(option)] == '='))
                return true;
    return false;
}

QString HostOptions::defaultDatabase() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(dir).filePath(QStringLiteral("TarvoArchive/account.db"));
}

void HostOptions::process(const QCoreApplication& app) {
    m_cli.process(app);
}

bool HostOptions::headless() const {
    return screenshot() || exporting() || importing();
}

bool HostOptions::viaPortal() const {
    return !kMenus.isEmpty() && isSet(m_menu);
}

QString HostOptions::screenshotCommand() const {
    return isSet(m_import) ? QStringLiteral("Import") : value(m_card);
}

QSize HostOptions::windowSize() const {
    return sizeOf(value(m_windowSize));
}

QString HostOptions::misuse() const {
    if (!viaPortal() && !oneOf(archive(), kArchives))
        return hostText("不提供档案“%1”。可以打开的档案：%2。").arg(archive(), listed(kArchives));
    if (!oneOf(sysId(), kSystems))
        return hostText("不提供系统标识“%1”。可用的系统标识：NB，或不给出。").arg(sysId());
    if (viaPortal() && !kMenus.contains(menu()))
        return hostText("门户菜单“%1”不存在。可用的菜单：%2。").arg(menu(), listed(kMenus));
    if (const QString clash = importMisuse(isSet(m_import), screenshot(), isSet(m_check), commit(),
                                           confirmLengths(), exporting() || isSet(m_card));
        !clash.isEmpty())
        return clash;
    if (isSet(m_windowSize) && !windowSize().isValid())
        return hostText("窗口大小“%1”无效，应写成 宽x高，如 1280x800（至少 640x400）")
            .arg(value(m_windowSize));
    if (isSet(m_card) && !oneOf(value(m_card), kCards))
        return hostText("卡片命令“%1”无效，应为 %2 之一。").arg(value(m_card), listed(kCards));
    return {};
}
