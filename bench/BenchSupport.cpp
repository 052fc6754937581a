#include "BenchSupport.h"

#include "AccountDatabase.h"
#include "ClassRegistry.h"
#include "ColumnSetup.h"
#include "ComponentRegistration.h"
#include "IColSet.h"
#include "ListQuery.h"
#include "Login.h"
#include "PostgresDatabases.h"
#include "SuiteRegistration.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <unistd.h>

namespace bench {

using namespace tarvo::suite;

QString makeDatabase(const QString& dir, const QString& serverUrl, const QString& name) {
    if (serverUrl.isEmpty())
        return dir + u'/' + name + QStringLiteral(".db");
    const QString url = withDatabase(serverUrl, name);
    dropDatabase(url);
    createDatabase(url);
    return url;
}

void generateAccounts(const QString& dbName, int n) {
    auto db = AccountDatabase::open(dbName);
    auto& sql = db->sql();
    const QStringList banks = {"102", "103", "104", "105", "301", "308"};
    const QStringList codes = {"100201", "100202", "100203"};
    Transaction tx(sql);
    sql.exec("DELETE FROM bank");
    for (int i = 1; i <= n; ++i) {
        sql.exec("INSERT INTO bank (cBCode, cBAccount, cAccName, dOpenAccDate, cCurrencyName, "
                 "cBName, cBankCode, cProvinceName, cCountyName, cOpenAccAddr, fCurBalance, "
                 "cCode, iAccProperty, iSignFlag, bBflag, bPwdMng) VALUES (?, ?, ?, ?, '人民币', "
                 "?, ?, '广东省', '广州市', ?, ?, ?, ?, ?, ?, ?)",
                 {QStringLiteral("B%1").arg(i, 7, 10, QLatin1Char('0')),
                  QStringLiteral("62220%1").arg(i, 12, 10, QLatin1Char('0')),
                  QStringLiteral("示例公司账户%1").arg(i),
                  QStringLiteral("2020-01-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
                  QStringLiteral("第%1支行").arg(i % 500), banks[i % banks.size()],
                  QStringLiteral("天河路%1号").arg(i), QStringLiteral("%1.25").arg(i * 10),
                  codes[i % codes.size()], i % 3, i % 2, i % 7 == 0 ? 1 : 0, i % 5 == 0 ? 1 : 0});
    }
    tx.commit();
}

QString accountsDatabase(const QString& dir, const QString& serverUrl, const QString& name, int n) {
    const QString dbName = makeDatabase(dir, serverUrl, name);
    generateAccounts(dbName, n);
    if (!serverUrl.isEmpty()) {
        // A server's archive at month end has long been analysed and written out; one just
        // filled would be busy doing both meanwhile, on the same two cores.
        auto db = AccountDatabase::open(dbName);
        db->sql().exec(QStringLiteral("VACUUM ANALYZE bank"));
        db->sql().exec(QStringLiteral("CHECKPOINT"));
    }
    // Nor is the disk still busy writing the archive out when the clerk starts work.
    ::sync();
    return dbName;
}

void generateBanks(const QString& dbName, int n) {
    auto db = AccountDatabase::open(dbName);
    auto& sql = db->sql();
    Transaction tx(sql);
    for (int i = 1; i <= n; ++i)
        sql.exec("INSERT INTO aa_bank (cBankCode, cBankName, bComdFixLen, iComAccNoLen, "
                 "bIndFixLen, iIndAccNoLen) VALUES (?, ?, ?, ?, 0, 19)",
                 {QStringLiteral("K%1").arg(i, 7, 10, QLatin1Char('0')),
                  QStringLiteral("示例银行%1").arg(i), i % 2, 10 + i % 10});
    tx.commit();
}

namespace {
/// Set before the application is made, which reads it.
int& offscreen(int& argc) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return argc;
}
} // namespace

WindowBench::WindowBench(int& argc, char** argv, Arguments layout, int defaultRows,
                         const char* usage)
    : m_app(offscreen(argc), argv), m_rows(defaultRows) {
    const auto number = [&](int at, int otherwise) {
        return argc > at ? QString::fromLocal8Bit(argv[at]).toInt() : otherwise;
    };
    if (layout == Arguments::RowsFirst) {
        m_rows = number(1, defaultRows);
        if (argc > 2)
            m_server = QString::fromLocal8Bit(argv[2]);
        return;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s\n", usage);
        m_ok = false;
        return;
    }
    m_server = QString::fromLocal8Bit(argv[1]);
    m_rows = number(2, defaultRows);
    m_delayMs = number(3, m_delayMs);
}

QString WindowBench::accountsDatabase(const QString& name) const {
    return bench::accountsDatabase(m_dir.path(), m_server, name, m_rows);
}

std::shared_ptr<Login> logIn(const QString& dbName) {
    registerSuiteClasses();
    tarvoArchiveRegisterClasses();
    QString error;
    auto login = Login::logIn(dbName, QStringLiteral("demo"), error);
    if (!login)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return login;
}

AccountList accountList(const QString& dbName) {
    auto colSet = tarvo::createObject<tarvo::IColSet>(QStringLiteral("TarvoColumnSet.clsColSet"));
    if (!colSet)
        return {};
    colSet->Init(dbName, QStringLiteral("demo"));
    if (!colSet->setColMode(QStringLiteral("bank"), 1))
        return {};
    const QString fields = colSet->GetSqlString();
    const QString archive = QStringLiteral("bank");
    return {tarvo::listQuery(archive, fields, QString(), tarvo::allRecordsFilter(),
                             tarvo::columnSetupOrder(*colSet->GetColProperties())),
            tarvo::listColumnsQuery(archive, fields)};
}

namespace {
double statusMegabytes(const char* key) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').value(0).toDouble() /
                   1024.0;
    return -1;
}
} // namespace

double residentMegabytes() {
    return statusMegabytes("VmRSS:");
}

double peakMegabytes() {
    return statusMegabytes("VmHWM:");
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double programMilliseconds(const QString& program, const QStringList& args) {
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    p.waitForFinished(-1);
    return double(t.nsecsElapsed()) / 1e6;
}

double median(QVector<double> v) {
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* name, double value) {
    std::printf("%s %.6g\n", name, value);
    std::fflush(stdout);
}

} // namespace bench
