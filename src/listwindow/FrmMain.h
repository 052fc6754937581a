#pragma once

#include "ColumnCollection.h"
#include "ComVar.h"
#include "IArchiveList.h"
#include "IListWindow.h"
#include "IPrintControl.h"
#include "Recordset.h"
#include "RowLoad.h"

#include <QHash>
#include <QIcon>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QElapsedTimer;
class QEventLoop;
class QMenu;
class QMenuBar;
class QToolBar;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvo {
class ListGridSource;
class OutputBeside;
class QuickSearchEdit;
class QuickSearchIndex;
namespace suite {
class CaptionBar;
class Grid;
class KeyHook;
class PopupMenu;
class StatusBar;
} // namespace suite

/// The list window of an archive: its records in a grid, with toolbar, menus and keys. Every
/// menu item, toolbar button, key and double-click becomes a command key for DoCommand.
class FrmMain : public QWidget, public IListWindow, public IArchiveList {
    Q_OBJECT
public:
    FrmMain();
    ~FrmMain() override;

    /// Hands the window the session's descriptor before it loads.
    void Init(ComVarPtr comVar);
    /// Shows the window modally, with no owner window; returns when it has closed.
    void showModal();

    /// Reads the rows again: sCon is an extra condition (SQL, no "where"), or "" for none. The
    /// rows are read on a connection of their own while the window keeps handling its events;
    /// the call returns once they are in the grid. An empty grid shows the first rows as soon
    /// as they come; a grid with rows keeps them until the new ones are all in. Esc stops the
    /// reading: a refresh leaves the rows the grid had, a grid that had none lists those read
    /// so far (see isPartial). Called while rows are read, it stops that read and returns at
    /// once; the read that was running is followed by one more, of the last condition asked.
    void DataRefresh(const QString& sCon) override;
    /// Rows are being read or put into the grid, or are to be read again right after;
    /// commands wait for the end.
    bool isReading() const { return m_reading; }
    /// The grid lists only the rows read before the clerk stopped the reading.
    bool isPartial() const { return m_partial; }
    /// Stops the reading of rows (Esc), dropping the commands and refreshes that waited for it.
    void cancelReading();
    /// The joins a select list needs, to stand right after the table name.
    QString GetJoinTables(const QString& cFlds) const;
    void SaveColWidth(suite::Grid* grid);
    void FillGrid(const RecordsetPtr& rs);
    void RepairGrid(const RecordsetPtr& rs, qint32 lRstCount, qint16 nFldCount);
    QVariant FormatGridTxt(const QVariant& value, const QString& sFieldName);
    /// Carries out a command key ("Add", "Refresh" …), compared without regard to case. A
    /// browse-only list ignores Add, Modify and Delete, wherever they come from.
    void DoCommand(const QString& key);
    /// Opens the import preview of a .csv or .xlsx file, under the edit lock as Add does; the
    /// list refreshes when rows were imported.
    void ImportFile(const QString& path);
    /// Prints, previews, exports or sets up the page; the print data, the pages and the file
    /// are made beside the window, which meanwhile takes no input but Esc (which stops them)
    /// and says how far they got: the call returns before they are done (see isPrinting).
    void PrintAll(const QString& key, suite::Grid* grid);
    /// The rows of the grid as the print control takes them.
    void WriteData(QString& dataFile, suite::Grid* grid, const WorkProgress& progress = {});
    /// A print, preview, export or page set-up is under way; commands wait for its end.
    bool isPrinting() const;

    /// Always part of the list's condition; on a list with a tree, the chosen node's.
    QString m_ClsFilter;
    /// The user's filter in words while the list shows it; "" for the whole archive.
    QString m_filterText;
    /// Grid column of the key field; 0 when the key field is not shown.
    qint32 m_KeyCol = 0;
    /// Key of the record the card window saved last.
    QString m_KeyVal;

    ComVarPtr comVar() const { return m_ComVar; }
    /// The window has run its load, first refresh included (the grid fill lets events in
    /// every 200 rows, so "shown" comes well before that on a long list).
    bool isLoaded() const { return m_loadFinished; }
    suite::Grid* grid() const override { return Grid; }
    QWidget* listWidget() override { return this; }
    void setSavedKey(const QString& key) override { m_KeyVal = key; }
    IPrintControl* printControl() const { return Prn.get(); }
    const QString& orderBy() const { return m_OrderBy; }
    QVector<ListField> listFields() const override;
    QString archiveName() const override;
    QString currentField() const override;
    void showFilter(const QString& description) override;
    QString filterShown() const override { return m_filterText; }

Q_SIGNALS:
    void unloaded();
    /// The grid shows the first rows of a read still under way.
    void firstRowsShown();
    /// A print, preview, export or page set-up has ended, however it did.
    void outputEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ComVarPtr m_ComVar;
    bool m_loaded = false;
    bool m_loadFinished = false;
    bool m_unloaded = false;
    bool bClockOn = false;
    ColumnCollectionPtr m_Cols;
    QString m_OrderBy;
    QVector<int> m_fieldTypes;
    /// The rows a fill is building, until the grid takes them.
    std::shared_ptr<ListGridSource> m_fillSource;
    QList<QPair<QString, QIcon>> ImageList1;

    QMenuBar* m_menuBar;
    QToolBar* Tlb;
    QWidget* Pic;
    suite::CaptionBar* MoxFrmCaptionMgr;
    QTreeWidget* Trv;
    QWidget* PicSeparate;
    suite::Grid* Grid;
    suite::StatusBar* Stb;
    suite::KeyHook* MoxFrmKeyHook;
    suite::PopupMenu* PopMenuMgr;
    QMenu* mOrder;
    PrintControlPtr Prn;
    OutputBeside* m_output = nullptr;
    /// The print data file of the output under way, and what the status bar said before it.
    QString m_outputData;
    QString m_statusBeforeOutput;
    QuickSearchEdit* txtQuickSearch = nullptr;
    /// The record set of the rows shown, and what the quick search knows of it: worked out
    /// when the search is first used after a load, not at every refresh.
    RecordsetPtr m_shownRs;
    std::unique_ptr<QuickSearchIndex> m_searchIndex;
    /// The text the rows are narrowed by (small letters).
    QString m_searchedText;
    /// Per text searched since the load, per stored row its verdict: taking a letter back
    /// costs nothing, and a longer text looks only at the rows of the longest start it has.
    QHash<QString, std::shared_ptr<std::vector<char>>> m_searchResults;
    /// The verdicts of the text the rows are narrowed by (as far as they are searched), and
    /// those of the start of it they narrow, if any.
    std::shared_ptr<std::vector<char>> m_searchMatches;
    std::shared_ptr<const std::vector<char>> m_searchWithin;
    /// Reads the index of a long list a slice at a time between the window's events.
    QTimer* m_searchSlices = nullptr;
    int m_slicesSinceShown = 0;
    /// The record set whose rows the grid shows.
    RecordsetPtr m_listRs;
    /// The read under way, the event loop that waits for it, and the number of the last read
    /// started, which its end is told with: an end told late never ends a later read's wait.
    RowLoadPtr m_load;
    QEventLoop* m_readLoop = nullptr;
    quint64 m_readToken = 0;
    bool m_reading = false;
    /// The edit commands the database refuses this session (lower-case key), with the reason.
    QHash<QString, QString> m_rightRefusals;
    bool m_partial = false;
    /// The condition of a refresh asked for while rows were read, to be read right after.
    std::optional<QString> m_pendingRefresh;
    /// What was asked for while rows were read, to be done once they are all in.
    std::function<void()> m_afterReading;
    /// The tree is being filled: selection changes are not node clicks.
    bool m_fillingTree = false;

    void BuildMenus();
    QMenu* addMenu(const char* name, const char* caption);
    QAction* addMenuItem(QMenu* menu, const char* name, const char* caption, const QString& key);
    /// Sets a menu item's or button's text in the session language and remembers its source.
    static void setSourceText(QAction* action, const char* source);
    void retranslate();
    /// Sets the window up; false when a step failed, which ends the load.
    bool Form_Load();
    /// Reads the rows (or the tree, which reads them) and starts taking the keys.
    void Form_LoadRows();
    void Form_Resize();
    void Form_Unload();
    void BuildListToolbar();
    void ApplyLayoutMode();
    void HideEditCommands();
    /// Asks the database what this session may do to the archive's records and disables, with
    /// the reason, each command it may not use; a session that may change nothing says so in
    /// the status bar.
    void ApplyRights();
    /// Why the session may not run the command (lower-case key); empty when it may.
    QString refusedByRights(const QString& key) const;
    void SetFixedFilter();
    void LoadTree();
    void Trv_NodeClick(QTreeWidgetItem* node);
    void LoadColumnSettings(suite::Grid* grid);
    /// How a read of the list's rows ended.
    struct ReadEnd {
        RowLoad::State state = RowLoad::State::Failed;
        RecordsetPtr rs;
        int rowsRead = 0;
        QString error;
        /// The grid shows the first rows of this read.
        bool firstRowsShown = false;
    };
    /// Reads the rows of the list with the extra condition sCon and shows them.
    void ReadAndShow(const QString& sCon);
    /// Reads sql's rows in the background, handling the window's events meanwhile.
    ReadEnd ReadRows(QString sql);
    /// The read numbered token has ended: its wait ends.
    void EndReadWait(quint64 token);
    void ShowFirstRows(const RecordsetPtr& rs);
    /// Moves the rows the grid shows into a file while the next ones are read, when they are
    /// many: the window keeps showing them, and the two lists are never in memory together.
    void MoveListOutOfMemory();
    /// Gives the pages of a list let go back to the system, whichever thread read it.
    void ReturnFreedMemory();
    void ShowReadProgress(int rows);
    /// Does work now, or once the rows being read are all in the grid.
    void afterReading(std::function<void()> work);
    /// Whether a command needs the whole list; false with a message when the list is partial.
    bool refusePartialList(const QString& key);
    /// Esc pressed in this window while rows are read: the read stops.
    bool CancelOnEscape(QObject* watched, QEvent* event);
    void ShowRowCount(long count);

    void PlaceQuickSearch();
    /// Places the search box at the right end of the toolbar's row and gives the toolbar the
    /// rest of the row.
    void PlaceQuickSearchBox();
    void retranslateQuickSearch();
    /// Starts the index when there is none: a short list is read whole, a long one a slice at
    /// a time from then on, searched as far as it is read.
    bool EnsureSearchIndex();
    /// Reads the index on until the slice that clock started is over (half of it while a text
    /// is searched, which takes the rest); true once it holds every row.
    bool ReadSearchSlice(const QElapsedTimer& clock);
    /// Searches rowsAtLeast more rows for the text typed, then on until the slice is over;
    /// true once every row read into the index is searched.
    bool SearchFurther(int rowsAtLeast, const QElapsedTimer& clock);
    /// Reads and searches on between the window's events while anything is left, saying how
    /// far it is in the status bar.
    void ContinueSearchSlices();
    void StopSearchSlices();
    /// Narrows the grid to the rows found.
    void ShowSearchMatches();
    /// A fill has put rs's rows in the grid (rs null: none).
    void ForgetSearchIndex(const RecordsetPtr& rs);
    /// Narrows the grid to the rows matching the search box, or shows them all again.
    void ApplyQuickSearch();
    /// A record just saved that the search box hides: the box is emptied, so that the clerk
    /// sees the record and the list can stand on it.
    void RevealQuickSearchRow(const QString& key);

    void PlacePrintControl();
    /// What the output needs once the print data is written; true when it goes on beside the
    /// window.
    bool PrintData(const QString& key, suite::Grid* grid, QString& styleXml, QString& dataFile);
    /// Makes the print or file begun beside the window; said() gets the command's result.
    void RunOutput(const QString& doing, std::function<void(int)> said);
    /// Lets go of the print data and ends the output.
    void FinishOutput();
    /// The window closes: the output under way stops at once.
    void StopOutput();
    void GetPrintStyle(QString& styleXml, suite::Grid* grid);
    void GetExportColumns(QString& first, QString& second, suite::Grid* grid);
    void Prn_StyleEvent(const QVariant& first, const QVariant& second);

    void OpenCard(qint16 status);
    void DeleteRecord();
    void MoxFrmKeyHook_KeyDown(int keyCode, int shift);
    void Grid_DblClick();
    void Grid_MouseUp(int button, int shift, float x, float y);
    void PopMenuMgr_Click(const QString& item);
    /// A click on a column's header sorts by it, as the popup menu does: ascending, and the
    /// other way when it is sorted ascending already.
    void Grid_HeaderClick(int col);
    void Stb_Click();
    void PicSeparate_Mouse(int phase, QMouseEvent* event);
};

} // namespace tarvo
