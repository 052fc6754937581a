// What a branch office 50 ms from the server waits for: the host's runs through a relay that
// delays each direction by 25 ms, counted in connections and round trips, beside psql running
// the export's own statement through the same relay; and the export's reading by itself, its
// statement on a connection already open, to tell it from the program's start.
//   bench_wan SERVER_URL [N] [DELAY_MS]       Prints "NAME VALUE" lines.
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "IBranchDirectory.h"
#include "IClsCommon.h"
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

/// The export's reading by itself: its statement on a connection already open, the rows handed
/// on a chunk at a time as the export takes them. Not ok unless every row came.
Run readThrough(bench::WanRelay& relay, const QString& remote, const bench::AccountList& list,
                int rows) {
    Run run;
    const auto db =
        tarvo::createObject<tarvo::IClsCommon>(QStringLiteral("TarvoSrvTrans.IClsCommon"));
    if (!db)
        return run;
    db->Init(remote);
    QString columns = list.columns;
    const tarvo::RecordsetPtr shape = db->OpenX(columns);
    if (!shape)
        return run;
    QVector<tarvo::FieldInfo> fields;
    for (int f = 0; f < shape->FieldCount(); ++f)
        fields << shape->FieldAt(f);
    QString query = list.query;
    QString error;
    qint64 read = 0;
    relay.reset();
    QElapsedTimer t;
    t.start();
    const bool done = db->OpenXInChunks(
        query, fields, 4096,
        [&](const tarvo::RecordsetPtr& chunk) {
            read += chunk->storedRowCount();
            return true;
        },
        error);
    run.ms = double(t.nsecsElapsed()) / 1e6;
    run.counts = relay.counts();
    run.ok = done && read == rows;
    if (!run.ok)
        std::fprintf(stderr, "the export's reading got %lld rows: %s\n", read, qPrintable(error));
    return run;
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

/// The interbank code of the i-th account of the import file.
QString branchCode(int i) {
    return QStringLiteral("1023310%1").arg(i, 4, 10, QLatin1Char('0')) + u'0';
}

/// A directory listing the branches of most accounts of the import file, some of them retired.
bool storeDirectory(const QString& dbName) {
    auto db = tarvo::createObject<tarvo::IClsCommon>(QStringLiteral("TarvoSrvTrans.IClsCommon"));
    auto directory = tarvo::createObject<tarvo::IBranchDirectory>(
        QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
    if (!db || !directory)
        return false;
    db->Init(dbName);
    QVector<tarvo::BranchEntry> listed;
    QStringList retired;
    for (int i = 1; i <= kImportRows; ++i) {
        if (i % 10 == 0)
            continue;
        tarvo::BranchEntry e;
        e.code = branchCode(i);
        e.name = QStringLiteral("示例银行虚构市第%1支行").arg(i);
        e.bankCode = e.code.left(3);
        e.city = QStringLiteral("广州");
        e.province = QStringLiteral("广东");
        listed << e;
        if (i % 50 == 1)
            retired << e.code;
    }
    QString error;
    const bool stored = directory->Store(db, listed, {}, QDate(2026, 10, 1), error) &&
                        directory->Store(db, {}, retired, QDate(2026, 11, 1), error);
    if (!stored)
        std::fprintf(stderr, "the directory could not be stored: %s\n", qPrintable(error));
    return stored;
}

/// The import file with each account's interbank code and without its province, which the
/// directory fills where the account is new.
bool writeBranchesFile(const QString& importFile, const QString& path) {
    QFile in(importFile);
    QFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    const QStringList lines = QString::fromUtf8(in.readAll()).split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return false;
    const QStringList header = lines.first().trimmed().split(u',');
    const auto code = header.indexOf(QStringLiteral("联行号"));
    const auto province = header.indexOf(QStringLiteral("省/自治区"));
    if (code < 0 || province < 0)
        return false;
    QString text;
    for (int i = 0; i < lines.size(); ++i) {
        QStringList cells = lines[i].trimmed().split(u',');
        if (i > 0)
            cells[code] = branchCode(i);
        cells.removeAt(province);
        text += cells.join(u',') + QStringLiteral("\r\n");
    }
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
    if (!bench::logIn(dbName))
        return 1;
    const bench::AccountList list = bench::accountList(dbName);
    if (list.query.isEmpty()) {
        std::fprintf(stderr, "the list's column set-up cannot be read\n");
        return 1;
    }

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
    reportRun("wan_export_read", readThrough(relay, remote, list, run.rows()));
    reportRun("psql_export_csv",
              runThrough(relay, QStringLiteral("psql"),
                         {remote, "-X", "-q", "-o", "/dev/null", "-c",
                          QStringLiteral("COPY (%1) TO STDOUT WITH (FORMAT csv)").arg(list.query)}));

    // Last, as the directory is there from now on: the check of accounts naming their
    // branches, whose entries come with the check's first question.
    const QString branchesFile = dir.filePath(QStringLiteral("new-accounts-branches.csv"));
    if (!storeDirectory(dbName) || !writeBranchesFile(importFile, branchesFile)) {
        std::fprintf(stderr, "the directory or its import file could not be made\n");
        return 1;
    }
    reportRun("wan_import_check_2k_branches",
              runThrough(relay, host(),
                         {"--db", remote, "--archive", "bank", "--import", branchesFile,
                          "--check"}));
    return 0;
}
