// Printing, preview, export and page set-up of the list. The long parts (the print data, the
// pages, the file) run beside the window, one after the other, while it answers.
#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "ComponentApp.h"
#include "ErrorHandling.h"
#include "FrmMain.h"
#include "Grid.h"
#include "IPrintControl.h"
#include "ListQuery.h"
#include "OutputBeside.h"
#include "StatusBar.h"

#include <QCoreApplication>
#include <QFile>

namespace tarvo {

void FrmMain::PlacePrintControl() {
    Prn = createObject<IPrintControl>(QStringLiteral("PRINTCONTROLLib.PrintControl"));
    if (!Prn)
        return;
    Prn->place(this, [this](const QVariant& first, const QVariant& second) {
        Prn_StyleEvent(first, second);
    });
    m_output = new OutputBeside(this);
    connect(m_output, &OutputBeside::ended, this, [this] {
        Stb->setPanelText(3, m_statusBeforeOutput);
        Q_EMIT outputEnded();
    });
}

bool FrmMain::isPrinting() const {
    return m_output && m_output->busy();
}

void FrmMain::PrintAll(const QString& key, suite::Grid* grid) {
    ArchiveSession& s = ArchiveSession::current();
    if (!Prn)
        throw ArchiveError(QCoreApplication::translate("tarvo::Messages", "无法创建打印控件"));
    if (isPrinting())
        return;
    Prn->setVisible(false);
    if (grid->Rows() <= 1) {
        ShowInfo(s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.nodata")));
        return;
    }
    QString helpKey = key;
    s.oPub->HelpHide(ComponentApp(), helpKey, this);
    auto styleXml = std::make_shared<QString>();
    GetPrintStyle(*styleXml, grid);
    auto dataFile = std::make_shared<QString>();
    m_statusBeforeOutput = Stb->PanelText(3);
    m_output->run(
        [this, dataFile, grid](const WorkProgress& progress) {
            WriteData(*dataFile, grid, progress);
        },
        [this](qint64 rows) {
            Stb->setPanelText(3, tr("正在准备打印数据… %Ln 行（Esc 停止）", nullptr,
                                    int(std::max<qint64>(rows, 0))));
        },
        [this, key, grid, styleXml, dataFile](bool stopped, const QString& error) {
            m_outputData = *dataFile;
            bool beside = false;
            if (!stopped && error.isEmpty() && !m_outputData.isEmpty())
                reportErrors([&] { beside = PrintData(key, grid, *styleXml, m_outputData); });
            else if (!error.isEmpty())
                ShowInfo(error);
            if (!beside)
                FinishOutput();
        });
}

bool FrmMain::PrintData(const QString& key, suite::Grid* grid, QString& styleXml,
                        QString& dataFile) {
    if (Prn->SetDataStyleXML(dataFile, false, styleXml, true, QStringLiteral("Default")) != 0)
        return false;
    const QString k = key.toLower();
    if (k == u"setup") {
        if (Prn->PageSetup() != -1)
            Prn->TriggerEvent(0);
    } else if (k == u"print") {
        if (Prn->BeginPrint(Prn->Parent()))
            return false;
        RunOutput(tr("正在打印…（Esc 停止）"), [](int) {});
        return true;
    } else if (k == u"preview") {
        Prn->SetOwner(Prn->Parent());
        Prn->PrintPreview();
    } else if (k == u"savefile") {
        QString first;
        QString second;
        GetExportColumns(first, second, grid);
        qint32 flags = 0;
        if (const auto result = Prn->BeginExport(flags, first, second, QString(), QString())) {
            int said = *result;
            ArchiveSession::current().oPub->PrintMsg(m_ComVar->m_ArchiveEnName, said);
            return false;
        }
        RunOutput(tr("正在输出…（Esc 停止）"), [this](int result) {
            ArchiveSession::current().oPub->PrintMsg(m_ComVar->m_ArchiveEnName, result);
        });
        return true;
    }
    return false;
}

void FrmMain::RunOutput(const QString& doing, std::function<void(int)> said) {
    m_output->run([prn = Prn](const WorkProgress& progress) { prn->RunOutput(progress); },
                  [this, doing](qint64) { Stb->setPanelText(3, doing); },
                  [this, said = std::move(said)](bool, const QString& error) {
                      const int result = Prn->EndOutput();
                      if (!error.isEmpty())
                          ShowInfo(error);
                      else
                          reportErrors([&] { said(result); });
                      FinishOutput();
                  });
}

void FrmMain::FinishOutput() {
    const QString dataFile = std::exchange(m_outputData, QString());
    if (dataFile.isEmpty()) {
        m_output->end();
        return;
    }
    // A long list's file takes the file system a while to free: not in the window's thread.
    m_output->run([dataFile](const WorkProgress&) { QFile::remove(dataFile); }, [](qint64) {},
                  [this](bool, const QString&) { m_output->end(); });
}

void FrmMain::StopOutput() {
    if (!isPrinting())
        return;
    m_output->stopAndWait();
    if (!m_outputData.isEmpty())
        QFile::remove(std::exchange(m_outputData, QString()));
    m_output->end();
}

void FrmMain::WriteData(QString& dataFile, suite::Grid* grid, const WorkProgress& progress) {
    ArchiveSession& s = ArchiveSession::current();
    s.oPub->GetPrnDataFile(false, dataFile, QString(), QString(), m_ComVar->m_ArchiveChName,
                           s.oLogin->cacc_id(), s.oLogin->cUserId(), s.oLogin->cUserName(), nullptr,
                           s.SrvDB, grid, progress);
}

void FrmMain::GetPrintStyle(QString& styleXml, suite::Grid* grid) {
    ArchiveSession& s = ArchiveSession::current();
    s.oPub->GetPrnStyleFile(true, QString(), styleXml, m_ComVar->m_ArchiveEnName, s.SrvDB, grid);
}

void FrmMain::GetExportColumns(QString& first, QString& second, suite::Grid* grid) {
    ArchiveSession& s = ArchiveSession::current();
    QString sql = listColumnsQuery(m_ComVar->m_ArchiveEnName, s.oColSet->GetSqlString());
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
