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

#include <QByteArray>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QVector>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct ChildRun {
    double ms = -1;
    double peakMb = -1;
    int status = -1;
};

/// Runs the program to its end with its output thrown away; its own peak memory from wait4,
/// which counts that one child only.
ChildRun runChild(const QStringList& args) {
    std::vector<QByteArray> bytes;
    for (const QString& a : args)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.ms = double(t.nsecsElapsed()) / 1e6;
    run.peakMb = double(usage.ru_maxrss) / 1024.0;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

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
        const ChildRun run =
            runChild({program, QStringLiteral("--db"), dbName,
                      QStringLiteral("--archive"), QStringLiteral("bank"),
                      QStringLiteral("--import"), file, QStringLiteral("--check")});
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
