// The list's query: select list, joins, condition and order, run and shown.
#include "ArchiveSession.h"
#include "ErrorHandling.h"
#include "FrmMain.h"
#include "Grid.h"
#include "StatusBar.h"

#include <QTimer>

namespace tarvo {

void FrmMain::DataRefresh(const QString& sCon) {
    if (m_reading) {
        // A new condition (another node of the tree) makes the rows being read moot.
        m_pendingRefresh = sCon;
        if (m_load)
            m_load->cancel();
        return;
    }
    m_reading = true;
    QString condition = sCon;
    for (;;) {
        reportErrors([&] { ReadAndShow(condition); });
        if (m_unloaded || !m_pendingRefresh)
            break;
        condition = *std::exchange(m_pendingRefresh, std::nullopt);
    }
    m_pendingRefresh.reset();
    m_reading = false;
    if (auto next = std::exchange(m_afterReading, nullptr))
        QTimer::singleShot(0, this, [this, next = std::move(next)] {
            // A window closed meanwhile has dropped what waited.
            if (!m_unloaded)
                next();
        });
}

void FrmMain::ReadAndShow(const QString& sCon) {
    ArchiveSession& s = ArchiveSession::current();
    const QString cFlds = s.oColSet->GetSqlString();
    QString sql = QStringLiteral("select ") + cFlds + QStringLiteral(" from ") +
                  m_ComVar->m_ArchiveEnName + GetJoinTables(cFlds);
    const bool hasCondition = !sCon.trimmed().isEmpty();
    if (hasCondition)
        sql += QStringLiteral(" where ") + sCon + QStringLiteral(" and ") + m_ClsFilter;
    else
        sql += QStringLiteral(" where ") + m_ClsFilter;
    if (!m_OrderBy.isEmpty())
        sql += QStringLiteral(" Order By ") + m_OrderBy;

    const ReadEnd read = ReadRows(sql);
    if (m_unloaded)
        return;
    const bool stopped = read.state == RowLoad::State::Cancelled;
    if (stopped && m_pendingRefresh) {
        // Stopped for the read of another condition, which comes next and replaces whatever
        // this one showed.
        m_partial = m_partial || read.firstRowsShown;
        return;
    }
    if (read.state == RowLoad::State::Failed) {
        ShowRowCount(Grid->Rows() - 1);
        m_partial = m_partial || read.firstRowsShown;
        // Nothing read means the statement itself was refused; a failure amid the rows is
        // the connection's.
        ShowInfo(read.rowsRead == 0
                     ? s.oPub->GetResString(
                           QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.conditionerror"))
                     : tr("与数据库的连接在读取列表时中断，列表没有读完。\n%1").arg(read.error));
        return;
    }
    if (stopped && !read.firstRowsShown && Grid->Rows() > 1) {
        // A refresh the clerk stopped: the list stays as it was.
        ShowRowCount(Grid->Rows() - 1);
        return;
    }
    const RecordsetPtr rs = read.rs ? read.rs : std::make_shared<Recordset>();
    ShowRowCount(rs->RecordCount());
    if (!hasCondition)
        m_filterText.clear();
    Stb->setPanelText(2, hasCondition ? tr("已过滤：%1").arg(m_filterText) : QString());
    Stb->setPanelLink(2, hasCondition ? tr("清除过滤") : QString());
    Stb->setToolTip(hasCondition ? m_filterText : QString());
    if (hasCondition && rs->RecordCount() == 0 && !stopped)
        ShowInfo(s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.findnothing")));
    // A list read anew starts at its first cell; only where the clerk moved among the first
    // rows of this same read, shown while the rest came, he keeps his place: those rows are
    // the same records.
    const int row = Grid->Row();
    const int top = Grid->TopRow();
    const int col = Grid->Col();
    const bool hadRows = Grid->Rows() > 1;
    FillGrid(rs);
    if (hadRows)
        ReturnFreedMemory();
    if (read.firstRowsShown && Grid->Rows() > 1) {
        Grid->setTopRow(std::min(top, Grid->Rows() - 1));
        Grid->setRow(std::min(row, Grid->Rows() - 1));
        Grid->setCol(col);
    }
    m_partial = stopped;
    if (stopped)
        Stb->setPanelText(3, tr("已停止读取：列出读入的 %Ln 条记录，F9 读取全部", nullptr,
                                int(rs->RecordCount())));
}

void FrmMain::showFilter(const QString& description) {
    m_filterText = description;
}

QString FrmMain::GetJoinTables(const QString& cFlds) const {
    if (m_ComVar->m_ArchiveEnName.toLower() == u"person")
        return QStringLiteral(" LEFT JOIN Department ON Person.cDepCode = Department.cDepCode ");
    QString joins;
    if (m_ComVar->m_ArchiveEnName.toLower() == u"bank") {
        const QString fields = cFlds.toLower();
        if (fields.contains(u"aa_bank.cbankname"))
            joins += QStringLiteral(" Left Join AA_Bank on Bank.cBankCode=AA_Bank.cBankCode ");
        if (fields.contains(u"code.ccode_name"))
            joins += QStringLiteral(" Left Join Code on Bank.cCode=Code.cCode ");
    }
    return joins;
}

} // namespace tarvo
