#pragma once

#include "ComVar.h"

#include <QWidget>

class QLabel;

namespace tarvo {

/// The card window, in which one record of the archive is added or modified.
class FrmZAM : public QWidget {
    Q_OBJECT
public:
    FrmZAM();

    /// Sets the window up for adding (status 1) or modifying (2) the record of a list row.
    void InitData(qint16 status, qint16 tCol, qint32 rowSel, ComVarPtr comVar);
    /// Shows the window modally; returns when it has closed.
    void showModal();

    qint16 status() const { return m_Status; }
    qint16 keyColumn() const { return m_tCol; }
    qint32 rowSel() const { return m_RowSel; }

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    qint16 m_Status = 1;
    qint16 m_tCol = 0;
    qint32 m_RowSel = 0;
    ComVarPtr m_ComVar;
    QLabel* m_caption;
};

} // namespace tarvo
