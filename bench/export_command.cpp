// What a script waits for when it exports a long list of bank accounts from the command line.
//   bench_export_command N [PROGRAM]
//     An archive of N accounts; the program itself run as a script runs it, tarvo-archive --db
//     DB --archive bank --sysid NB --export FILE.csv, three times: the median wall time and
//     the largest peak resident memory of the program's process. Beside it, in the same run,
//     the sqlite3 shell writing the list's own SELECT as CSV, three times, its median.
//     PROGRAM, another build's tarvo-archive, puts two builds side by side in one sitting.
// Prints "NAME VALUE" lines.
#include "BenchSupport.h"
#include "ChildRun.h"

#include <QByteArray>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    const int n = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(TARVO_HOST);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    const QString dbName =
        bench::accountsDatabase(dir.path(), QString(), QStringLiteral("tarvo_export_%1").arg(n), n);
    if (!bench::logIn(dbName))
        return 1;
    const QString query = bench::accountList(dbName).query;
    if (query.isEmpty()) {
        std::fprintf(stderr, "the list's column set-up cannot be read\n");
        return 1;
    }
    const QString file = dir.filePath(QStringLiteral("accounts.csv"));
    QVector<double> command;
    QVector<double> shell;
    double peak = 0;
    for (int round = 0; round < 3; ++round) {
        shell << bench::programMilliseconds(QStringLiteral("sqlite3"),
                                            {QStringLiteral("-csv"), dbName, query});
        const bench::ChildRun run =
            bench::runChild({program, QStringLiteral("--db"), dbName, QStringLiteral("--archive"),
                             QStringLiteral("bank"), QStringLiteral("--sysid"),
                             QStringLiteral("NB"), QStringLiteral("--export"), file});
        // Every account is listed: anything but a whole file is a fault.
        if (run.status != 0 || QFileInfo(file).size() < n) {
            std::fprintf(stderr, "the export ended with %d\n", run.status);
            return 1;
        }
        command << run.ms;
        peak = std::max(peak, run.peakMb);
    }
    bench::report("command_ms", bench::median(command));
    bench::report("shell_csv_ms", bench::median(shell));
    bench::report("peak_rss_mb", peak);
    return 0;
}
