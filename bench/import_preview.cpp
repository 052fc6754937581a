// What a clerk waits for when importing a long file of bank accounts.
//   bench_import_preview preview N
//     The list of N accounts shown, then "导入" of a file of N new accounts: from the command
//     to the preview shown with every row's verdict, the window thread's processor time until
//     then and the process's peak memory; beside it the sqlite3 shell's .import of the same
//     file and INSERT…SELECT into a copy of the same database.
//   bench_import_preview branches N
//     The bank accounts list over a directory of N branches, then its import of a file that
//     retires N/100 of them and lists N/100 new ones: from the command to the preview's
//     verdicts, the longest the window went without handling its events, its processor time
//     and the process's peak memory.
//   bench_import_preview store N [SERVER_URL]
//     The import of N new accounts (every row stored in one transaction) into an archive of
//     N, on SQLite or on the server.
// Prints "NAME VALUE" lines.
#include "AccountsFile.h"
#include "BenchSupport.h"
#include "BranchImport.h"
#include "BranchesFile.h"
#include "ClassRegistry.h"
#include "FrmBranchImport.h"
#include "FrmImport.h"
#include "FrmMain.h"
#include "Grid.h"
#include "IClsCommon.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "StallMeter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

class Driver : public QObject {
public:
    Driver(int rows, QString file) : m_rows(rows), m_file(std::move(file)) {
        connect(&m_poll, &QTimer::timeout, this, [this] { findList(); });
        m_poll.start(20);
    }
    double previewMs = -1;
    /// The longest the window went without handling its events until the preview showed.
    double stallMs = -1;
    /// The window thread's processor time meanwhile: it idles while the file is checked.
    double windowCpuMs = -1;
    QString counts;
    bool done = false;

private:
    int m_rows;
    QString m_file;
    QTimer m_poll;
    QElapsedTimer m_sincePreview;
    double m_cpuBefore = 0;
    bench::StallMeter m_stalls;

    void findList() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* list = qobject_cast<tarvo::FrmMain*>(w);
            if (list && list->isLoaded() && list->grid()->Rows() == m_rows + 1) {
                m_poll.stop();
                QTimer::singleShot(0, this, [this, list] { preview(list); });
                return;
            }
        }
    }

    void preview(tarvo::FrmMain* list) {
        m_sincePreview.start();
        m_cpuBefore = bench::threadCpuMs();
        m_stalls.reset();
        // Nothing polls for the preview while the file is checked: the window thread idles
        // then as it does for a clerk, and the work beside it has the processor.
        qApp->installEventFilter(this);
        list->ImportFile(m_file);
        qApp->removeEventFilter(this);
        done = true;
        list->close();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The first turn of the preview's own event loop: it is shown with its verdicts. The
        // window's events turn while the file is checked, before the preview exists.
        if (event->type() != QEvent::Show || previewMs >= 0)
            return false;
        if (auto* p = qobject_cast<tarvo::FrmImport*>(watched))
            QTimer::singleShot(0, p, [this, p] { shown(p); });
        return false;
    }

    void shown(tarvo::FrmImport* p) {
        p->repaint();
        previewMs = msSince(m_sincePreview);
        windowCpuMs = bench::threadCpuMs() - m_cpuBefore;
        stallMs = m_stalls.longest();
        counts = p->findChild<QLabel*>(QStringLiteral("LblCounts"))->text();
        p->reject();
    }
};

int preview(int n) {
    QTemporaryDir dir;
    const QString dbName =
        bench::accountsDatabase(dir.path(), QString(), QStringLiteral("tarvo_import_%1").arg(n), n);
    const QString file = bench::writeAccountsFile(dir.path(), n);
    const double shell = bench::shellImportMs(dbName, file);
    auto login = bench::logIn(dbName);
    if (!login || file.isEmpty())
        return 1;
    Driver driver(n, file);
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    component->Show(login, "bank", "NB");
    if (!driver.done || driver.previewMs < 0) {
        std::fprintf(stderr, "the preview never showed\n");
        return 1;
    }
    std::fprintf(stderr, "%s\n", qPrintable(driver.counts));
    bench::report("preview_ms", driver.previewMs);
    bench::report("shell_import_ms", shell);
    bench::report("stall_ms", driver.stallMs);
    bench::report("window_cpu_ms", driver.windowCpuMs);
    bench::report("peak_rss_mb", bench::peakMegabytes());
    return shell > 0 ? 0 : 1;
}

/// Opens the branch directory's preview of a file from the list and measures until its verdicts
/// are shown.
class BranchDriver : public QObject {
public:
    explicit BranchDriver(QString file) : m_file(std::move(file)) {
        connect(&m_poll, &QTimer::timeout, this, [this] { look(); });
        m_poll.start(20);
    }
    double previewMs = -1;
    double stallMs = -1;
    /// When the longest stall ended, since the command.
    double stallEndedMs = -1;
    double windowCpuMs = -1;
    QString counts;

private:
    QString m_file;
    QTimer m_poll;
    QElapsedTimer m_sincePreview;
    double m_cpuBefore = 0;
    bench::StallMeter m_stalls;
    bool m_opened = false;

    void look() {
        if (!m_opened) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* list = qobject_cast<tarvo::FrmMain*>(w);
                    list && list->isLoaded() && !list->isReading()) {
                    m_opened = true;
                    QTimer::singleShot(0, this, [this, list] { open(list); });
                    return;
                }
            return;
        }
        auto* p = qobject_cast<tarvo::FrmBranchImport*>(QApplication::activeModalWidget());
        if (!p || p->checking() || previewMs >= 0)
            return;
        p->repaint();
        previewMs = msSince(m_sincePreview);
        windowCpuMs = bench::threadCpuMs() - m_cpuBefore;
        stallMs = m_stalls.longest();
        stallEndedMs = m_stalls.longestEnded();
        counts = p->findChild<QLabel*>(QStringLiteral("LblCounts"))->text();
        p->reject();
    }

    void open(tarvo::FrmMain* list) {
        // Looked for every 5 ms while the preview reads and checks: at most that late.
        m_poll.setInterval(5);
        m_sincePreview.start();
        m_cpuBefore = bench::threadCpuMs();
        m_stalls.reset();
        list->ImportBranchFile(m_file);
        list->close();
    }
};

int branches(int n) {
    QTemporaryDir dir;
    const QString dbName =
        bench::accountsDatabase(dir.path(), QString(), QStringLiteral("tarvo_branches"), 100);
    QDir(dir.path()).mkdir(QStringLiteral("first"));
    const QString first = bench::writeBranchesFile(dir.filePath(QStringLiteral("first")), n);
    auto login = bench::logIn(dbName);
    if (!login || first.isEmpty())
        return 1;
    {
        auto srv = tarvo::createObject<tarvo::IClsCommon>("TarvoSrvTrans.IClsCommon");
        srv->Init(dbName);
        tarvo::BranchImport import;
        QString error;
        if (!import.read(first, error) || !import.check(srv, error) || !import.store(srv, error)) {
            std::fprintf(stderr, "the first directory was not stored: %s\n", qPrintable(error));
            return 1;
        }
    }
    QFile next(dir.filePath(QStringLiteral("next.csv")));
    if (!next.open(QIODevice::WriteOnly))
        return 1;
    next.write(QStringLiteral("行号,行名,所属银行行号,所属银行名称,城市代码,城市,省份\r\n").toUtf8());
    for (int i = n / 100; i < n + n / 100; ++i)
        next.write(bench::branchLine(i).toUtf8());
    next.close();
    BranchDriver driver(next.fileName());
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    component->Show(login, "bank", "NB");
    if (driver.previewMs < 0) {
        std::fprintf(stderr, "the preview never showed its verdicts\n");
        return 1;
    }
    std::fprintf(stderr, "%s\n", qPrintable(driver.counts));
    bench::report("branch_preview_ms", driver.previewMs);
    bench::report("stall_ms", driver.stallMs);
    bench::report("stall_ended_ms", driver.stallEndedMs);
    bench::report("window_cpu_ms", driver.windowCpuMs);
    bench::report("peak_rss_mb", bench::peakMegabytes());
    return 0;
}

int store(int n, const QString& server) {
    QTemporaryDir dir;
    const QString dbName =
        bench::accountsDatabase(dir.path(), server, QStringLiteral("imports"), n);
    if (!bench::logIn(dbName))
        return 1;
    auto srv = tarvo::createObject<tarvo::IClsCommon>("TarvoSrvTrans.IClsCommon");
    srv->Init(dbName);
    QStringList xmls;
    for (int i = 1; i <= n; ++i) {
        const QStringList cells = bench::accountLine(i).trimmed().split(u',');
        const QStringList fields = QString::fromLatin1(bench::kAccountColumns).split(u',');
        QString xml = QStringLiteral("<Bank>");
        for (int c = 0; c < fields.size(); ++c)
            xml += QStringLiteral("<%1>%2</%1>").arg(fields[c], cells[c]);
        xmls << xml + QStringLiteral("</Bank>");
    }
    QVector<tarvo::BatchVerdict> verdicts;
    QString error;
    QElapsedTimer t;
    t.start();
    const bool ok = srv->SaveBatch(xmls, QStringLiteral("bank"), true, verdicts, error);
    const double ms = msSince(t);
    if (!ok) {
        std::fprintf(stderr, "import failed: %s\n", qPrintable(error));
        return 1;
    }
    bench::report("store_ms", ms);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString(argv[1]) : QString();
    const int n = argc > 2 ? QString(argv[2]).toInt() : 1000;
    if (mode == u"preview")
        return preview(n);
    if (mode == u"branches")
        return branches(n);
    if (mode == u"store")
        return store(n, argc > 3 ? QString(argv[3]) : QString());
    std::fprintf(stderr, "usage: bench_import_preview preview|branches|store N [SERVER_URL]\n");
    return 2;
}
