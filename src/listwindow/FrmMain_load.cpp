// Reading the list's rows without holding up the window: the read runs on a connection and a
// thread of its own while the window handles its events, shows its progress and takes Esc.
#include "ArchiveSession.h"
#include "ErrorHandling.h"
#include "EventPump.h"
#include "FrmMain.h"
#include "Grid.h"
#include "ListGridSource.h"
#include "ListQuickSearch.h"
#include "StatusBar.h"

#include <QApplication>
#include <QEventLoop>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryFile>
#include <QTimer>

#include <numeric>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tarvo {

namespace {
/// How often the count of rows read is shown, and the first rows looked for: well within what
/// a clerk takes for "at once".
constexpr int kProgressInterval = 50; // ms
/// A list of more bytes than this goes to a file while the next one is read; a shorter one
/// stays, the file costing more than it saves.
constexpr qsizetype kKeptInMemory = qsizetype(64) << 20;
} // namespace

FrmMain::ReadEnd FrmMain::ReadRows(QString sql) {
    ArchiveSession& s = ArchiveSession::current();
    ReadEnd end;
    // A grid with rows keeps them until the new ones are all in; an empty one fills at once.
    const bool showFirstRows = Grid->Rows() <= 1;
    if (!showFirstRows)
        MoveListOutOfMemory();
    QEventLoop loop;
    m_readLoop = &loop;
    const quint64 token = ++m_readToken;
    // Told on the reading thread; the window hears it in its own thread.
    m_load = s.SrvDB->OpenXInBackground(sql, [this, token] {
        QMetaObject::invokeMethod(this, [this, token] { EndReadWait(token); },
                                  Qt::QueuedConnection);
    });
    QTimer tick;
    connect(&tick, &QTimer::timeout, this, [&] {
        ShowReadProgress(m_load->rowsRead());
        if (showFirstRows && !end.firstRowsShown) {
            if (const RecordsetPtr first = m_load->firstRows()) {
                ShowFirstRows(first);
                end.firstRowsShown = true;
            }
        }
    });
    tick.start(kProgressInterval);
    ShowReadProgress(0);
    qApp->installEventFilter(this);
    loop.exec();
    qApp->removeEventFilter(this);
    m_readLoop = nullptr;
    const RowLoadPtr load = std::exchange(m_load, nullptr);
    if (load->state() == RowLoad::State::Reading) {
        // The application is ending, and its event loops no longer run: the load, let go,
        // waits for its thread once cancelled.
        load->cancel();
        end.state = RowLoad::State::Cancelled;
        return end;
    }
    end.state = load->state();
    end.rs = load->rows();
    end.rowsRead = load->rowsRead();
    end.error = load->error();
    return end;
}

void FrmMain::EndReadWait(quint64 token) {
    if (token == m_readToken && m_readLoop)
        m_readLoop->quit();
}

void FrmMain::MoveListOutOfMemory() {
    if (!m_listRs || m_listRs->cells().bytes() < kKeptInMemory)
        return;
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/tarvo-list-XXXXXX"));
    if (!file->open())
        return;
    ColumnStore& cells = m_listRs->cells();
    // Written on a thread of its own while the window goes on showing the rows.
    bool written = false;
    runAside([&] { written = cells.writeTo(*file); });
    bool moved = false;
    if (written)
        m_quickSearch->whileRowsHeld([&] { moved = cells.readFrom(std::move(file)); });
    if (moved)
        ReturnFreedMemory();
}

void FrmMain::ReturnFreedMemory() {
#ifdef __GLIBC__
    // The freed blocks stay with the allocator arena of the thread that read them, where the
    // next read, on a thread of its own, may never reuse them: give their pages back now.
    malloc_trim(0);
#endif
}

void FrmMain::ShowFirstRows(const RecordsetPtr& rs) {
    const ArchiveSession& s = ArchiveSession::current();
    m_fillSource = std::make_shared<ListGridSource>(rs, s.YesNoText, s.SignFlagText,
                                                    s.AccPropertyText);
    const int n = rs->storedRowCount();
    RepairGrid(rs, n, qint16(rs->FieldCount()));
    QVector<int> rows(n);
    std::iota(rows.begin(), rows.end(), 0);
    Grid->setFixedRows(1);
    Grid->setSource(std::move(m_fillSource), std::move(rows));
    Grid->setRow(1);
    Grid->setCol(1);
    Q_EMIT firstRowsShown();
}

void FrmMain::ShowReadProgress(int rows) {
    Stb->setPanelText(3, tr("正在读取… %Ln 行（Esc 停止）", nullptr, rows));
}

void FrmMain::cancelReading() {
    m_afterReading = nullptr;
    m_pendingRefresh.reset();
    if (m_load)
        m_load->cancel();
}

void FrmMain::afterReading(std::function<void()> work) {
    if (!m_reading) {
        work();
        return;
    }
    // The last thing asked for wins: a clerk who changed his mind meant the later command.
    m_afterReading = std::move(work);
}

bool FrmMain::refusePartialList(const QString& key) {
    const QString k = key.toLower();
    if (!m_partial || (k != u"print" && k != u"preview" && k != u"savefile" && k != u"setup"))
        return false;
    ShowInfo(tr("列表只有读取停止前读入的行。打印和输出只对完整的列表进行，请先刷新（F9）。"));
    return true;
}

bool FrmMain::CancelOnEscape(QObject* watched, QEvent* event) {
    if (!m_load || event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    // The window may stand alone or inside the portal's.
    if (!widget || (widget != this && !isAncestorOf(widget)))
        return false;
    cancelReading();
    return true;
}

} // namespace tarvo
