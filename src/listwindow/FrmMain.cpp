#include "FrmMain.h"

#include "AccountSettings.h"
#include "ArchiveSession.h"
#include "CaptionBar.h"
#include "ComponentApp.h"
#include "ErrorHandling.h"
#include "Grid.h"
#include "KeyHook.h"
#include "ListLoader.h"
#include "ListQuery.h"
#include "ListQuickSearch.h"
#include "PopupMenu.h"
#include "Resources.h"
#include "StatusBar.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarvo {

namespace {

struct Picture {
    const char* key;
    int resource;
    PictureKind kind;
};
// The pictures of the list window, in the order of their image indices (1-based).
const Picture kPictures[] = {
    {"pAdd", 119, PictureKind::Bitmap},    {"pDelete", 130, PictureKind::Bitmap},
    {"pEdit", 129, PictureKind::Bitmap},   {"pDefine", 104, PictureKind::Icon},
    {"pExit", 120, PictureKind::Bitmap},   {"pFind", 106, PictureKind::Bitmap},
    {"pPrivous", 107, PictureKind::Icon},  {"pNext", 108, PictureKind::Icon},
    {"pLast", 109, PictureKind::Icon},     {"pFirst", 110, PictureKind::Icon},
    {"ppfind", 103, PictureKind::Bitmap},  {"pplocation", 121, PictureKind::Bitmap},
    {"ppprint", 105, PictureKind::Bitmap}, {"pphelp", 107, PictureKind::Bitmap},
    {"Ppaint", 114, PictureKind::Bitmap},  {"Ppre", 123, PictureKind::Bitmap},
    {"Pref", 124, PictureKind::Bitmap},    {"pout", 125, PictureKind::Bitmap},
    {"psetup", 128, PictureKind::Bitmap},  {"pset", 127, PictureKind::Bitmap},
    {"NodeP", 137, PictureKind::Bitmap},   {"NodeL", 138, PictureKind::Bitmap},
    {"Unite", 122, PictureKind::Bitmap},   {"pHistory", 135, PictureKind::Bitmap},
    {"pImport", 136, PictureKind::Bitmap},
};

struct Button {
    const char* key; ///< null for a separator
    int picture;     ///< image index
    const char* text;
};
// The toolbar by position.
const Button kButtons[] = {
    {"SetUp", 19, QT_TRANSLATE_NOOP("tarvo::FrmMain", "设置")},
    {"Print", 13, QT_TRANSLATE_NOOP("tarvo::FrmMain", "打印")},
    {"Preview", 16, QT_TRANSLATE_NOOP("tarvo::FrmMain", "预览")},
    {"SaveFile", 18, QT_TRANSLATE_NOOP("tarvo::FrmMain", "输出")},
    {nullptr, 0, nullptr},
    {"Add", 1, QT_TRANSLATE_NOOP("tarvo::FrmMain", "增加")},
    {"Modify", 3, QT_TRANSLATE_NOOP("tarvo::FrmMain", "修改")},
    {"Delete", 2, QT_TRANSLATE_NOOP("tarvo::FrmMain", "删除")},
    {nullptr, 0, nullptr},
    {"Filter", 15, QT_TRANSLATE_NOOP("tarvo::FrmMain", "过滤")},
    {"Pos", 12, QT_TRANSLATE_NOOP("tarvo::FrmMain", "定位")},
    {"Refresh", 17, QT_TRANSLATE_NOOP("tarvo::FrmMain", "刷新")},
    {nullptr, 0, nullptr},
    {"FieldSet", 20, QT_TRANSLATE_NOOP("tarvo::FrmMain", "栏目")},
    {nullptr, 0, nullptr},
    {"Help", 14, QT_TRANSLATE_NOOP("tarvo::FrmMain", "帮助")},
    {"Exit", 5, QT_TRANSLATE_NOOP("tarvo::FrmMain", "退出")},
    {nullptr, 0, nullptr},
    {"History", 24, QT_TRANSLATE_NOOP("tarvo::FrmMain", "修改记录")},
    {"Import", 25, QT_TRANSLATE_NOOP("tarvo::FrmMain", "导入")},
};

} // namespace

FrmMain::FrmMain()
    : m_menuBar(new QMenuBar(this)), Tlb(new QToolBar(this)), Pic(new QWidget(this)),
      MoxFrmCaptionMgr(new suite::CaptionBar(Pic)), Trv(new QTreeWidget(this)),
      PicSeparate(new QWidget(this)), Grid(new suite::Grid(this)), Stb(new suite::StatusBar(this)),
      MoxFrmKeyHook(new suite::KeyHook(this)), PopMenuMgr(new suite::PopupMenu(this)),
      mOrder(nullptr),
      m_quickSearch(new ListQuickSearch(this, Tlb, Grid, Stb,
                                        [this] { ShowRowCount(Grid->Rows() - 1); })) {
    m_loader = new ListLoader(
        *this, *Grid, *Stb,
        {[this](const QString& sCon) { return ListQuery(sCon); },
         [this](const RecordsetPtr& rs) { m_quickSearch->rowsShown(rs, m_ComVar->m_KeyFldName); },
         [this](bool filtered) { ShowFilterState(filtered); },
         [this](long count) { ShowRowCount(count); },
         [this](const std::function<void()>& work) { m_quickSearch->whileRowsHeld(work); }});
    connect(m_loader, &ListLoader::firstRowsShown, this, &FrmMain::firstRowsShown);
    connect(m_loader, &ListLoader::rowsShown, this, &FrmMain::rowsShown);
    setObjectName(QStringLiteral("FrmMain"));
    m_menuBar->setObjectName(QStringLiteral("MenuBar"));
    Tlb->setObjectName(QStringLiteral("Tlb"));
    Pic->setObjectName(QStringLiteral("Pic"));
    Trv->setObjectName(QStringLiteral("Trv"));
    PicSeparate->setObjectName(QStringLiteral("PicSeparate"));
    PicSeparate->installEventFilter(this);
    auto* strip = new QVBoxLayout(Pic);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->addWidget(MoxFrmCaptionMgr);
    BuildMenus();
    PlacePrintControl();

    connect(Tlb, &QToolBar::actionTriggered, this, [this](QAction* a) {
        reportErrors([&] { DoCommand(a->property("key").toString()); });
    });
    connect(MoxFrmKeyHook, &suite::KeyHook::keyDown, this, &FrmMain::MoxFrmKeyHook_KeyDown);
    connect(Grid, &suite::Grid::DblClick, this, &FrmMain::Grid_DblClick);
    connect(Grid, &suite::Grid::MouseUp, this, &FrmMain::Grid_MouseUp);
    connect(Grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &FrmMain::Grid_HeaderClick);
    connect(PopMenuMgr, &suite::PopupMenu::ItemClick, this, &FrmMain::PopMenuMgr_Click);
    connect(Stb, &suite::StatusBar::clicked, this, &FrmMain::Stb_Click);
    // The filter's link in the status line: every record again is a refresh without it.
    connect(Stb, &suite::StatusBar::panelLinkClicked, this, [this](int panel) {
        if (panel == 2)
            reportErrors([&] { DoCommand(QStringLiteral("Refresh")); });
    });
    // A node chosen by mouse or keys restricts the list.
    connect(Trv, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* node) { reportErrors([&] { Trv_NodeClick(node); }); });
}

FrmMain::~FrmMain() = default;

void FrmMain::Init(ComVarPtr comVar) {
    m_ComVar = std::move(comVar);
    m_loader->setComVar(m_ComVar);
}

bool FrmMain::isReading() const {
    return m_loader->isReading();
}

bool FrmMain::isPartial() const {
    return m_loader->isPartial();
}

void FrmMain::whenRead(std::function<void()> work) {
    m_loader->whenRead(std::move(work));
}

void FrmMain::afterReading(std::function<void()> work) {
    m_loader->afterReading(std::move(work));
}

void FrmMain::cancelReading() {
    m_loader->cancel();
}

QString FrmMain::archiveName() const {
    return m_ComVar ? m_ComVar->m_ArchiveEnName : QString();
}

void FrmMain::showModal() {
    setWindowModality(Qt::ApplicationModal);
    if (m_unloaded)
        return;
    QEventLoop loop;
    connect(this, &FrmMain::unloaded, &loop, &QEventLoop::quit);
    // A host may destroy the window without closing it, while it is still being set up.
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    // The look, the commands and the showing are steps of their own: each takes long the
    // first time in a process (fonts, pictures, the native window), and together they would
    // hold the host's events up for too long. Nothing paints before show(), so the window
    // still appears whole. A zero timer, not a queued call, runs each step: queued calls
    // posted while the posted events are sent run in the same pass, with no input between.
    QTimer turn;
    turn.setSingleShot(true);
    const std::function<void()> steps[] = {[this] { loadLook(); }, [this] { loadCommands(); },
                                           [this] { show(); }};
    size_t next = 0;
    connect(&turn, &QTimer::timeout, this, [&] {
        if (m_unloaded)
            return;
        steps[next++]();
        if (next < std::size(steps))
            turn.start(0);
    });
    turn.start(0);
    loop.exec();
}

void FrmMain::loadLook() {
    if (m_loaded)
        return;
    m_loaded = true;
    m_lookLoaded = Form_LoadLook();
}

void FrmMain::loadCommands() {
    if (m_commandsLoaded)
        return;
    m_commandsLoaded = true;
    // A step that fails shows its error and ends the load; the window still opens.
    m_loadPrepared = m_lookLoaded && Form_LoadCommands();
    Form_Resize();
}

void FrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_rowsAsked)
        return;
    m_rowsAsked = true;
    // A host that shows the window itself has it set up now.
    loadLook();
    loadCommands();
    if (!m_loadPrepared) {
        m_loadFinished = true;
        return;
    }
    // The rows are read once the window is on screen (it is not yet while it takes this
    // event), so that the first of a long list can be seen while the rest come.
    QTimer::singleShot(0, this, [this] {
        if (m_unloaded)
            m_loadFinished = true;
        else
            Form_LoadRows();
    });
}

bool FrmMain::Form_LoadLook() {
    return reportErrors([&] {
        ArchiveSession& s = ArchiveSession::current();
        s.oPub->FrmUnitefont(this);
        s.oPub->FormLayout(this, QStringLiteral("TARVOARCHIVE"));
    });
}

bool FrmMain::Form_LoadCommands() {
    return reportErrors([&] {
        ArchiveSession& s = ArchiveSession::current();
        BuildListToolbar();
        ApplyLayoutMode();
        for (const char* name : {"mUnionBankCheck", "mImportBranches"})
            if (auto* item = findChild<QAction*>(QLatin1String(name)))
                item->setVisible(isBankAccounts());
        if (m_ComVar->m_iBrowseOnly == 1)
            HideEditCommands();
        else
            ApplyRights();
        LoadColumnSettings(Grid);
        s.oPub->FrmLoadInit(this, m_ComVar->m_ArchiveChName, s.oLogin, s.SrvDB);
        s.oPub->HelpX(m_ComVar->m_ArchiveEnName, this, s.oLogin, ComponentApp(), false);
        LoadAccountSettings(*m_ComVar);
        SetFixedFilter();
    });
}

void FrmMain::Form_LoadRows() {
    const bool started = reportErrors([&] {
        if (m_ComVar->m_iShowTree == 1)
            LoadTree();
        else
            DataRefresh(QString());
    });
    if (!started) {
        m_loadFinished = true;
        return;
    }
    // The keys are taken once the first rows are all in, as when the read held the load up.
    m_loader->whenRead([this] {
        m_loadFinished = true;
        if (!m_unloaded)
            reportErrors([&] { ArchiveSession::current().oPub->hook(this); });
    });
}

void FrmMain::BuildListToolbar() {
    reportErrors([&] {
        ImageList1.clear();
        for (const Picture& p : kPictures)
            ImageList1.append({QString::fromLatin1(p.key), LoadResPicture(p.resource, p.kind)});
        Tlb->clear();
        for (const Button& b : kButtons) {
            if (!b.key) {
                Tlb->addSeparator();
                continue;
            }
            QAction* a = Tlb->addAction(QString());
            setSourceText(a, b.text);
            a->setObjectName(QStringLiteral("Tlb_") + QLatin1String(b.key));
            a->setProperty("key", QString::fromLatin1(b.key));
            a->setIcon(ImageList1[b.picture - 1].second);
        }
        ArchiveSession& s = ArchiveSession::current();
        s.oPub->SetTlb(Tlb);
        QWidget* listWindow = s.ListWindow ? s.ListWindow->listWidget() : this;
        listWindow->setWindowIcon(LoadResPicture(101, PictureKind::Icon));
        MoxFrmCaptionMgr->setCaption(m_ComVar->m_ArchiveChName);
    });
    m_quickSearch->place();
}

void FrmMain::ApplyLayoutMode() {
    if (m_ComVar->m_iShowTree == 1) {
        // The tree stays, left of the grid, with the splitter between them to drag.
        Trv->setGeometry(0, Trv->y(), 200, Trv->height());
        Trv->show();
        PicSeparate->setGeometry(Trv->width(), PicSeparate->y(), 5, PicSeparate->height());
        PicSeparate->setCursor(Qt::SizeHorCursor);
        PicSeparate->show();
        return;
    }
    skipErrors([&] {
        Trv->setGeometry(0, Trv->y(), 0, Trv->height());
        Trv->hide();
    });
    skipErrors([&] {
        PicSeparate->setGeometry(0, PicSeparate->y(), 0, PicSeparate->height());
        PicSeparate->hide();
    });
}

void FrmMain::SetFixedFilter() {
    m_ClsFilter = allRecordsFilter();
}

void FrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_loaded)
        Form_Resize();
}

void FrmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    // A window restored from the task bar gets no resize when its size is what it was before
    // it was minimized; the layout skipped while minimized is done now.
    if (event->type() == QEvent::WindowStateChange && m_loaded && !isMinimized())
        Form_Resize();
}

void FrmMain::Form_Resize() {
    ArchiveSession& s = ArchiveSession::current();
    if (s.ListWindow && s.ListWindow->listWidget()->isMinimized())
        return;
    skipErrors([&] {
        if (s.oPub)
            s.oPub->frmResizeNew(this);
    });
    m_quickSearch->placeBox();
    // The grid overlaps the strip above it by one pixel.
    const int top = Pic->y() + Pic->height() - 1;
    // Laid out before it shows too, when no child counts as visible yet.
    const int stbHeight = Stb->isVisibleTo(this) ? Stb->height() : 0;
    const int height = std::max(0, this->height() - stbHeight - top);
    Trv->setGeometry(Trv->x(), top, Trv->width(), height);
    PicSeparate->setGeometry(PicSeparate->x(), top, PicSeparate->width(), height);
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
    m_loader->close();
    m_unionBankCount.reset();
    StopOutput();
    ArchiveSession& s = ArchiveSession::current();
    SaveColWidth(Grid);
    if (s.oPub) {
        skipErrors([&] { s.oPub->Unhook(this); });
        skipErrors([&] { s.oPub->FrmUnLoad(); });
    }
    Q_EMIT unloaded();
}

} // namespace tarvo
