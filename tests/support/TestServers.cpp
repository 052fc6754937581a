#include "TestServers.h"

#include <QCoreApplication>
#include <QProcess>

namespace {
// Long enough for initdb and a base backup on a busy machine, short of the test's own limit.
constexpr int kScriptMs = 90000;
} // namespace

TestServers::TestServers() {
    QString out;
    const QStringList words =
        run({QStringLiteral("start"), QString::number(QCoreApplication::applicationPid())}, &out)
                                  ? out.split(u' ', Qt::SkipEmptyParts)
                                  : QStringList();
    if (words.size() != 2)
        return;
    m_folder = words[0];
    m_primaryPort = words[1].toInt();
}

std::unique_ptr<TestServers> TestServers::whenOnAServer() {
    return qEnvironmentVariableIsEmpty("TARVO_TEST_PG") ? nullptr
                                                        : std::make_unique<TestServers>();
}

::testing::AssertionResult TestServers::outcome(bool done) const {
    return done ? ::testing::AssertionSuccess()
                : ::testing::AssertionFailure() << m_error.toStdString();
}

::testing::AssertionResult TestServers::started() const {
    return outcome(m_primaryPort > 0);
}

TestServers::~TestServers() {
    if (!m_folder.isEmpty())
        run({QStringLiteral("remove"), m_folder});
}

bool TestServers::run(const QStringList& args, QString* out) {
    QProcess script;
    script.start(QStringLiteral(TARVO_PG_SERVERS), args);
    if (!script.waitForFinished(kScriptMs)) {
        script.kill();
        script.waitForFinished(5000);
    }
    m_error = QString::fromLocal8Bit(script.readAllStandardError()).trimmed();
    if (script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1 %2 did not finish").arg(TARVO_PG_SERVERS, args.join(u' '));
        return false;
    }
    if (out)
        *out = QString::fromLocal8Bit(script.readAllStandardOutput()).trimmed();
    return true;
}

QString TestServers::primaryUrl() const {
    return QStringLiteral("postgresql://tarvo@127.0.0.1:%1/postgres").arg(m_primaryPort);
}

QString TestServers::bothUrl() const {
    return QStringLiteral("postgresql://tarvo@127.0.0.1:%1,127.0.0.1:%2/postgres"
                          "?target_session_attrs=read-write")
        .arg(m_primaryPort)
        .arg(m_standbyPort);
}

::testing::AssertionResult TestServers::startStandby(bool synchronous) {
    QString out;
    QStringList args = {QStringLiteral("standby"), m_folder};
    if (synchronous)
        args << QStringLiteral("sync");
    if (run(args, &out))
        m_standbyPort = out.toInt();
    return outcome(m_standbyPort > 0);
}

::testing::AssertionResult TestServers::act(const char* action, const char* server) {
    return outcome(run({QString::fromLatin1(action), m_folder, QString::fromLatin1(server)}));
}
