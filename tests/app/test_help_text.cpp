// How the host lays out its help for a terminal, and which of Qt's warnings it keeps off the
// error output.
#include "HelpText.h"
#include "KnownPlatformWarnings.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

/// The words of Latin letters, digits, dots and hyphens in a text, in order: a word a line break
/// cuts comes out as two.
QStringList wordsOf(const QString& text) {
    static const QRegularExpression word("[A-Za-z0-9.-]+");
    QStringList words;
    for (const auto& m : word.globalMatch(text))
        words << m.captured();
    return words;
}

} // namespace

TEST(HelpText, LinesFitTheTerminalWithoutBreakingAWordOrStrandingAMark) {
    const QString card = "截图时先从列表打开窗口：Add、Modify、Preview、Filter、FindSet、Pos、"
                         "FieldSet、Help、About、History 或 Import";
    const QString english = "With --screenshot, first open this from the list: Add, Modify, "
                            "Preview, Filter, FindSet, Pos, FieldSet, Help, About, History";
    for (const QString& text : {card, english}) {
        for (int width : {20, 33, 56, 57, 80}) {
            const QStringList lines = wrapForTerminal(text, width);
            for (const QString& line : lines) {
                EXPECT_LE(terminalWidth(line), width) << line.toStdString();
                EXPECT_FALSE(line.startsWith(u"、") || line.startsWith(u"，") ||
                             line.startsWith(u"："))
                    << "a closing mark starts a line: " << line.toStdString();
                EXPECT_FALSE(line.startsWith(u' ') || line.endsWith(u' ')) << line.toStdString();
            }
            EXPECT_EQ(wordsOf(lines.join('\n')), wordsOf(text)) << lines.join('|').toStdString();
            // Nothing lost: the pieces put together give the text, blanks at breaks aside.
            EXPECT_EQ(lines.join("").remove(' '), QString(text).remove(' '));
        }
    }
    EXPECT_EQ(wrapForTerminal("（.xlsx、.csv 或 .pdf）后退出", 8),
              QStringList({"（.xlsx、", ".csv 或", ".pdf）后", "退出"}))
        << "an opening mark stays with what it opens";
    EXPECT_EQ(wrapForTerminal("a --confirm-lengths b", 6),
              QStringList({"a", "--confirm-lengths", "b"}))
        << "a word wider than a line has one of its own";
    EXPECT_EQ(wrapForTerminal("one\ntwo three", 40), QStringList({"one", "two three"}));
}

TEST(HelpText, OptionsStandInAColumnTheirDescriptionsWrapBeside) {
    const QCommandLineOption help({"?", "h", "help"}, "列出选项后退出");
    const QCommandLineOption db(
        "db", "账套数据库：SQLite 文件或 postgresql:// 地址，文件不存在时在已有的文件夹中创建",
        "name");
    QCommandLineOption hidden("secret", "not for users");
    hidden.setFlags(QCommandLineOption::HiddenFromHelp);
    const QString text =
        helpText("用法：tarvo-archive [选项]", "银行档案", "选项：", {help, db, hidden}, 60);
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 5) << text.toStdString();
    EXPECT_EQ(lines[0], "用法：tarvo-archive [选项]");
    EXPECT_EQ(lines[1], "银行档案");
    EXPECT_EQ(lines[2], "选项：");
    EXPECT_EQ(lines[3].toStdString(), "  -h, --help   列出选项后退出")
        << "no -?, and two blanks after the widest name";
    EXPECT_TRUE(lines[4].startsWith("  --db <name>  账套数据库")) << lines[4].toStdString();
    for (qsizetype i = 5; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(QString(15, ' ')) && lines[i][15] != ' ')
            << "a wrapped line goes on under its description: " << lines[i].toStdString();
    for (const QString& line : lines)
        EXPECT_LE(terminalWidth(line), 60) << line.toStdString();
    EXPECT_FALSE(text.contains("secret"));
}

namespace {
QStringList passedOn;
void recordMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    passedOn << text;
}
} // namespace

TEST(KnownPlatformWarnings, OnlyTheTwoKnownWarningsAreDropped) {
    const QtMessageHandler before = qInstallMessageHandler(recordMessage);
    dropKnownPlatformWarnings();
    qWarning("This plugin does not support propagateSizeHints()");
    qWarning("QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '/tmp/runtime-root'");
    qWarning("This plugin does not support raise()");
    qWarning("QStandardPaths: wrong permissions on runtime directory /run/user/0");
    qCritical("This plugin does not support propagateSizeHints()");
    qInstallMessageHandler(before);
    EXPECT_EQ(passedOn, QStringList({"This plugin does not support raise()",
                                     "QStandardPaths: wrong permissions on runtime directory "
                                     "/run/user/0",
                                     "This plugin does not support propagateSizeHints()"}))
        << "other warnings and the same text as an error still go out";
}
