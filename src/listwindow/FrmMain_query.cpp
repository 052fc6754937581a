// The list's query: select list, joins, condition and order; the filter the status line shows.
#include "ArchiveSession.h"
#include "FrmMain.h"
#include "ListLoader.h"
#include "ListQuery.h"
#include "StatusBar.h"

namespace tarvo {

void FrmMain::DataRefresh(const QString& sCon) {
    m_loader->refresh(sCon);
}

QString FrmMain::ListQuery(const QString& sCon) const {
    return listQuery(m_ComVar->m_ArchiveEnName, ArchiveSession::current().oColSet->GetSqlString(),
                     sCon, m_ClsFilter, m_OrderBy);
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
    return listJoinTables(m_ComVar->m_ArchiveEnName, cFlds);
}

} // namespace tarvo
