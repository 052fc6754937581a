#pragma once

#include "ComVar.h"
#include "Recordset.h"
#include "RowLoad.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace tarvo {
class BesideWork;
class ListGridSource;
namespace suite {
class Grid;
class StatusBar;
} // namespace suite

/// Reads a list window's rows beside it and puts them into its grid. A read runs on a
/// connection and a thread of its own; its end comes back to the window's thread as a queued
/// call, so the window stays in its own event loop throughout: it shows the count read so far,
/// an empty grid shows the first rows as soon as they come, and Esc stops the reading.
class ListLoader : public QObject {
    Q_OBJECT
public:
    /// What the loader asks of the window it reads for.
    struct Window {
        /// The statement listing the rows for an extra condition ("" for none); may throw.
        std::function<QString(const QString& condition)> query;
        /// The grid took rs's rows (null: none), keeping them narrowed to the search box.
        std::function<void(const RecordsetPtr& rs)> filled;
        /// A read has ended and its rows are to be shown: the status line says whether they
        /// are filtered.
        std::function<void(bool filtered)> showFilter;
        /// The status line's count of the rows listed.
        std::function<void(long count)> showRowCount;
        /// Runs work while nothing else reads the rows the grid shows (the search index).
        std::function<void(const std::function<void()>& work)> holdRows;
    };

    ListLoader(QWidget& window, suite::Grid& grid, suite::StatusBar& status, Window hooks);
    ~ListLoader() override;

    /// The session's descriptor, which says how amounts are shown.
    void setComVar(ComVarPtr comVar) { m_ComVar = std::move(comVar); }
    /// Starts reading the rows again with the extra condition and returns; rowsShown follows
    /// once they are in the grid. A grid with rows keeps them until the new ones are all in.
    /// Asked while rows are read, it stops that read: one more read, of the last condition
    /// asked, follows it.
    void refresh(const QString& condition);
    /// Rows are being read or put into the grid, or are to be read again right after.
    bool isReading() const { return m_reading; }
    /// The grid lists only the rows read before the clerk stopped the reading.
    bool isPartial() const { return m_partial; }
    /// The rows are on their way from the database: the status line counts them.
    bool isFetching() const { return m_reading && !m_filling; }
    /// Stops the reading (Esc), however early, dropping the command and the refresh that
    /// waited for it.
    void cancel();
    /// The window is closing: the reading stops, and the command that waited for it is dropped.
    void close();
    /// Does a command now, or once the rows being read are all in; the last command asked for
    /// replaces one that waits, and a cancel drops it.
    void afterReading(std::function<void()> work);
    /// Does work now, or once the rows being read (and those read again right after) are in
    /// the grid, however the reading ended. Everything asked for runs, in turn.
    void whenRead(std::function<void()> work);
    /// The fields' ADO types of the rows listed last.
    const QVector<int>& fieldTypes() const { return m_fieldTypes; }

    /// Puts rs's rows into the grid at once.
    void FillGrid(const RecordsetPtr& rs);
    /// Tells the grid's source how to show the special fields of rs.
    void RepairGrid(const RecordsetPtr& rs, qint32 lRstCount, qint16 nFldCount);

Q_SIGNALS:
    /// The grid shows the first rows of a read still under way.
    void firstRowsShown();
    /// The reading has ended and the grid shows what it brought.
    void rowsShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// How one read ended.
    struct ReadEnd {
        RowLoad::State state = RowLoad::State::Failed;
        RecordsetPtr rs;
        int rowsRead = 0;
        QString error;
        /// The stored rows the grid lists, when taken beside the window already.
        QVector<int> order = {};
        bool ordered = false;
    };

    QWidget& m_window;
    suite::Grid& m_grid;
    suite::StatusBar& m_status;
    Window m_hooks;
    ComVarPtr m_ComVar;

    bool m_reading = false;
    bool m_filling = false;
    bool m_closed = false;
    bool m_partial = false;
    /// Asked to stop before the read of this condition started (while the old list went to
    /// its file): it never starts.
    bool m_stopAsked = false;
    /// The condition being read, its statement, and whether the grid shows its first rows.
    QString m_condition;
    QString m_sql;
    bool m_showFirstRows = false;
    bool m_firstRowsShown = false;
    /// The read under way, and the number of the last one started, which its end is told
    /// with: an end told late never ends a later read.
    RowLoadPtr m_load;
    quint64 m_token = 0;
    QTimer m_tick;
    /// The shown list on its way to a file, before the next one is read.
    BesideWork* m_move = nullptr;
    /// The record set whose rows the grid shows, and their fields' types.
    RecordsetPtr m_listRs;
    QVector<int> m_fieldTypes;
    /// The rows a fill is building, until the grid takes them.
    std::shared_ptr<ListGridSource> m_fillSource;
    /// The condition of a refresh asked for while rows were read, to be read right after.
    std::optional<QString> m_pendingRefresh;
    std::function<void()> m_afterReading;
    std::vector<std::function<void()>> m_whenRead;

    void start(const QString& condition);
    /// Moves the rows the grid shows into a file while the next ones are read, when they are
    /// many: the window keeps showing them, and the two lists are never in memory together.
    /// True when the move runs, and the read starts once it has ended.
    bool MoveListOutOfMemory();
    void startRead();
    /// The read numbered token has ended.
    void readEnded(quint64 token);
    void ended(const ReadEnd& end);
    void show(const ReadEnd& end);
    /// Reads what was asked for meanwhile, or ends the reading.
    void readNext();
    void finish();
    void stopRead();
    void showProgress();
    void ShowReadProgress(int rows);
    void ShowFirstRows(const RecordsetPtr& rs);
    /// Puts rs's rows into the grid at once, rows being the stored rows it lists.
    void FillGrid(const RecordsetPtr& rs, QVector<int> rows);
    /// The stored rows of rs the grid lists, in the order its cursor meets them.
    static QVector<int> ShownOrder(Recordset& rs);
    /// Gives the pages of a list let go back to the system, whichever thread read it.
    static void ReturnFreedMemory();
};

} // namespace tarvo
