#pragma once

#include "ComVar.h"
#include "Recordset.h"

#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QAction;
class QLabel;
class QToolBar;

namespace tarvo {
namespace suite {
class CaptionBar;
class KeyHook;
} // namespace suite
class BesideWork;
class CardControl;
class IArchiveList;
class ctlAA_Bank;
class ctlBank;

/// The card window, in which the records of the archive are added and modified one at a time.
/// It walks through the rows of the list window's grid and reads each row's record anew.
class FrmZAM : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool reading READ reading)
public:
    FrmZAM();
    ~FrmZAM() override;

    /// Sets the window up for adding (status 1) or modifying (2) the record of a list row; the
    /// record is in when it returns.
    void InitData(qint16 Status, qint16 tCol, qint32 RowSel, ComVarPtr var);
    /// InitData for the card the list opens: the archive's edit lock is asked for first, and it
    /// and the record are read beside the window, which shows at once, its fields held back
    /// until they are in. A refused lock is shown and closes the card.
    void open(qint16 Status, qint16 tCol, qint32 RowSel, ComVarPtr var);
    /// Whether the card took the edit lock; the caller gives it back from now on, and the
    /// card no longer does as it goes.
    bool takeOverLock() { return std::exchange(m_lockTaken, false); }
    /// A record or the edit lock is being read beside the window.
    bool reading() const;
    /// Shows the window modally; returns when it has closed.
    void showModal();
    /// Reads the record of the current list row and shows it; it is in when this returns.
    void FillAllFields();
    /// Carries out a command key: SaveRs, First, Previous, Next, Last, Exit, History (any case),
    /// and returns once it is done. One given while another still runs (a walk whose list is
    /// read again, or whose record is on its way, say) waits for it, the last such one winning.
    /// Exit while a record is on its way leaves at once.
    void Operating(const QString& key, bool& result);
    /// The card's save XML; bFlag tells whether the card accepted its input.
    void WriteXML(QString& sXml, bool& bFlag);

    qint16 status() const { return m_Status; }
    qint16 keyColumn() const { return m_tCol; }
    qint32 rowSel() const { return m_RowSel; }
    bool added() const { return m_bAdded; }
    CardControl* card() const { return m_Card; }
    QString caption() const;

Q_SIGNALS:
    void closed();
    /// A read beside the window has ended: the record it brought is shown, or the card said
    /// why there is none.
    void recordShown();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    qint16 m_Status = 1;
    qint16 m_tCol = 0;
    qint32 m_RowSel = 0;
    bool m_bAdded = false;
    /// A command runs, or the list reads its rows again; m_heldBack is the key given meanwhile,
    /// and m_replayAsked says that it is to run once they are over.
    bool m_operating = false;
    QString m_heldBack;
    bool m_replayAsked = false;
    bool m_loaded = false;
    bool m_closed = false;
    CardControl* m_Card = nullptr;
    ComVarPtr m_ComVar;
    /// The read of one record by its key, the same for every record the card shows.
    QString m_recordSql;
    /// What the user's keys and buttons ask for runs beside the window; the host's calls
    /// wait for their end.
    bool m_beside = false;
    bool m_lockTaken = false;
    struct Fetched;
    /// The read beside the window under way, and what it has brought so far.
    BesideWork* m_read = nullptr;
    std::shared_ptr<Fetched> m_fetched;
    /// What the read held back, given back at its end.
    QHash<QAction*, bool> m_heldButtons;
    QPointer<QWidget> m_focusBefore;

    QToolBar* Tlb;
    /// The toolbar's buttons by key; they live as long as the window.
    QHash<QString, QAction*> m_buttons;
    QWidget* Frame2;
    suite::CaptionBar* MoxFrmCaptionMgr;
    suite::KeyHook* MoxFrmKeyHook;
    /// Confirms a save, or says why Esc did not leave, for a few seconds below the card.
    QLabel* StatusLine;
    QTimer m_statusClear;
    ctlAA_Bank* ctlAA_Bank1;
    ctlBank* ctlBank1;

    void Form_Load();
    void BuildToolbar();
    void layOut();
    QAction* button(const QString& key) const;
    void setCaption(const char* resourceKey);
    static IArchiveList& listWindow();
    void setUp(qint16 Status, qint16 tCol, qint32 RowSel, ComVarPtr var);
    /// Shows the first record, or the empty card, once the lock (when asked for) is in.
    void showFirst(bool takeLock);
    /// FillAllFields, with what ends a step the user took once its record is in.
    /// Shows the record of the list's row m_RowSel; when it cannot be read the card stays on
    /// rowBefore, whose record it still shows.
    void fillAllFields(std::function<void()> after, int rowBefore);
    /// Sets the walk's buttons for the current row; the key of the record to read, or none.
    std::optional<QString> GetCurrentRecord();
    /// Reads the edit lock (when asked) and the record of the key beside the window, holding
    /// the card back meanwhile; then runs at the end with what came. The host's calls read
    /// here and wait.
    void readBeside(bool takeLock, std::optional<QString> key,
                    std::function<void(const RecordsetPtr&)> then);
    void holdBack();
    void giveBack();
    void readEnded(const Fetched& fetched, const QString& error,
                   const std::function<void(const RecordsetPtr&)>& then, bool waited);
    /// Stops the read under way and waits for its thread; nothing it brought is shown.
    void cancelRead();
    /// Shows the record read, or says why there is none (false: it could not be read).
    bool showRecord(const RecordsetPtr& rs);
    /// A key from the user's keyboard or toolbar.
    void userOperating(const QString& key);
    void NewRecord();
    bool Save();
    bool Navigate(const QString& key);
    /// Operating's work, for a command not held back.
    void Operate(const QString& key, bool& result);
    void CommonEnd(const QString& key, bool& result);
    /// Runs the key held back once the list has read its rows, from the event loop.
    void ReplayHeldBack();
    /// The history of the record the card shows.
    void ShowHistory();
    void showStatus(const QString& text);
    void enableSave();
    void MoxFrmKeyHook_KeyDown(int keyCode, int shift);
};

} // namespace tarvo
