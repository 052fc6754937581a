// What a clerk reads when the embedded engine cannot do its work: the meaning in the session's
// language with the engine's own words after it, and the file the clerk pointed at left alone.
#include "AccountDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarvo::suite;

namespace {

QString refusalOf(const QString& name) {
    try {
        AccountDatabase::open(name);
    } catch (const DbError& e) {
        return e.text();
    }
    return {};
}

} // namespace

TEST(EngineFailures, AFileThatIsNoDatabaseIsSaidSoAndKeptAsItWas) {
    if (qEnvironmentVariable("TARVO_TEST_BACKEND") == u"postgresql")
        GTEST_SKIP() << "files only";
    QTemporaryDir dir;
    const QString name = dir.filePath("letter.db");
    const QByteArray letter = QByteArray("Dear clerk,\n").repeated(400);
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(letter);
    }
    const QString why = refusalOf(name);
    EXPECT_TRUE(why.contains(QStringLiteral("已损坏，或不是账套数据库"))) << why.toStdString();
    EXPECT_TRUE(why.contains(QStringLiteral("not a database"))) << "the engine's words follow";
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), letter) << "a file that was there is never removed or rewritten";
    EXPECT_FALSE(QFile::exists(name + "-wal"));
}

TEST(EngineFailures, AFolderInPlaceOfTheFileCannotBeOpened) {
    if (qEnvironmentVariable("TARVO_TEST_BACKEND") == u"postgresql")
        GTEST_SKIP() << "files only";
    QTemporaryDir dir;
    const QString why = refusalOf(dir.path());
    EXPECT_TRUE(why.contains(QStringLiteral("无法打开"))) << why.toStdString();
    EXPECT_TRUE(QFile::exists(dir.path()));
}
