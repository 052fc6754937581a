#include "FrmZAM.h"

#include "ArchiveSession.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvo {

FrmZAM::FrmZAM() : m_caption(new QLabel(this)) {
    setObjectName(QStringLiteral("FrmZAM"));
    m_caption->setObjectName(QStringLiteral("MoxFrmCaptionMgr"));
    auto* exit = new QPushButton(QStringLiteral("退出"), this);
    exit->setObjectName(QStringLiteral("Exit"));
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addStretch();
    layout->addWidget(exit, 0, Qt::AlignRight);
    resize(560, 320);
}

void FrmZAM::InitData(qint16 status, qint16 tCol, qint32 rowSel, ComVarPtr comVar) {
    m_Status = status;
    m_tCol = tCol;
    m_RowSel = rowSel;
    m_ComVar = std::move(comVar);
    ArchiveSession& s = ArchiveSession::current();
    s.ResParams = {m_ComVar->m_ArchiveChName};
    const QString key = status == 1 ? QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.addarch")
                                    : QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.modifyarch");
    const QString caption = s.oPub->GetResFormatString(key, s.ResParams);
    m_caption->setText(caption);
    setWindowTitle(caption);
}

void FrmZAM::showModal() {
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &FrmZAM::closed, &loop, &QEventLoop::quit);
    show();
    loop.exec();
}

void FrmZAM::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

} // namespace tarvo
