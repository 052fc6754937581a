#include "FrmMain.h"

#include "AccountSettings.h"
#include "ArchiveSession.h"
#include "CaptionBar.h"
#include "ComponentApp.h"
#include "ErrorHandling.h"
#include "Grid.h"
#include "KeyHook.h"
#include "StatusBar.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarvo {

FrmMain::FrmMain()
    : m_menuBar(new QMenuBar(this)), Tlb(new QToolBar(this)), Pic(new QWidget(this)),
      MoxFrmCaptionMgr(new suite::CaptionBar(Pic)), Trv(new QTreeWidget(this)),
      PicSeparate(new QWidget(this)), Grid(new suite::Grid(this)), Stb(new suite::StatusBar(this)),
      MoxFrmKeyHook(new suite::KeyHook(this)) {
    setObjectName(QStringLiteral("FrmMain"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_menuBar->setObjectName(QStringLiteral("MenuBar"));
    Tlb->setObjectName(QStringLiteral("Tlb"));
    Pic->setObjectName(QStringLiteral("Pic"));
    Trv->setObjectName(QStringLiteral("Trv"));
    PicSeparate->setObjectName(QStringLiteral("PicSeparate"));
    auto* strip = new QVBoxLayout(Pic);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->addWidget(MoxFrmCaptionMgr);
}

FrmMain::~FrmMain() = default;

void FrmMain::Init(ComVarPtr comVar) { m_ComVar = std::move(comVar); }

void FrmMain::showModal() {
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &FrmMain::unloaded, &loop, &QEventLoop::quit);
    show();
    if (!m_unloaded)
        loop.exec();
}

void FrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
}

void FrmMain::Form_Load() {
    ArchiveSession& s = ArchiveSession::current();
    // Each step that fails shows its error and ends the load; the window still opens.
    reportErrors([&] {
        s.oPub->FrmUnitefont(this);
        s.oPub->FormLayout(this, QStringLiteral("TARVOARCHIVE"));
        BuildListToolbar();
        ApplyLayoutMode();
        s.oPub->FrmLoadInit(this, m_ComVar->m_ArchiveChName, s.oLogin, s.SrvDB);
        s.oPub->HelpX(m_ComVar->m_ArchiveEnName, this, s.oLogin, ComponentApp(), false);
        LoadAccountSettings(*m_ComVar);
        s.oPub->hook(this);
    });
    Form_Resize();
}

void FrmMain::BuildListToolbar() {
    reportErrors([&] {
        ArchiveSession::current().oPub->SetTlb(Tlb);
        MoxFrmCaptionMgr->setCaption(m_ComVar->m_ArchiveChName);
    });
}

void FrmMain::ApplyLayoutMode() {
    skipErrors([&] {
        Trv->setGeometry(0, Trv->y(), 0, Trv->height());
        Trv->hide();
    });
    skipErrors([&] {
        PicSeparate->setGeometry(0, PicSeparate->y(), 0, PicSeparate->height());
        PicSeparate->hide();
    });
}

void FrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_loaded)
        Form_Resize();
}

void FrmMain::Form_Resize() {
    ArchiveSession& s = ArchiveSession::current();
    if (s.ListWindow && s.ListWindow->isMinimized())
        return;
    skipErrors([&] {
        if (s.oPub)
            s.oPub->frmResizeNew(this);
    });
    // The grid overlaps the strip above it by one pixel.
    const int top = Pic->y() + Pic->height() - 1;
    const int stbHeight = Stb->isVisible() ? Stb->height() : 0;
    const int height = std::max(0, this->height() - stbHeight - top);
    Trv->setGeometry(Trv->x(), top, Trv->width(), height);
    const int left = PicSeparate->x() + PicSeparate->width();
    Grid->setGeometry(left, top, width() - left, height);
}

void FrmMain::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    Form_Unload();
}

void FrmMain::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    ArchiveSession& s = ArchiveSession::current();
    skipErrors([&] {
        if (s.oPub) {
            s.oPub->Unhook(this);
            s.oPub->FrmUnLoad();
        }
    });
    Q_EMIT unloaded();
}

} // namespace tarvo
