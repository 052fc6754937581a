// Whether the list window stays responsive while a long list is read: the first load of the
// list from Show() to the first rows painted, then a refresh started from the event loop. For
// each, the longest gap between two turns of the event loop (a 1-ms timer stamps every turn),
// and the process's peak memory after the load and after the refresh.
//   bench_list_load N [SERVER_URL]
// One size per process, so that the peak memory belongs to it. Prints "NAME VALUE" lines.
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "FrmMain.h"
#include "Grid.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "StallMeter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

double msSince(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

/// Watches the list from its Show(): the first paint of a grid holding rows, the end of the
/// load, then one refresh.
class Driver : public QObject {
public:
    Driver(int rows, bench::StallMeter& stalls) : m_rows(rows), m_stalls(stalls) {
        qApp->installEventFilter(this);
    }

    QElapsedTimer sinceShow;
    bool done = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || m_firstRows)
            return false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* list = qobject_cast<tarvo::FrmMain*>(w);
            if (list && list->grid()->Rows() > 1 && watched == list->grid()->viewport()) {
                m_list = list;
                m_firstRows = true;
                // Measured once this paint is over.
                QTimer::singleShot(0, this, [this] {
                    bench::report("first_rows_ms", msSince(sinceShow));
                    waitForLoad();
                });
            }
        }
        return false;
    }

private:
    int m_rows;
    bench::StallMeter& m_stalls;
    tarvo::FrmMain* m_list = nullptr;
    bool m_firstRows = false;
    QElapsedTimer m_refresh;

    void waitForLoad() {
        if (!m_list->isLoaded() || m_list->grid()->Rows() != m_rows + 1) {
            QTimer::singleShot(5, this, [this] { waitForLoad(); });
            return;
        }
        bench::report("load_ms", msSince(sinceShow));
        bench::report("stall_load_ms", m_stalls.longest());
        bench::report("stall_load_ended_ms", m_stalls.longestEnded());
        bench::report("rss_load_mb", bench::peakMegabytes());
        QTimer::singleShot(0, this, [this] { refresh(); });
    }

    void refresh() {
        m_stalls.reset();
        m_refresh.start();
        connect(m_list, &tarvo::FrmMain::rowsShown, this, &Driver::refreshed,
                Qt::SingleShotConnection);
        m_list->DataRefresh(QString());
    }

    void refreshed() {
        bench::report("refresh_ms", msSince(m_refresh));
        bench::report("stall_refresh_ms", m_stalls.longest());
        bench::report("stall_refresh_ended_ms", m_stalls.longestEnded());
        bench::report("rss_refresh_mb", bench::peakMegabytes());
        done = m_list->grid()->Rows() == m_rows + 1;
        m_list->close();
    }
};

} // namespace

int main(int argc, char** argv) {
    bench::WindowBench run(argc, argv, bench::WindowBench::Arguments::RowsFirst, 1000,
                           "bench_list_load [N] [SERVER_URL]");
    const int n = run.rows();
    const QString dbName = run.accountsDatabase(QStringLiteral("tarvo_load_%1").arg(n));

    auto login = bench::logIn(dbName);
    if (!login)
        return 1;
    bench::StallMeter stalls;
    Driver driver(n, stalls);
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    stalls.reset();
    driver.sinceShow.start();
    component->Show(login, "bank", "NB");
    if (!driver.done) {
        std::fprintf(stderr, "the list never showed its %d rows\n", n);
        return 1;
    }
    return 0;
}
