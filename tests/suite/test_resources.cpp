#include "ResourceTable.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using tarvo::suite::ResourceTable;

namespace {

/// Every resource key written in the sources of a folder.
QSet<QString> keysUsedIn(const char* folder) {
    QSet<QString> keys;
    static const QRegularExpression key(QStringLiteral("\"(Tarvo\\.[A-Za-z0-9_.]+)\""));
    QDirIterator it(QStringLiteral(TARVO_SOURCE_DIR "/") + QLatin1String(folder), {"*.cpp", "*.h"},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (!f.open(QIODevice::ReadOnly))
            continue;
        auto m = key.globalMatch(QString::fromUtf8(f.readAll()));
        while (m.hasNext())
            keys.insert(m.next().captured(1));
    }
    return keys;
}

} // namespace

TEST(Resources, EveryKeyTheComponentUsesHasATextInEachLanguage) {
    // The component's keys, and those of the suite's printing, which prints in the session's
    // language too.
    QSet<QString> keys = keysUsedIn("src");
    keys.unite(keysUsedIn("suite/print")).unite(keysUsedIn("suite/pub"));
    ASSERT_GT(keys.size(), 10) << "the scan found the component's keys";
    for (const char* lang : {"zh-CN", "en-US"}) {
        const ResourceTable& table = ResourceTable::forLanguage(QString::fromLatin1(lang));
        for (const QString& k : keys)
            EXPECT_TRUE(table.contains(k)) << lang << " lacks " << k.toStdString();
    }
}

TEST(Resources, BothLanguagesHaveTheSameKeys) {
    auto zh = ResourceTable::forLanguage("zh-CN").keys();
    auto en = ResourceTable::forLanguage("en-US").keys();
    std::sort(zh.begin(), zh.end());
    std::sort(en.begin(), en.end());
    EXPECT_EQ(zh, en);
}

TEST(Resources, FormattingPutsValuesInOnePassAndKeepsTrailingBlanks) {
    const auto texts = ResourceTable::parse("a=共 %1 条，%2%10\nb=Code: \n# c=x\nbad line\n");
    EXPECT_EQ(texts.value("b"), "Code: ");
    EXPECT_FALSE(texts.contains("# c"));
    EXPECT_EQ(
        ResourceTable::forLanguage("zh-CN").format("Tarvo.AA.ARCHIVE.COMMON.rstcount", {"%1"}),
        "共 %1 条记录");
    EXPECT_EQ(ResourceTable::forLanguage("en-US").text("Tarvo.AA.ARCHIVE.COMMON.noparam"),
              "Missing parameter: ");
    EXPECT_EQ(ResourceTable::forLanguage("zh-CN").text("no.such.key"), "no.such.key");
}

TEST(Resources, TheEnglishHelpPagesSayAllTheChineseOnesSay) {
    // The same paragraphs, bullets and table rows, and the same keys named.
    static const QRegularExpression keyName(
        QStringLiteral("\\b(?:(?:Ctrl|Alt|Shift)\\+)+(?:F\\d+|[A-Z])\\b|\\bF\\d+\\b|\\bDel\\b"));
    static const QRegularExpression block(QStringLiteral("<(p|li|tr)[ >]"));
    const auto read = [](const QString& lang, const QString& page) {
        QFile f(QStringLiteral(TARVO_SOURCE_DIR "/suite/data/help/%1/%2").arg(lang, page));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
        return QString::fromUtf8(f.readAll());
    };
    const auto tally = [](const QString& html, const QRegularExpression& re) {
        QStringList found;
        for (auto m = re.globalMatch(html); m.hasNext();)
            found << m.next().captured(0);
        found.sort();
        return found;
    };
    const QStringList pages = QDir(QStringLiteral(TARVO_SOURCE_DIR "/suite/data/help/zh-CN"))
                                  .entryList({"*.html"}, QDir::Files);
    ASSERT_EQ(pages.size(), 3);
    for (const QString& page : pages) {
        const QString zh = read("zh-CN", page);
        const QString en = read("en-US", page);
        EXPECT_EQ(tally(zh, block), tally(en, block)) << page.toStdString();
        EXPECT_EQ(tally(zh, keyName), tally(en, keyName)) << page.toStdString();
        EXPECT_TRUE(tally(zh, keyName).contains("Ctrl+H")) << page.toStdString();
    }
}
