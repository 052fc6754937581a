// What a clerk waits for when a long list of bank accounts goes to paper: from the command that
// opens the print preview to its first painted page, and the PDF export of the whole list,
// both started from the event loop of the shown list; beside them, as the baseline, the list's
// own load of the same rows, and the memory of each. The preview goes on counting its pages
// after the first shows: preview_layout_done_ms is when the count is final.
//   bench_print_preview N [pdf]
// Prints "NAME VALUE" lines; stall = the longest gap between two turns of the event loop.
#include "BenchSupport.h"
#include "ClassRegistry.h"
#include "FrmMain.h"
#include "Grid.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "PrintControl.h"
#include "PrintPreviewDialog.h"
#include "StallMeter.h"
#include "SuiteContext.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

/// Resets the process's peak resident memory, so that the next peak belongs to what follows.
void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

int pdfPages(const QString& path) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished(-1);
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(QString::fromUtf8(info.readAllStandardOutput())).captured(1).toInt();
}

class Driver : public QObject {
public:
    Driver(int rows, bool pdf, QString pdfPath, const QElapsedTimer& sinceShow)
        : m_rows(rows), m_pdf(pdf), m_pdfPath(std::move(pdfPath)), m_sinceShow(sinceShow) {
        qApp->installEventFilter(this);
    }
    bool done = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint)
            return false;
        if (!m_list) {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* list = qobject_cast<tarvo::FrmMain*>(w);
                if (list && list->isLoaded() && list->grid()->Rows() == m_rows + 1 &&
                    watched == list->grid()->viewport()) {
                    m_list = list;
                    bench::report("list_first_load_ms", m_sinceShow.nsecsElapsed() / 1e6);
                    QTimer::singleShot(0, this, [this] { loadAgain(); });
                }
            }
        } else if (m_previewing && watched->objectName() == u"PrnPage") {
            m_previewing = false;
            const double ms = m_command.nsecsElapsed() / 1e6;
            bench::report("preview_first_page_ms", ms);
            bench::report("preview_stall_ms", m_stalls.longest());
            bench::report("preview_rss_mb", bench::residentMegabytes());
            bench::report("preview_peak_mb", bench::peakMegabytes());
            auto* d =
                qobject_cast<tarvo::suite::PrintPreviewDialog*>(QApplication::activeModalWidget());
            if (d && d->counting()) {
                m_stalls.reset();
                connect(d, &tarvo::suite::PrintPreviewDialog::pagesCounted, this,
                        [this, d](int pages) { countDone(d, pages); });
            } else if (d) {
                countDone(d, -1);
            }
        }
        return false;
    }

private:
    int m_rows;
    bool m_pdf;
    QString m_pdfPath;
    const QElapsedTimer& m_sinceShow;
    tarvo::FrmMain* m_list = nullptr;
    bench::StallMeter m_stalls;
    QElapsedTimer m_command;
    QElapsedTimer m_pdfTime;
    bool m_previewing = false;

    /// The baselines: the list's first load (above), and a load of the same rows again into the
    /// shown list, to its painted grid.
    void loadAgain() {
        m_command.start();
        connect(m_list, &tarvo::FrmMain::rowsShown, this, &Driver::loadedAgain,
                Qt::SingleShotConnection);
        m_list->DataRefresh(QString());
    }

    void loadedAgain() {
        m_list->repaint();
        bench::report("list_load_ms", m_command.nsecsElapsed() / 1e6);
        bench::report("list_rss_mb", bench::residentMegabytes());
        QTimer::singleShot(0, this, [this] { preview(); });
    }

    void preview() {
        resetPeak();
        m_previewing = true;
        m_stalls.reset();
        m_command.start();
        afterOutput([this] { m_pdf ? exportPdf() : finish(); });
        m_list->DoCommand(QStringLiteral("Preview"));
    }

    /// The preview's count is final (pages < 0: it was before the first page showed, and
    /// nothing was left to lay out while it was open).
    void countDone(QDialog* d, int pages) {
        bench::report("preview_layout_done_ms", m_command.nsecsElapsed() / 1e6);
        if (pages >= 0)
            bench::report("preview_pages", pages);
        bench::report("preview_layout_stall_ms", pages >= 0 ? m_stalls.longest() : 0.0);
        QTimer::singleShot(0, d, &QDialog::reject);
    }

    void exportPdf() {
        tarvo::suite::setUnattendedExportPath(m_pdfPath);
        tarvo::suite::setUnattended(true);
        const double before = bench::residentMegabytes();
        resetPeak();
        m_stalls.reset();
        m_pdfTime.start();
        afterOutput([this, before] { pdfWritten(before); });
        m_list->DoCommand(QStringLiteral("SaveFile"));
    }

    /// Runs next once the list's output has ended, in the window's event loop.
    void afterOutput(std::function<void()> next) {
        auto* once = new QObject(this);
        connect(m_list, &tarvo::FrmMain::outputEnded, once, [once, next = std::move(next)] {
            once->deleteLater();
            QTimer::singleShot(0, next);
        });
    }

    void pdfWritten(double before) {
        const double seconds = m_pdfTime.nsecsElapsed() / 1e9;
        bench::report("pdf_stall_ms", m_stalls.longest());
        bench::report("pdf_peak_mb", bench::peakMegabytes());
        bench::report("pdf_list_rss_mb", before);
        const int pages = pdfPages(m_pdfPath);
        bench::report("pdf_pages", pages);
        bench::report("pdf_seconds", seconds);
        bench::report("pdf_pages_per_s", pages / seconds);
        finish();
    }

    void finish() {
        done = true;
        m_list->close();
    }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? QString(argv[1]).toInt() : 1000;
    const bool pdf = argc > 2 && QString(argv[2]) == u"pdf";
    QTemporaryDir dir;
    const QString dbName =
        bench::accountsDatabase(dir.path(), QString(), QStringLiteral("tarvo_print_%1").arg(n), n);
    auto login = bench::logIn(dbName);
    if (!login)
        return 1;
    QElapsedTimer sinceShow;
    Driver driver(n, pdf, dir.filePath(QStringLiteral("list.pdf")), sinceShow);
    auto component = tarvo::createObject<tarvo::ITarvoArchive>("TarvoArchive.ITarvoArchive");
    sinceShow.start();
    component->Show(login, "bank", "NB");
    if (!driver.done) {
        std::fprintf(stderr, "the list never showed its %d rows\n", n);
        return 1;
    }
    return 0;
}
