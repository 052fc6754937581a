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
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvo {
class ListGridSource;
class ListLoader;
class ListQuickSearch;
class OutputBeside;
class UnionBankCheck;
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
    /// Shows the window modally, with no owner window; returns when it has closed. The window
    /// is set up and shown in steps of the modal loop, so that the host's windows keep
    /// answering while it opens; it appears set up, never half-built.
    void showModal();

    /// Starts reading the rows again: sCon is an extra condition (SQL, no "where"), or "" for
    /// none. The rows are read on a connection of their own while the window keeps handling
    /// its events; the call returns at once, and rowsShown follows once they are in the grid.
    /// An empty grid shows the first rows as soon as they come; a grid with rows keeps them
    /// until the new ones are all in. Esc stops the reading: a refresh leaves the rows the grid
    /// had, a grid that had none lists those read so far (see isPartial). Called while rows are
    /// read, it stops that read; the read that was running is followed by one more, of the
    /// last condition asked.
    void DataRefresh(const QString& sCon) override;
    /// Rows are being read or put into the grid, or are to be read again right after;
    /// commands wait for the end.
    bool isReading() const override;
    void whenRead(std::function<void()> work) override;
    /// The grid lists only the rows read before the clerk stopped the reading.
    bool isPartial() const;
    /// Stops the reading of rows (Esc), dropping the commands and refreshes that waited for it.
    void cancelReading();
    /// The joins a select list needs, to stand right after the table name.
    QString GetJoinTables(const QString& cFlds) const;
    void SaveColWidth(suite::Grid* grid);
    /// Puts rs's rows into the grid at once.
    void FillGrid(const RecordsetPtr& rs);
    QVariant FormatGridTxt(const QVariant& value, const QString& sFieldName);
    /// Carries out a command key ("Add", "Refresh" …), compared without regard to case. A
    /// browse-only list ignores Add, Modify and Delete, wherever they come from.
    void DoCommand(const QString& key);
    /// Opens the import preview of a .csv or .xlsx file, under the edit lock as Add does; the
    /// list refreshes when rows were imported.
    void ImportFile(const QString& path);
    /// Opens the preview of a branch directory file (行名行号), which reads and checks it
    /// beside itself; once the directory is stored, the 联行号 filter the list shows counts
    /// again.
    void ImportBranchFile(const QString& path);
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
    /// The window has run its load, first refresh included (the rows are read after the
    /// window shows, so "shown" comes well before that on a long list).
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
    /// A reading of the rows has ended (and any asked for meanwhile): the grid shows what it
    /// brought.
    void rowsShown();
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
    bool m_lookLoaded = false;
    bool m_commandsLoaded = false;
    bool m_loadPrepared = false; ///< the whole set-up went through, so the rows are to be read
    bool m_rowsAsked = false;
    bool m_loadFinished = false;
    bool m_unloaded = false;
    bool bClockOn = false;
    ColumnCollectionPtr m_Cols;
    QString m_OrderBy;
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
    ListQuickSearch* m_quickSearch;
    /// Reads the rows and puts them into the grid.
    ListLoader* m_loader;
    OutputBeside* m_output = nullptr;
    /// The print data file of the output under way, and what the status bar said before it.
    QString m_outputData;
    QString m_statusBeforeOutput;
    /// Counts the accounts of the 联行号 filter per problem, beside the window.
    RowLoadPtr m_unionBankCount;
    quint64 m_unionBankToken = 0;
    /// The edit commands the database refuses this session (lower-case key), with the reason.
    QHash<QString, QString> m_rightRefusals;
    /// The tree is being filled: selection changes are not node clicks.
    bool m_fillingTree = false;

    void BuildMenus();
    QMenu* addMenu(const char* name, const char* caption);
    QAction* addMenuItem(QMenu* menu, const char* name, const char* caption, const QString& key);
    /// Sets a menu item's or button's text in the session language and remembers its source.
    static void setSourceText(QAction* action, const char* source);
    void retranslate();
    /// The window's set-up in two parts, each false when a step failed, which ends the load:
    /// its font and size, then its commands and the user's settings.
    bool Form_LoadLook();
    bool Form_LoadCommands();
    /// Each part runs once, before the window shows or, for a host that shows it, as it shows.
    void loadLook();
    void loadCommands();
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
    /// The list shows the bank accounts, whose 联行号 it can check.
    bool isBankAccounts() const;
    /// Lists the bank accounts whose 联行号 wants a look; the status line counts them per
    /// problem once the list is in.
    void CheckUnionBankNos();
    /// The list shows the 联行号 filter.
    bool showsUnionBankCheck() const;
    /// Counts the filter's accounts per problem while its description is shown.
    void countUnionBankProblems(const UnionBankCheck& check, const QString& shown);
    void unionBankCounted(quint64 token, const UnionBankCheck& check, const QString& shown);
    void LoadTree();
    void Trv_NodeClick(QTreeWidgetItem* node);
    void LoadColumnSettings(suite::Grid* grid);
    /// The statement that lists the rows with the extra condition sCon.
    QString ListQuery(const QString& sCon) const;
    /// The status line says whether the rows are filtered, and by what.
    void ShowFilterState(bool filtered);
    /// Does a command now, or once the rows being read are all in the grid.
    void afterReading(std::function<void()> work);
    /// Whether a command needs the whole list; false with a message when the list is partial.
    bool refusePartialList(const QString& key);
    void ShowRowCount(long count);

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
