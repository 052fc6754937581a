// The list's query: select list, joins, condition and order; the filter the status line shows.
#include "ArchiveSession.h"
#include "FrmMain.h"
#include "ListLoader.h"
#include "StatusBar.h"

namespace tarvo {

void FrmMain::DataRefresh(const QString& sCon) {
    m_loader->refresh(sCon);
}

QString FrmMain::ListQuery(const QString& sCon) const {
    ArchiveSession& s = ArchiveSession::current();
    const QString cFlds = s.oColSet->GetSqlString();
    QString sql = QStringLiteral("select ") + cFlds + QStringLiteral(" from ") +
                  m_ComVar->m_ArchiveEnName + GetJoinTables(cFlds);
    if (!sCon.trimmed().isEmpty())
        sql += QStringLiteral(" where ") + sCon + QStringLiteral(" and ") + m_ClsFilter;
    else
        sql += QStringLiteral(" where ") + m_ClsFilter;
    if (!m_OrderBy.isEmpty())
        sql += QStringLiteral(" Order By ") + m_OrderBy;
    return sql;
}

void FrmMain::ShowFilterState(bool filtered) {
    if (!filtered)
        m_filterText.clear();
    Stb->setPanelText(2, filtered ? tr("已过滤：%1").arg(m_filterText) : QString());
    Stb->setPanelLink(2, filtered ? tr("清除过滤") : QString());
    Stb->setToolTip(filtered ? m_filterText : QString());
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
