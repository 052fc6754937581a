// Which command lines the host refuses before it opens anything, and in which words: the first
// thing wrong is named, in the session language.
#include "HostLanguage.h"
#include "HostOptions.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

/// The options of a host offering both archives and the portal's menus, parsed from args.
struct Parsed {
    explicit Parsed(const QStringList& args)
        : options({"aa_bank", "bank"}, {"AA53", "AA54"}, "account.db") {
        parsed = options.cli.parse(QStringList{"tarvo-archive"} + args);
    }
    HostOptions options;
    bool parsed = false;
};

} // namespace

TEST(HostOptions, TheFirstMistakeIsNamedAndGoodCombinationsPass) {
    struct Case {
        QStringList args;
        const char* says; // "" for a command line the host takes
    };
    const QList<Case> cases{
        {{}, ""},
        {{"--archive", "BANK", "--sysid", "nb"}, ""},
        {{"--archive", "person"}, "不提供档案“person”。可以打开的档案：aa_bank、bank。"},
        {{"--archive", "person", "--card", "Delete"}, "不提供档案“person”"},
        {{"--sysid", "XX"}, "不提供系统标识“XX”"},
        {{"--menu", "AA99"}, "门户菜单“AA99”不存在。可用的菜单：AA53、AA54。"},
        // Through the portal the menu names the archive.
        {{"--menu", "AA53", "--archive", "person"}, ""},
        {{"--check"}, "--check 和 --commit 要和 --import 或 --branches 一起使用"},
        {{"--import", "x.csv", "--check", "--commit"}, "--check 和 --commit 只能选一个"},
        {{"--confirm-lengths"}, "--confirm-lengths 只用于 --check 或 --commit"},
        {{"--import", "x.csv", "--commit", "--confirm-lengths"}, ""},
        {{"--import", "x.csv", "--check", "--screenshot", "a.png"}, "不打开窗口"},
        {{"--import", "x.csv", "--commit", "--export", "a.csv"}, "不打开窗口"},
        {{"--import", "x.csv", "--check", "--card", "Add"}, "不打开窗口"},
        {{"--import", "x.csv"}, "--import 要和 --check、--commit 或 --screenshot 之一一起使用"},
        {{"--import", "x.csv", "--screenshot", "a.png"}, ""},
        {{"--branches", "b.csv"}, "--branches 要和 --check、--commit 或 --screenshot 之一一起使用"},
        {{"--branches", "b.csv", "--screenshot", "a.png"}, ""},
        {{"--branches", "b.csv", "--check", "--screenshot", "a.png"}, "不打开窗口"},
        {{"--window-size", "800x300"}, "窗口大小“800x300”无效"},
        {{"--window-size", "1280x"}, "窗口大小“1280x”无效"},
        {{"--window-size", " 1280X800 "}, ""},
        {{"--card", "Delete"}, "卡片命令“Delete”无效，应为 Add、Modify、"},
        {{"--card", "modify"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Parsed p(c.args);
        ASSERT_TRUE(p.parsed) << p.options.cli.errorText().toStdString();
        const QString misuse = p.options.misuse();
        if (*c.says == '\0')
            EXPECT_TRUE(misuse.isEmpty()) << misuse.toStdString();
        else
            EXPECT_TRUE(misuse.contains(QString::fromUtf8(c.says))) << misuse.toStdString();
    }
}

TEST(HostOptions, TheWindowSizeIsReadAsWrittenAndNoSmallerThanAListWindow) {
    EXPECT_EQ(Parsed({"--window-size", " 1280X800 "}).options.listSize(), QSize(1280, 800));
    EXPECT_EQ(Parsed({"--window-size", "640x400"}).options.listSize(), QSize(640, 400));
    EXPECT_FALSE(Parsed({"--window-size", "639x400"}).options.listSize().isValid());
    EXPECT_FALSE(Parsed({"--window-size", "12345x800"}).options.listSize().isValid());
    EXPECT_FALSE(Parsed({}).options.listSize().isValid());
}

TEST(HostOptions, AnEnglishSessionIsToldInEnglishOnly) {
    useHostLanguage("en-US");
    static const QRegularExpression chinese(
        QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    const QString card = Parsed({"--card", "Delete"}).options.misuse();
    const QString archive = Parsed({"--archive", "person"}).options.misuse();
    const QString language = HostOptions::unsupportedLanguage("fr-FR");
    useHostLanguage("zh-CN");
    EXPECT_TRUE(card.contains("The card command \"Delete\" is not valid")) << card.toStdString();
    EXPECT_TRUE(archive.contains("aa_bank, bank")) << archive.toStdString();
    EXPECT_TRUE(language.contains("fr-FR") && language.contains("en-US"))
        << language.toStdString();
    for (const QString& text : {card, archive, language})
        EXPECT_FALSE(text.contains(chinese)) << text.toStdString();
}
