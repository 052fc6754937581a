// What a branch office 50 ms from the server waits for: the host's runs through a relay that
// delays each direction by 25 ms, counted in connections and round trips, beside psql running
// the list's own query through the same relay.
//   bench_wan SERVER_URL [N] [DELAY_MS]       Prints "NAME VALUE" lines.
#include "ArchiveSession.h"
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "IColSet.h"
#include "Login.h"
#include "ITarvoArchive.h"
#include "WanRelay.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>

namespace {

/// The accounts of the import: made in an archive of their own and written out by the host, so
/// that the file is what a clerk's export gives, then renamed so that every row is new.
constexpr int kImportRows = 2000;

struct Run {
    double ms = -1;
    bench::WanRelay::Counts counts;
    bool ok = false;
};

Run runThrough(bench::WanRelay& relay, const QString& program, const QStringList& args) {
    relay.reset();
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, args);
    const bool finished = p.waitForFinished(-1);
    Run run{double(t.nsecsElapsed()) / 1e6, relay.counts(), finished && p.exitCode() == 0};
    if (!run.ok)
        std::fprintf(stderr, "%s %s failed: %s\n", qPrintable(program), qPrintable(args.join(' ')),
                     p.readAllStandardError().constData());
    return run;
}

QString host() {
    return QStringLiteral(TARVO_HOST);
}

/// The select the list of bank accounts reads, as its column set makes it.
QString listQuery(const QString& dbName) {
    auto login = bench::logIn(dbName);
    QString fields;
    auto archive = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    archive->RunWithoutWindow(login, QStringLiteral("bank"), QStringLiteral("NB"),
                              [&](tarvo::ComVar&) {
                                  fields = tarvo::ArchiveSession::current().oColSet->GetSqlString();
                                  return true;
                              });
    return QStringLiteral("select %1 from bank Left Join AA_Bank on Bank.cBankCode=AA_Bank.cBankCode "
                          "Left Join Code on Bank.cCode=Code.cCode")
        .arg(fields);
}

/// A .csv of kImportRows accounts none of which the archive of n holds.
bool writeImportFile(const QString& dir, const QString& path) {
    const QString source = bench::accountsDatabase(dir, {}, QStringLiteral("import_source"),
                                                   kImportRows);
    const QString exported = dir + QStringLiteral("/exported.csv");
    QProcess p;
    p.start(host(), {"--db", source, "--archive", "bank", "--export", exported});
    if (!p.waitForFinished(-1) || p.exitCode() != 0)
        return false;
    QFile in(exported);
    QFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    QString text = QString::fromUtf8(in.readAll());
    static const QRegularExpression code(QStringLiteral("(^|,)B(\\d{7})"),
                                         QRegularExpression::MultilineOption);
    static const QRegularExpression account(QStringLiteral("(^|,)62220"),
                                            QRegularExpression::MultilineOption);
    text.replace(code, QStringLiteral("\\1W\\2")).replace(account, QStringLiteral("\\162229"));
    out.write(text.toUtf8());
    return true;
}

void reportRun(const char* name, const Run& run) {
    const QByteArray base(name);
    bench::report((base + "_roundtrips").constData(), double(run.counts.roundTrips));
    bench::report((base + "_connections").constData(), double(run.counts.connections));
    bench::report((base + "_ms").constData(), run.ok ? run.ms : -1);
}

} // namespace

int main(int argc, char** argv) {
    bench::WindowBench run(argc, argv, bench::WindowBench::Arguments::ServerFirst, 100000,
                           "bench_wan SERVER_URL [N] [DELAY_MS]");
    if (!run.ok())
        return 2;
    const QTemporaryDir& dir = run.dir();
    const QString dbName = run.accountsDatabase(QStringLiteral("tarvo_wan"));
    const QString importFile = dir.filePath(QStringLiteral("new-accounts.csv"));
    if (!writeImportFile(dir.path(), importFile)) {
        std::fprintf(stderr, "the import file could not be made\n");
        return 1;
    }
    const QString query = listQuery(dbName);

    const QUrl serverUrl(dbName);
    bench::WanRelay relay(serverUrl.port(), run.delayMs());
    const QString remote =
        QString::fromStdString(relay.through(dbName.toStdString()));

    reportRun("wan_start", runThrough(relay, host(),
                                      {"--db", remote, "--archive", "bank", "--screenshot",
                                       dir.filePath(QStringLiteral("list.png"))}));
    reportRun("wan_import_check_2k", runThrough(relay, host(),
                                                {"--db", remote, "--archive", "bank", "--import",
                                                 importFile, "--check"}));
    reportRun("wan_export_csv", runThrough(relay, host(),
                                           {"--db", remote, "--archive", "bank", "--export",
                                            dir.filePath(QStringLiteral("list.csv"))}));
    reportRun("psql_export_csv",
              runThrough(relay, QStringLiteral("psql"),
                         {remote, "-X", "-q", "-o", "/dev/null", "-c",
                          QStringLiteral("COPY (%1) TO STDOUT WITH (FORMAT csv)").arg(query)}));
    return 0;
}
