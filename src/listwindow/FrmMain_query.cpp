// The list's query: select list, joins, condition and order, run and shown.
#include "ArchiveSession.h"
#include "ErrorHandling.h"
#include "FrmMain.h"
#include "StatusBar.h"

namespace tarvo {

void FrmMain::DataRefresh(const QString& sCon) {
    reportErrors([&] {
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

        const RecordsetPtr rs = s.SrvDB->OpenX(sql);
        if (!rs) {
            ShowInfo(
                s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.conditionerror")));
            return;
        }
        ShowRowCount(rs->RecordCount());
        if (!hasCondition)
            m_filterText.clear();
        Stb->setPanelText(2, hasCondition ? tr("已过滤：%1").arg(m_filterText) : QString());
        Stb->setToolTip(hasCondition ? m_filterText : QString());
        if (hasCondition && rs->RecordCount() == 0)
            ShowInfo(s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.findnothing")));
        FillGrid(rs);
    });
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
