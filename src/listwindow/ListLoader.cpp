// Reading the list's rows without holding up the window: the read, and the move of the old list
// to a file before it, run on threads of their own and end in a queued call, while the window
// stays in its own event loop, shows the progress and takes Esc.
#include "ListLoader.h"

#include "ArchiveSession.h"
#include "BesideWork.h"
#include "ErrorHandling.h"
#include "Grid.h"
#include "ListGridSource.h"
#include "ListReadFailure.h"
#include "StatusBar.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryFile>
#include <QWidget>

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
/// A list of more rows than this has its order taken beside the window: an order past the
/// allocator's 128 KiB comes as pages new to the process, and the window would wait for the
/// system to hand over every one of them.
constexpr long kOrderedAtOnce = 32768;
} // namespace

ListLoader::ListLoader(QWidget& window, suite::Grid& grid, suite::StatusBar& status,
                       Window hooks)
    : QObject(&window), m_window(window), m_grid(grid), m_status(status),
      m_hooks(std::move(hooks)) {
    m_tick.setInterval(kProgressInterval);
    connect(&m_tick, &QTimer::timeout, this, &ListLoader::showProgress);
}

ListLoader::~ListLoader() {
    if (qApp)
        qApp->removeEventFilter(this);
}

void ListLoader::refresh(const QString& condition) {
    if (m_reading) {
        // A new condition (another node of the tree) makes the rows being read moot.
        m_pendingRefresh = condition;
        stopRead();
        return;
    }
    m_reading = true;
    qApp->installEventFilter(this);
    start(condition);
}

void ListLoader::start(const QString& condition) {
    m_condition = condition;
    m_stopAsked = false;
    m_filling = false;
    m_firstRowsShown = false;
    if (!reportErrors([&] { m_sql = m_hooks.query(condition); })) {
        readNext();
        return;
    }
    // A grid with rows keeps them until the new ones are all in; an empty one fills at once.
    m_showFirstRows = m_grid.Rows() <= 1;
    ShowReadProgress(0);
    if (m_showFirstRows || !MoveListOutOfMemory())
        startRead();
}

bool ListLoader::MoveListOutOfMemory() {
    if (!m_listRs || m_listRs->cells().bytes() < kKeptInMemory)
        return false;
    struct Move {
        RecordsetPtr rs;
        std::unique_ptr<QTemporaryFile> file;
        bool written = false;
    };
    auto move = std::make_shared<Move>();
    move->rs = m_listRs;
    move->file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                  QStringLiteral("/tarvo-list-XXXXXX"));
    if (!move->file->open())
        return false;
    // The work holds what it writes: the window may let go of the list meanwhile.
    m_move = new BesideWork(
        [move](const WorkProgress&) { move->written = move->rs->cells().writeTo(*move->file); },
        this);
    connect(m_move, &BesideWork::ended, this, [this, move] {
        std::exchange(m_move, nullptr)->deleteLater();
        // The search index may be reading the rows that go over to the file.
        bool moved = false;
        if (move->written)
            m_hooks.holdRows([&] { moved = move->rs->cells().readFrom(std::move(move->file)); });
        if (moved)
            ReturnFreedMemory();
        startRead();
    });
    return true;
}

void ListLoader::startRead() {
    if (m_stopAsked || m_closed) {
        // Stopped before the statement started: it never does.
        ended({RowLoad::State::Cancelled, nullptr, 0, {}});
        return;
    }
    const quint64 token = ++m_token;
    const bool started = reportErrors([&] {
        // Told on the reading thread; heard in the window's.
        m_load = ArchiveSession::current().SrvDB->OpenXInBackground(m_sql, [this, token] {
            QMetaObject::invokeMethod(this, [this, token] { readEnded(token); },
                                      Qt::QueuedConnection);
        });
    });
    if (!started) {
        readNext();
        return;
    }
    m_tick.start();
}

void ListLoader::readEnded(quint64 token) {
    if (token != m_token || !m_load)
        return;
    m_tick.stop();
    const RowLoadPtr load = std::exchange(m_load, nullptr);
    ReadEnd end{load->state(), load->rows(), load->rowsRead(), load->error()};
    if (!end.rs || end.rs->RecordCount() <= kOrderedAtOnce) {
        ended(end);
        return;
    }
    // Nothing else holds the rows read yet: the work has them to itself.
    auto taken = std::make_shared<ReadEnd>(std::move(end));
    auto* order = new BesideWork(
        [taken](const WorkProgress&) {
            taken->order = ShownOrder(*taken->rs);
            taken->ordered = true;
        },
        this);
    connect(order, &BesideWork::ended, this, [this, order, taken] {
        order->deleteLater();
        ended(*taken);
    });
}

void ListLoader::ended(const ReadEnd& end) {
    m_filling = true;
    if (!m_closed)
        reportErrors([&] { show(end); });
    readNext();
}

void ListLoader::show(const ReadEnd& end) {
    ArchiveSession& s = ArchiveSession::current();
    const bool stopped = end.state == RowLoad::State::Cancelled;
    if (stopped && m_pendingRefresh) {
        // Stopped for the read of another condition, which comes next and replaces whatever
        // this one showed.
        m_partial = m_partial || m_firstRowsShown;
        return;
    }
    if (end.state == RowLoad::State::Failed) {
        m_hooks.showRowCount(m_grid.Rows() - 1);
        m_partial = m_partial || m_firstRowsShown;
        ShowInfo(listReadFailure(end.rowsRead, end.error));
        return;
    }
    if (stopped && !m_firstRowsShown && m_grid.Rows() > 1) {
        // A refresh the clerk stopped: the list stays as it was.
        m_hooks.showRowCount(m_grid.Rows() - 1);
        return;
    }
    const bool hasCondition = !m_condition.trimmed().isEmpty();
    const RecordsetPtr rs = end.rs ? end.rs : std::make_shared<Recordset>();
    m_hooks.showRowCount(rs->RecordCount());
    m_hooks.showFilter(hasCondition);
    if (hasCondition && rs->RecordCount() == 0 && !stopped)
        ShowInfo(s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.findnothing")));
    // A list read anew starts at its first cell; only where the clerk moved among the first
    // rows of this same read, shown while the rest came, he keeps his place: those rows are
    // the same records.
    const int row = m_grid.Row();
    const int top = m_grid.TopRow();
    const int col = m_grid.Col();
    // The list shown so far goes in a later turn of the window's events, and the allocator's
    // pages after it: neither holds up the rows coming in.
    const bool hadRows = m_grid.Rows() > 1;
    RecordsetPtr shown = m_listRs;
    FillGrid(rs, end.ordered ? end.order : ShownOrder(*rs));
    if (hadRows)
        QTimer::singleShot(0, this, [shown = std::move(shown)]() mutable {
            shown.reset();
            ReturnFreedMemory();
        });
    if (m_firstRowsShown && m_grid.Rows() > 1) {
        m_grid.setTopRow(std::min(top, m_grid.Rows() - 1));
        m_grid.setRow(std::min(row, m_grid.Rows() - 1));
        m_grid.setCol(col);
    }
    m_partial = stopped;
    if (stopped)
        m_status.setPanelText(3, tr("已停止读取：列出读入的 %Ln 条记录，F9 读取全部", nullptr,
                                    int(rs->RecordCount())));
}

void ListLoader::readNext() {
    if (!m_closed && m_pendingRefresh) {
        start(*std::exchange(m_pendingRefresh, std::nullopt));
        return;
    }
    finish();
}

void ListLoader::finish() {
    m_pendingRefresh.reset();
    m_reading = false;
    m_filling = false;
    qApp->removeEventFilter(this);
    std::vector<std::function<void()>> waiting = std::exchange(m_whenRead, {});
    for (auto work = waiting.begin(); work != waiting.end(); ++work) {
        reportErrors(*work);
        if (m_reading) {
            // It started another read: the rest waits for that one.
            m_whenRead.insert(m_whenRead.begin(), std::make_move_iterator(work + 1),
                              std::make_move_iterator(waiting.end()));
            return;
        }
    }
    if (m_closed) {
        m_afterReading = nullptr;
        return;
    }
    if (auto next = std::exchange(m_afterReading, nullptr))
        QTimer::singleShot(0, this, [this, next = std::move(next)] {
            // A window closed meanwhile has dropped what waited.
            if (!m_closed)
                next();
        });
    Q_EMIT rowsShown();
}

void ListLoader::stopRead() {
    m_stopAsked = true;
    if (m_load)
        m_load->cancel();
}

void ListLoader::cancel() {
    m_afterReading = nullptr;
    m_pendingRefresh.reset();
    if (m_reading)
        stopRead();
}

void ListLoader::close() {
    m_closed = true;
    cancel();
}

void ListLoader::afterReading(std::function<void()> work) {
    if (!m_reading) {
        work();
        return;
    }
    // The last thing asked for wins: a clerk who changed his mind meant the later command.
    m_afterReading = std::move(work);
}

void ListLoader::whenRead(std::function<void()> work) {
    if (!m_reading) {
        work();
        return;
    }
    m_whenRead.push_back(std::move(work));
}

void ListLoader::showProgress() {
    if (!m_load)
        return;
    ShowReadProgress(m_load->rowsRead());
    if (m_showFirstRows && !m_firstRowsShown) {
        if (const RecordsetPtr first = m_load->firstRows()) {
            ShowFirstRows(first);
            m_firstRowsShown = true;
        }
    }
}

void ListLoader::ShowReadProgress(int rows) {
    m_status.setPanelText(3, tr("正在读取… %Ln 行（Esc 停止）", nullptr, rows));
}

void ListLoader::ShowFirstRows(const RecordsetPtr& rs) {
    const ArchiveSession& s = ArchiveSession::current();
    m_fillSource = std::make_shared<ListGridSource>(rs, s.YesNoText, s.SignFlagText,
                                                    s.AccPropertyText);
    const int n = rs->storedRowCount();
    RepairGrid(rs, n, qint16(rs->FieldCount()));
    QVector<int> rows(n);
    std::iota(rows.begin(), rows.end(), 0);
    m_grid.setFixedRows(1);
    m_grid.setSource(std::move(m_fillSource), std::move(rows));
    m_grid.setRow(1);
    m_grid.setCol(1);
    Q_EMIT firstRowsShown();
}

void ListLoader::FillGrid(const RecordsetPtr& rs) {
    FillGrid(rs, ShownOrder(*rs));
}

void ListLoader::FillGrid(const RecordsetPtr& rs, QVector<int> rows) {
    m_grid.setRedraw(false);
    const long n = rs->RecordCount();
    const qint16 f = qint16(rs->FieldCount());
    m_fieldTypes.clear();
    for (int j = 0; j < f; ++j)
        m_fieldTypes << rs->FieldAt(j).type;
    m_listRs = n > 0 ? rs : nullptr;
    if (n == 0) {
        m_grid.setSource(nullptr, {});
        m_hooks.filled(nullptr);
        m_grid.setRedraw(true);
        return;
    }
    m_grid.setFixedRows(1);
    const ArchiveSession& s = ArchiveSession::current();
    m_fillSource = std::make_shared<ListGridSource>(rs, s.YesNoText, s.SignFlagText,
                                                    s.AccPropertyText);
    // The rows and their order are in memory already: the grid swaps them in at once, so that
    // no command or key can come between a half-taken list and the grid.
    RepairGrid(rs, qint32(n), qint16(rs->FieldCount()));
    m_grid.setSource(std::move(m_fillSource), std::move(rows));
    m_grid.setRow(1);
    m_grid.setCol(1);
    // A refresh keeps the list narrowed to what the search box holds.
    m_hooks.filled(rs);
    m_grid.setRedraw(true);
}

QVector<int> ListLoader::ShownOrder(Recordset& rs) {
    QVector<int> rows;
    if (rs.Filter().isEmpty()) {
        // A list read anew: its rows as stored, without a call to the cursor per row.
        rows.resize(rs.storedRowCount());
        std::iota(rows.begin(), rows.end(), 0);
        return rows;
    }
    rows.reserve(int(rs.RecordCount()));
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        rows.push_back(rs.currentRow());
    return rows;
}

void ListLoader::RepairGrid(const RecordsetPtr&, qint32, qint16) {
    if (!m_fillSource)
        return;
    m_fillSource->showAsList(ArchiveSession::current().oPub.get(), m_ComVar.get());
}

void ListLoader::ReturnFreedMemory() {
#ifdef __GLIBC__
    // The freed blocks stay with the allocator arena of the thread that read them, where the
    // next read, on a thread of its own, may never reuse them: give their pages back now.
    malloc_trim(0);
#endif
}

bool ListLoader::eventFilter(QObject* watched, QEvent* event) {
    if (!m_reading || m_filling || event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    // The window may stand alone or inside the portal's.
    if (!widget || (widget != &m_window && !m_window.isAncestorOf(widget)))
        return false;
    cancel();
    return true;
}

} // namespace tarvo
