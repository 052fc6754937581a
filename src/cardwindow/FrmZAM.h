#pragma once

#include "ComVar.h"
#include "Recordset.h"

#include <QHash>
#include <QTimer>
#include <QWidget>

class QAction;
class QLabel;
class QToolBar;

namespace tarvo {
namespace suite {
class CaptionBar;
class KeyHook;
} // namespace suite
class CardControl;
class ctlAA_Bank;
class ctlBank;

/// The card window, in which the records of the archive are added and modified one at a time.
/// It walks through the rows of the list window's grid and reads each row's record anew.
class FrmZAM : public QWidget {
    Q_OBJECT
public:
    FrmZAM();
    ~FrmZAM() override;

    /// Sets the window up for adding (status 1) or modifying (2) the record of a list row.
    void InitData(qint16 Status, qint16 tCol, qint32 RowSel, ComVarPtr var);
    /// Shows the window modally; returns when it has closed.
    void showModal();
    /// Reads the record of the current list row and shows it.
    void FillAllFields();
    /// Carries out a command key: SaveRs, First, Previous, Next, Last, Exit, History (any case).
    /// One given while another still runs (a walk whose list is read again, say) waits for it,
    /// the last such one winning.
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
    RecordsetPtr GetCurrentRecord();
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
