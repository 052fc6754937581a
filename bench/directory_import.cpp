// What a script waits for when it loads a bank's branch directory file from the command line.
//   bench_directory_import N [PROGRAM]
//     A made-up directory file of N branches and a new database (created before the clock
//     starts); the program run as a script runs it, tarvo-archive --db DB --branches FILE
//     --commit, into the database without a directory, then the same file again, which changes
//     nothing: the wall and processor time of each and the larger peak resident memory.
//     PROGRAM, another build's tarvo-archive, puts two builds side by side in one sitting.
// Prints "NAME VALUE" lines.
#include "BenchSupport.h"
#include "BranchesFile.h"
#include "ChildRun.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    const int n = argc > 1 ? QByteArray(argv[1]).toInt() : 200000;
    const QString program = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(TARVO_HOST);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    const QString dbName = bench::makeDatabase(dir.path(), QString(), QStringLiteral("branches"));
    const QString file = bench::writeBranchesFile(dir.path(), n);
    if (file.isEmpty() || !bench::logIn(dbName))
        return 1;
    const QStringList commit{program, QStringLiteral("--db"),
                             dbName,  QStringLiteral("--branches"),
                             file,    QStringLiteral("--commit")};
    const bench::ChildRun first = bench::runChild(commit);
    const bench::ChildRun again = bench::runChild(commit);
    // Every branch of the file is new and valid: anything but a clean import is a fault.
    if (first.status != 0 || again.status != 0) {
        std::fprintf(stderr, "the imports ended with %d and %d\n", first.status, again.status);
        return 1;
    }
    bench::report("directory_import_ms", first.ms);
    bench::report("directory_reimport_ms", again.ms);
    bench::report("directory_import_cpu_ms", first.cpuMs);
    bench::report("directory_reimport_cpu_ms", again.cpuMs);
    bench::report("peak_rss_mb", std::max(first.peakMb, again.peakMb));
    return 0;
}
