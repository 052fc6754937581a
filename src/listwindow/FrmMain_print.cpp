// Printing, preview, export and page set-up of the list.
#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "ComponentApp.h"
#include "ErrorHandling.h"
#include "EventPump.h"
#include "FrmMain.h"
#include "Grid.h"
#include "IPrintControl.h"

#include <QCoreApplication>
#include <QFile>
#include <QScopeGuard>

namespace tarvo {

void FrmMain::PlacePrintControl() {
    Prn = createObject<IPrintControl>(QStringLiteral("PRINTCONTROLLib.PrintControl"));
    if (!Prn)
        return;
    Prn->place(this, [this](const QVariant& first, const QVariant& second) {
        Prn_StyleEvent(first, second);
    });
}

void FrmMain::PrintAll(const QString& key, suite::Grid* grid) {
    ArchiveSession& s = ArchiveSession::current();
    if (!Prn)
        throw ArchiveError(QCoreApplication::translate("tarvo::Messages", "无法创建打印控件"));
    Prn->setVisible(false);
    if (grid->Rows() <= 1) {
        ShowInfo(s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.nodata")));
        return;
    }
    QString helpKey = key;
    s.oPub->HelpHide(ComponentApp(), helpKey, this);
    QString styleXml;
    GetPrintStyle(styleXml, grid);
    QString dataFile;
    WriteData(dataFile, grid);
    // A long list's file takes the file system a while to free: the window repaints meanwhile.
    const auto removeData = qScopeGuard([&] { runAside([&] { QFile::remove(dataFile); }); });
    if (Prn->SetDataStyleXML(dataFile, false, styleXml, true, QStringLiteral("Default")) != 0)
        return;
    const QString k = key.toLower();
    if (k == u"setup") {
        if (Prn->PageSetup() != -1)
            Prn->TriggerEvent(0);
    } else if (k == u"print") {
        Prn->DoPrint();
    } else if (k == u"preview") {
        Prn->SetOwner(Prn->Parent());
        Prn->PrintPreview();
    } else if (k == u"savefile") {
        QString first;
        QString second;
        GetExportColumns(first, second, grid);
        qint32 flags = 0;
        int result = qint32(Prn->ExportToFile(flags, first, second, QString(), QString()));
        s.oPub->PrintMsg(m_ComVar->m_ArchiveEnName, result);
    }
}

void FrmMain::WriteData(QString& dataFile, suite::Grid* grid) {
    ArchiveSession& s = ArchiveSession::current();
    s.oPub->GetPrnDataFile(false, dataFile, QString(), QString(), m_ComVar->m_ArchiveChName,
                           s.oLogin->cacc_id(), s.oLogin->cUserId(), s.oLogin->cUserName(), nullptr,
                           s.SrvDB, grid);
}

void FrmMain::GetPrintStyle(QString& styleXml, suite::Grid* grid) {
    ArchiveSession& s = ArchiveSession::current();
    s.oPub->GetPrnStyleFile(true, QString(), styleXml, m_ComVar->m_ArchiveEnName, s.SrvDB, grid);
}

void FrmMain::GetExportColumns(QString& first, QString& second, suite::Grid* grid) {
    ArchiveSession& s = ArchiveSession::current();
    const QString cFlds = s.oColSet->GetSqlString();
    QString sql = QStringLiteral("select top 0 ") + cFlds + QStringLiteral(" from ") +
                  m_ComVar->m_ArchiveEnName + GetJoinTables(cFlds);
    RecordsetPtr rs = s.SrvDB->OpenX(sql);
    if (!rs)
        rs = std::make_shared<Recordset>();
    s.oPub->GetTypeSize(first, second, rs, grid);
}

void FrmMain::Prn_StyleEvent(const QVariant& first, const QVariant& second) {
    ArchiveSession& s = ArchiveSession::current();
    s.oPub->SavePrnStyle(s.SrvDB, m_ComVar->m_ArchiveEnName, first.toString() + second.toString());
}

} // namespace tarvo
