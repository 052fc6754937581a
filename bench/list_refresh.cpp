// What a clerk waits for with a long list of bank accounts: the start of the application to
// the first painted list, and refreshes of the shown, loaded list started from the event loop
// and ended when the list is painted again; the memory of the process meanwhile; and, as the
// baseline, the database's own shell running the same SELECT with its output thrown away.
//   bench_list_refresh N [SERVER_URL]
// One size per process, so that the peak memory belongs to it. Prints "NAME VALUE" lines.
#include "ArchiveSession.h"
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "FrmMain.h"
#include "Grid.h"
#include "IColSet.h"
#include "ITarvoArchive.h"
#include "Login.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kRefreshes = 10;

/// Drives the list once it is up: waits for its first paint, then refreshes it from the event
/// loop, each refresh timed to the end of the paint that shows it.
class Driver : public QObject {
public:
    Driver(int rows, QElapsedTimer& sinceStart) : m_rows(rows), m_sinceStart(sinceStart) {
        qApp->installEventFilter(this);
    }

    QVector<double> refreshes;
    QString query;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_list || event->type() != QEvent::Paint)
            return false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* list = qobject_cast<tarvo::FrmMain*>(w);
            if (list && list->isLoaded() && list->grid()->Rows() == m_rows + 1 &&
                watched == list->grid()->viewport()) {
                m_list = list;
                // Measured once this paint is over.
                QTimer::singleShot(0, this, [this] { firstPainted(); });
            }
        }
        return false;
    }

private:
    int m_rows;
    QElapsedTimer& m_sinceStart;
    tarvo::FrmMain* m_list = nullptr;
    QElapsedTimer m_refresh;

    void firstPainted() {
        bench::report("first_paint_ms", double(m_sinceStart.nsecsElapsed()) / 1e6);
        bench::report("rss_after_load_mb", bench::residentMegabytes());
        auto& s = tarvo::ArchiveSession::current();
        const QString fields = s.oColSet->GetSqlString();
        query = "select " + fields + " from bank" + m_list->GetJoinTables(fields) + " where (1=1)" +
                (m_list->orderBy().isEmpty() ? QString() : " Order By " + m_list->orderBy());
        QTimer::singleShot(0, this, [this] { refreshOnce(); });
    }

    void refreshOnce() {
        m_refresh.start();
        connect(m_list, &tarvo::FrmMain::rowsShown, this, &Driver::refreshed,
                Qt::SingleShotConnection);
        m_list->DataRefresh(QString());
    }

    void refreshed() {
        m_list->repaint();
        refreshes << double(m_refresh.nsecsElapsed()) / 1e6;
        if (refreshes.size() == 1)
            bench::report("rss_after_1_refresh_mb", bench::residentMegabytes());
        if (refreshes.size() == 5)
            bench::report("rss_after_5_refreshes_mb", bench::residentMegabytes());
        if (refreshes.size() < kRefreshes) {
            QTimer::singleShot(0, this, [this] { refreshOnce(); });
            return;
        }
        bench::report("rss_after_10_refreshes_mb", bench::residentMegabytes());
        m_list->close();
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? QString(argv[1]).toInt() : 1000;
    const QString server = argc > 2 ? QString(argv[2]) : QString();
    QTemporaryDir dir;
    const QString dbName =
        bench::accountsDatabase(dir.path(), server, QStringLiteral("tarvo_bench_%1").arg(n), n);

    auto login = bench::logIn(dbName);
    if (!login)
        return 1;

    QElapsedTimer sinceStart;
    sinceStart.start();
    Driver driver(n, sinceStart);
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    component->Show(login, "bank", "NB");
    if (driver.refreshes.size() < kRefreshes) {
        std::fprintf(stderr, "the list never showed its %d rows\n", n);
        return 1;
    }
    bench::report("refresh_first_ms", driver.refreshes.first());
    bench::report("refresh_fifth_ms", driver.refreshes[4]);
    bench::report("refresh_median_ms", bench::median(driver.refreshes));
    bench::report("peak_rss_mb", bench::peakMegabytes());

    QVector<double> shell;
    for (int i = 0; i < 5; ++i)
        shell << (server.isEmpty() ? bench::programMilliseconds("sqlite3", {dbName, driver.query})
                                   : bench::programMilliseconds(
                                         "psql", {"-A", "-t", "-c", driver.query, dbName}));
    bench::report("shell_median_ms", bench::median(shell));
    return 0;
}
