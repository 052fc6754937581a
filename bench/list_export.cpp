// What a clerk waits for when a long list of bank accounts goes to a file: the list window's
// own output command (style, data, writer) started from the event loop of the shown, loaded
// list; then the print control's writer alone given the list's data file, so that the writer's part
// shows apart from the building of the data. Memory is the peak of each step over the process's
// memory before it (the loaded list); the writer and the reading by itself also in processor
// time, beside the baselines' own. The baselines: for .csv the database's own shell running
// the list's SELECT as CSV; for .xlsx a bare libxlsxwriter program writing the same cells.
// Below a million rows every step, baselines too, runs three times and its median counts.
//   bench_list_export N FORMAT        FORMAT: csv or xlsx
// One size and format per process, so that the peaks belong to it. Prints "NAME VALUE" lines.
#include "ArchiveSession.h"
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "FrmMain.h"
#include "Grid.h"
#include "IColSet.h"
#include "IPub.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "PrintControl.h"
#include "PrintData.h"
#include "SuiteContext.h"

#include "AdoTypes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

namespace {

/// Starts a new peak: from here on the peak resident memory is measured afresh, from what the
/// process holds once freed memory went back to the system.
void resetPeak() {
    malloc_trim(0);
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

/// Processor time of the finished child processes, in ms: what a step costs
/// however busy the machine is.
double childrenCpuMs() {
    rusage r{};
    getrusage(RUSAGE_CHILDREN, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1e3 +
           double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e3;
}

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

class Driver : public QObject {
public:
    Driver(int rows, QString format, QString dir)
        : m_rows(rows), m_format(std::move(format)), m_dir(std::move(dir)) {
        connect(&m_poll, &QTimer::timeout, this, &Driver::poll);
        m_poll.start(50);
    }

    bool done = false;
    QString query;
    /// How often each step runs, its median reported: a million rows once.
    int rounds() const { return m_rows >= 1000000 ? 1 : 3; }
    QString cellTypes; // one letter per exported column, for the bare program

private:
    int m_rows;
    QString m_format;
    QString m_dir;
    QTimer m_poll;

    void poll() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* list = qobject_cast<tarvo::FrmMain*>(w);
            if (list && list->isVisible() && list->isLoaded() &&
                list->grid()->Rows() == m_rows + 1) {
                m_poll.stop();
                QTimer::singleShot(0, list, [this, list] { run(list); });
                return;
            }
        }
    }

    void run(tarvo::FrmMain* list) {
        const QString path = m_dir + QStringLiteral("/list.") + m_format;
        tarvo::suite::setUnattendedExportPath(path);
        const double listMb = bench::residentMegabytes();
        bench::report("rss_list_mb", listMb);
        // The median of three commands, as of the baselines' three runs; a million rows once.
        QVector<double> commands;
        double peak = 0;
        for (int round = 0; round < rounds(); ++round) {
            resetPeak();
            QElapsedTimer t;
            t.start();
            // The command ends in the window's event loop, as the clerk sees it end.
            QEventLoop ended;
            connect(list, &tarvo::FrmMain::outputEnded, &ended, &QEventLoop::quit);
            list->DoCommand(QStringLiteral("SaveFile"));
            if (list->isPrinting())
                ended.exec();
            commands << msSince(t);
            peak = std::max(peak, bench::peakMegabytes() - listMb);
            if (tarvo::suite::lastExportOutcome().result != 0 || !QFile::exists(path)) {
                std::fprintf(stderr, "the list's export failed: %s\n",
                             qPrintable(tarvo::suite::lastExportOutcome().error));
                list->close();
                return;
            }
            QFile::remove(path);
        }
        bench::report("command_ms", bench::median(commands));
        bench::report("command_peak_over_list_mb", peak);
        writerAlone(list, path);
        list->close();
        done = true;
    }

    /// The print control's writer given the list's data as the list hands it over.
    void writerAlone(tarvo::FrmMain* list, const QString& path) {
        auto& s = tarvo::ArchiveSession::current();
        tarvo::suite::Grid* grid = list->grid();
        QString style;
        QString data;
        s.oPub->GetPrnStyleFile(true, {}, style, "bank", s.SrvDB, grid);
        // The data file, as the list hands it over.
        s.oPub->GetPrnDataFile(false, data, {}, {}, "本单位开户银行", "001", "demo", "演示",
                               nullptr, s.SrvDB, grid);
        const auto removeData = qScopeGuard([&] { QFile::remove(data); });
        const QString fields = s.oColSet->GetSqlString();
        query = "select " + fields + " from bank" + list->GetJoinTables(fields) + " where (1=1)" +
                (list->orderBy().isEmpty() ? QString() : " Order By " + list->orderBy());
        QString empty = "select top 0 " + fields + " from bank" + list->GetJoinTables(fields);
        tarvo::RecordsetPtr rs = s.SrvDB->OpenX(empty);
        QString types;
        QString sizes;
        s.oPub->GetTypeSize(types, sizes, rs, grid);
        for (const QString& type : types.split(u',')) {
            const int ado = type.toInt();
            cellTypes += tarvo::ado::isNumeric(ado) ? u'n' : tarvo::ado::isDate(ado) ? u'd' : u's';
        }

        tarvo::suite::PrintControl control;
        if (control.SetDataStyleXML(data, false, style, true, "Default") != 0)
            return;
        // Reading the data by itself and the writer, in turns, so that a busy machine slows
        // both alike; a million rows once.
        const double beforeMb = bench::residentMegabytes();
        QVector<double> reads;
        QVector<double> writes;
        QVector<double> readsCpu;
        QVector<double> writesCpu;
        double readPeak = 0;
        double writePeak = 0;
        qint32 flags = 0;
        for (int round = 0; round < rounds(); ++round) {
            resetPeak();
            QElapsedTimer t;
            t.start();
            double cpu = bench::threadCpuMs();
            {
                tarvo::suite::PrintDataFileReader reader(data);
                tarvo::suite::PrintDataHeader header;
                tarvo::suite::PrintDataCells cells;
                for (bool more = reader.readHeader(header); more; more = reader.next(cells)) {
                }
            }
            reads << msSince(t);
            readsCpu << bench::threadCpuMs() - cpu;
            readPeak = std::max(readPeak, bench::peakMegabytes() - beforeMb);
            resetPeak();
            t.restart();
            cpu = bench::threadCpuMs();
            if (control.ExportToFile(flags, types, sizes, path, QString()) != 0)
                return;
            writes << msSince(t);
            writesCpu << bench::threadCpuMs() - cpu;
            writePeak = std::max(writePeak, bench::peakMegabytes() - beforeMb);
        }
        bench::report("read_ms", bench::median(reads));
        bench::report("read_peak_over_data_mb", readPeak);
        bench::report("writer_ms", bench::median(writes));
        bench::report("writer_peak_over_data_mb", writePeak);
        bench::report("read_cpu_ms", bench::median(readsCpu));
        bench::report("writer_cpu_ms", bench::median(writesCpu));
        // The bare program reads the same cells from a .csv written from the same data.
        if (m_format == u"xlsx")
            control.ExportToFile(flags, types, sizes, m_dir + QStringLiteral("/cells.csv"),
                                 QString());
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? QString(argv[1]).toInt() : 1000;
    const QString format = argc > 2 ? QString(argv[2]) : QStringLiteral("csv");
    QTemporaryDir dir;
    const QString dbName =
        bench::accountsDatabase(dir.path(), {}, QStringLiteral("tarvo_export_%1").arg(n), n);
    auto login = bench::logIn(dbName);
    if (!login)
        return 1;
    tarvo::suite::setUnattended(true);

    Driver driver(n, format, dir.path());
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    component->Show(login, "bank", "NB");
    if (!driver.done) {
        std::fprintf(stderr, "the list of %d rows was never exported\n", n);
        return 1;
    }

    if (format == u"csv") {
        QVector<double> shell;
        QVector<double> shellCpu;
        for (int i = 0; i < 3; ++i) {
            const double cpu = childrenCpuMs();
            shell << bench::programMilliseconds("sqlite3", {"-csv", dbName, driver.query});
            shellCpu << childrenCpuMs() - cpu;
        }
        bench::report("shell_csv_ms", bench::median(shell));
        bench::report("shell_csv_cpu_ms", bench::median(shellCpu));
        return 0;
    }
    QVector<double> bare;
    QVector<double> bareCpu;
    for (int i = 0; i < driver.rounds(); ++i) {
        const double cpu = childrenCpuMs();
        QProcess program;
        program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/bench_xlsx_bare"),
                      {dir.filePath("cells.csv"), dir.filePath("bare.xlsx"), driver.cellTypes});
        program.waitForFinished(-1);
        const QByteArray out = program.readAllStandardOutput();
        if (program.exitCode() != 0 || !out.startsWith("bare_xlsx_ms ")) {
            std::fprintf(stderr, "the bare program failed: %s\n",
                         program.readAllStandardError().data());
            return 1;
        }
        bare << out.mid(13).trimmed().toDouble();
        bareCpu << childrenCpuMs() - cpu;
    }
    bench::report("bare_xlsx_ms", bench::median(bare));
    bench::report("bare_xlsx_cpu_ms", bench::median(bareCpu));
    return 0;
}
