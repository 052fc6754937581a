// The host's answers to a script: --help and --version without Qt's platform, in the language
// --lang or the locale gives, and runs whose error output holds errors only.
#include "HostRun.h"
#include "TempDatabase.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

/// The environment of a machine whose locale is the variables given, with no display, no
/// runtime folder and a platform Qt does not have: a run that started Qt's platform would end
/// with Qt's abort.
QProcessEnvironment bareMachine(const QList<QPair<QString, QString>>& locale) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "DISPLAY",
                             "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        env.remove(name);
    env.insert("QT_QPA_PLATFORM", "no-such-platform");
    for (const auto& [name, value] : locale)
        env.insert(name, value);
    return env;
}

int columns(const QString& line) {
    int n = 0;
    for (const QChar c : line)
        n += c.unicode() >= 0x2E80 ? 2 : 1;
    return n;
}

/// The option names --help lists at the start of its lines.
QStringList optionsListed(const QString& help) {
    static const QRegularExpression option("^  (?:-[a-z], )?(--[a-z-]+)",
                                           QRegularExpression::MultilineOption);
    QStringList names;
    for (const auto& m : option.globalMatch(help))
        names << m.captured(1);
    return names;
}

} // namespace

TEST(HostLanguage, HelpFollowsLangOrElseTheLocaleAndNeedsNoPlatform) {
    struct Case {
        QList<QPair<QString, QString>> locale;
        QStringList args;
        bool english;
    };
    const QList<Case> cases{
        {{}, {"--help"}, false},
        {{{"LANG", "C.UTF-8"}}, {"--help"}, false},
        {{{"LANG", "en_US.UTF-8"}}, {"--help"}, true},
        {{{"LANG", "en_US.UTF-8"}}, {"--help", "--lang", "zh-CN"}, false},
        {{{"LANG", "zh_CN.UTF-8"}}, {"--lang", "en-US", "--help"}, true},
        {{{"LANG", "zh_CN.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, {"-h"}, true},
        {{{"LANG", "en_US.UTF-8"}, {"LC_ALL", "zh_CN.UTF-8"}}, {"--help"}, false},
        // A language the suite does not carry leaves help to the locale.
        {{{"LANG", "en_US.UTF-8"}}, {"--lang", "fr-FR", "--help"}, true},
    };
    QStringList englishOptions;
    QStringList chineseOptions;
    for (const Case& c : cases) {
        const QString what = c.args.join(' ') + " with " +
                             (c.locale.isEmpty() ? "no locale" : c.locale.last().second);
        const Outcome out = runProgram(TARVO_HOST, c.args, bareMachine(c.locale));
        EXPECT_EQ(out.status, 0) << what.toStdString() << out.errors.toStdString();
        EXPECT_EQ(out.errors.toStdString(), "") << what.toStdString();
        EXPECT_EQ(out.output.contains("Usage: "), c.english) << what.toStdString();
        EXPECT_EQ(out.output.contains("用法："), !c.english) << what.toStdString();
        static const QRegularExpression wholeWord("(^|[^A-Za-z])FieldSet([^A-Za-z]|$)",
                                                  QRegularExpression::MultilineOption);
        EXPECT_TRUE(out.output.contains(wholeWord)) << "a word is never broken over two lines";
        for (const QString& line : out.output.split('\n'))
            EXPECT_LE(columns(line), 79) << what.toStdString() << ": " << line.toStdString();
        (c.english ? englishOptions : chineseOptions) = optionsListed(out.output);
    }
    EXPECT_GE(englishOptions.size(), 19);
    EXPECT_EQ(chineseOptions, englishOptions) << "both languages list the same options";
}

TEST(HostLanguage, VersionAndMistakesAreAnsweredWithoutAPlatform) {
    for (const QString& host : {QString(TARVO_HOST), QString(TARVO_HOST_EARLIER)}) {
        const Outcome version = runProgram(host, {"--version"}, bareMachine({}));
        EXPECT_EQ(version.status, 0) << version.errors.toStdString();
        EXPECT_EQ(version.errors.toStdString(), "");
        EXPECT_TRUE(version.output.trimmed().endsWith(" " TARVO_VERSION))
            << version.output.toStdString();
    }
    const Outcome english =
        runProgram(TARVO_HOST, {"--nonsense"}, bareMachine({{"LANG", "en_US.UTF-8"}}));
    EXPECT_EQ(english.status, 1);
    EXPECT_TRUE(english.errors.contains("Unknown option 'nonsense'"))
        << english.errors.toStdString();
    const Outcome chinese =
        runProgram(TARVO_HOST, {"--nonsense"}, bareMachine({{"LANG", "zh_CN.UTF-8"}}));
    EXPECT_EQ(chinese.status, 1);
    EXPECT_TRUE(chinese.errors.contains("未知选项“nonsense”")) << chinese.errors.toStdString();
}

TEST(HostLanguage, AScriptsExportKeepsQtsPlatformWarningsOffTheErrorStream) {
    TempDatabase temp;
    QTemporaryDir dir;
    QProcessEnvironment env = bareMachine({{"LANG", "en_US.UTF-8"}});
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const Outcome done = runProgram(
        TARVO_HOST,
        {"--db", temp.name(), "--archive", "aa_bank", "--export", dir.filePath("banks.csv")}, env);
    EXPECT_EQ(done.status, 0) << done.errors.toStdString();
    // The export's own note, and neither of Qt's warnings about the platform or the runtime
    // folder.
    EXPECT_EQ(done.errors.toStdString(),
              "The list was written to " + dir.filePath("banks.csv").toStdString() + "\n");
    const Outcome refused = runProgram(
        TARVO_HOST,
        {"--db", temp.name(), "--archive", "aa_bank", "--export", dir.filePath("banks.txt")}, env);
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.errors.contains("banks.txt")) << refused.errors.toStdString();
    EXPECT_FALSE(refused.errors.contains("propagateSizeHints")) << refused.errors.toStdString();
}
