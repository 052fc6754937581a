// What a script waits for when it checks a long file of bank accounts from the command line.
//   bench_import_check_command N [PROGRAM]
//     An archive of N accounts and a file of N new ones; the program itself run as a script
//     runs it, tarvo-archive --db DB --archive bank --import FILE --check, three times: the
//     median wall time and the largest peak resident memory of the program's process. Beside
//     it, in the same run, the sqlite3 shell's .import of the same file and INSERT…SELECT into
//     a copy of the same database, three times, its median.
//     PROGRAM, another build's tarvo-archive, puts two builds side by side in one sitting.
// Prints "NAME VALUE" lines.
#include "AccountsFile.h"
#include "BenchSupport.h"
#include "ChildRun.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    const int n = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(TARVO_HOST);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    const QString dbName = bench::accountsDatabase(dir.path(), QString(),
                                                   QStringLiteral("tarvo_check_%1").arg(n), n);
    const QString file = bench::writeAccountsFile(dir.path(), n);
    if (file.isEmpty() || !bench::logIn(dbName))
        return 1;
    QVector<double> command;
    QVector<double> shell;
    double peak = 0;
    for (int round = 0; round < 3; ++round) {
        shell << bench::shellImportMs(dbName, file);
        const bench::ChildRun run = bench::runChild(
            {program, QStringLiteral("--db"), dbName, QStringLiteral("--archive"),
             QStringLiteral("bank"), QStringLiteral("--import"), file, QStringLiteral("--check")});
        // Every row of the file is new and valid: anything but a clean check is a fault.
        if (run.status != 0 || shell.last() < 0) {
            std::fprintf(stderr, "the check ended with %d, the shell's import with %g\n",
                         run.status, shell.last());
            return 1;
        }
        command << run.ms;
        peak = std::max(peak, run.peakMb);
    }
    bench::report("command_ms", bench::median(command));
    bench::report("shell_import_ms", bench::median(shell));
    bench::report("peak_rss_mb", peak);
    return 0;
}
