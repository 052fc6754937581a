// The filter of the bank accounts whose 联行号 wants a look before the payments of the month,
// and the branch directory it checks them against.
#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "ErrorHandling.h"
#include "FrmBranchImport.h"
#include "FrmMain.h"
#include "IBranchDirectory.h"
#include "StatusBar.h"
#include "UnionBankCheck.h"

namespace tarvo {

bool FrmMain::isBankAccounts() const {
    return m_ComVar && m_ComVar->m_ArchiveEnName.compare(u"bank", Qt::CaseInsensitive) == 0;
}

void FrmMain::CheckUnionBankNos() {
    ArchiveSession& s = ArchiveSession::current();
    auto directory =
        createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
    const UnionBankCheck check(directory && directory->Present(s.SrvDB));
    const QString shown = check.description();
    m_unionBankCount.reset();
    showFilter(shown);
    DataRefresh(check.condition());
    // The count goes on the list's reading connection once the rows are in, so that it holds
    // neither the list nor the window up.
    whenRead([this, check, shown] { countUnionBankProblems(check, shown); });
}

bool FrmMain::showsUnionBankCheck() const {
    // With or without its counts, the description begins with the filter's name.
    return !m_filterText.isEmpty() &&
           m_filterText.startsWith(UnionBankCheck(false).description());
}

void FrmMain::ImportBranchFile(const QString& path) {
    bool stored = false;
    reportErrors([&] {
        FrmBranchImport preview(this);
        preview.openFile(path);
        preview.exec();
        stored = preview.stored();
    });
    // The filter tells codes the directory knows from those it does not, and a first directory
    // makes it tell them at all.
    if (stored && !m_unloaded && showsUnionBankCheck())
        CheckUnionBankNos();
}

void FrmMain::countUnionBankProblems(const UnionBankCheck& check, const QString& shown) {
    // The reading stopped, failed or gave way to another condition.
    if (m_filterText != shown || m_unloaded)
        return;
    ArchiveSession& s = ArchiveSession::current();
    QString sql = check.countQuery(GetJoinTables(s.oColSet->GetSqlString()), m_ClsFilter);
    const quint64 token = ++m_unionBankToken;
    m_unionBankCount = s.SrvDB->OpenXInBackground(sql, [this, token, check, shown] {
        QMetaObject::invokeMethod(
            this, [this, token, check, shown] { unionBankCounted(token, check, shown); },
            Qt::QueuedConnection);
    });
}

void FrmMain::unionBankCounted(quint64 token, const UnionBankCheck& check, const QString& shown) {
    if (token != m_unionBankToken || !m_unionBankCount)
        return;
    const RowLoadPtr load = std::exchange(m_unionBankCount, nullptr);
    if (load->state() != RowLoad::State::Done || m_filterText != shown)
        return;
    UnionBankCheck::Counts counts{};
    const RecordsetPtr rs = load->rows();
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const int problem = rs->Value(0).toInt();
        if (problem >= 0 && problem < int(counts.size()))
            counts[size_t(problem)] = long(rs->Value(1).toLongLong());
    }
    m_filterText = check.description(&counts);
    // A reading the clerk stopped left the list unfiltered: the status line says so already.
    if (!isReading() && !Stb->PanelText(2).isEmpty())
        ShowFilterState(true);
}

} // namespace tarvo
