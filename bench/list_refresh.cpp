// How long the list of bank accounts takes to refresh, and how much memory it needs, for a
// generated number of accounts; beside it, how long the sqlite3 shell takes for the same query.
//   bench_list_refresh N      (one size per process, so that peak memory belongs to it)
#include "AccountDatabase.h"
#include "ClassRegistry.h"
#include "ComponentRegistration.h"
#include "FrmMain.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "SuiteRegistration.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

void generateAccounts(const QString& dbName, int n) {
    auto db = tarvo::suite::AccountDatabase::open(dbName);
    auto& sql = db->sql();
    const QStringList banks = {"102", "103", "104", "105", "301", "308"};
    const QStringList codes = {"100201", "100202", "100203"};
    tarvo::suite::Transaction tx(sql);
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
                  QStringLiteral("天河路%1号").arg(i), double(i) * 10.25, codes[i % codes.size()],
                  i % 3, i % 2, i % 7 == 0 ? 1 : 0, i % 5 == 0 ? 1 : 0});
    }
    tx.commit();
}

long peakKilobytes() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

double shellMilliseconds(const QString& dbName, const QString& query) {
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start("sqlite3", {dbName, query});
    p.waitForFinished(-1);
    return t.nsecsElapsed() / 1e6;
}

double median(QVector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? QString(argv[1]).toInt() : 1000;
    QTemporaryDir dir;
    const QString dbName = dir.filePath("bench.db");
    generateAccounts(dbName, n);

    tarvo::suite::registerSuiteClasses();
    tarvoArchiveRegisterClasses();
    QString error;
    auto login = tarvo::suite::Login::logIn(dbName, "demo", error);
    if (!login) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    QVector<double> refresh, shell;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* list = qobject_cast<tarvo::FrmMain*>(w);
            if (!list || !list->isLoaded())
                continue;
            poll.stop();
            for (int i = 0; i < 5; ++i) {
                QElapsedTimer t;
                t.start();
                list->DataRefresh(QString());
                refresh << t.nsecsElapsed() / 1e6;
            }
            QStringList select;
            for (const auto& f : list->listFields())
                select << f.field;
            const QString query = "select " + select.join(',') + " from bank" +
                                  list->GetJoinTables(select.join(',')) + " where (1=1) Order By " +
                                  list->orderBy();
            for (int i = 0; i < 5; ++i)
                shell << shellMilliseconds(dbName, query);
            list->close();
            return;
        }
    });
    poll.start(10);
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    component->Show(login, "bank", "NB");

    std::printf("%8d accounts: DataRefresh median %9.1f ms (min %9.1f), peak memory %7.1f MB, "
                "sqlite3 shell median %8.1f ms\n",
                n, median(refresh), *std::min_element(refresh.begin(), refresh.end()),
                peakKilobytes() / 1024.0, median(shell));
    return 0;
}
