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
