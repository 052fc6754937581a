#include "TempDatabase.h"

#include "AccountDatabase.h"
#include "IClsCommon.h"
#include "PostgresDatabases.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QString serverUrl() {
    return qEnvironmentVariable("TARVO_TEST_PG");
}

/// The PostgreSQL run of a test binary (ctest sets TARVO_TEST_BACKEND for it) has nothing to do
/// without a server: all its tests are skipped rather than quietly run on SQLite again. This
/// version of GoogleTest reports no test as skipped then, so the message carries the marker
/// that ctest looks for.
class RequireServer : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariable("TARVO_TEST_BACKEND") == u"postgresql" && serverUrl().isEmpty())
            GTEST_SKIP() << "[  SKIPPED ] TARVO_TEST_PG names no PostgreSQL server "
                            "(scripts/with-postgres.sh starts one)";
    }
};

[[maybe_unused]] const auto* const g_requireServer =
    ::testing::AddGlobalTestEnvironment(new RequireServer);

QString uniqueDatabaseName() {
    static QAtomicInt counter;
    return QStringLiteral("tarvo_test_%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(counter.fetchAndAddRelaxed(1))
        .arg(QRandomGenerator::global()->generate() % 1000000);
}

} // namespace

TempDatabase::TempDatabase(Content content) {
    const QString server = serverUrl();
    if (server.isEmpty()) {
        EXPECT_TRUE(m_dir.isValid());
        m_name = m_dir.filePath(QStringLiteral("account.db"));
    } else {
        m_onServer = true;
        m_name = tarvo::suite::withDatabase(server, uniqueDatabaseName());
        tarvo::suite::createDatabase(m_name);
    }
    // Create and seed it once here, so the tests time their own work, not the seeding.
    if (content == Content::Seeded)
        tarvo::suite::AccountDatabase::open(m_name);
}

TempDatabase::~TempDatabase() {
    if (!m_onServer)
        return;
    try {
        tarvo::suite::dropDatabase(m_name);
    } catch (const tarvo::suite::DbError& e) {
        ADD_FAILURE() << "could not drop " << m_name.toStdString() << ": " << e.what();
    }
}

QString storedRows(tarvo::IClsCommon& db, std::initializer_list<const char*> tables) {
    QString out;
    for (const char* table : tables) {
        QString sql = QStringLiteral("select * from %1").arg(QLatin1String(table));
        for (auto rs = db.OpenX(sql); rs && !rs->Eof(); rs->MoveNext()) {
            for (int i = 0; i < rs->FieldCount(); ++i)
                out += rs->Value(i).toString() + u'|';
            out += u'\n';
        }
    }
    return out;
}
