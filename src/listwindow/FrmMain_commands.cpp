// Commands of the list window: menus, toolbar, keys, mouse, and what each command does.
#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "ComponentApp.h"
#include "EditLock.h"
#include "ErrorHandling.h"
#include "FileDialogs.h"
#include "FrmHistory.h"
#include "FrmImport.h"
#include "FrmMain.h"
#include "FrmZAM.h"
#include "Grid.h"
#include "GridHeader.h"
#include "IAbout.h"
#include "KeyHook.h"
#include "ListQuickSearch.h"
#include "StatusBar.h"

#include <QApplication>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTime>

#include <utility>

namespace tarvo {

namespace {

/// The untranslated text of a menu item or button, kept so that it can follow a language change.
const char* const kSourceText = "tarvo.sourceText";

} // namespace

void FrmMain::setSourceText(QAction* action, const char* source) {
    action->setProperty(kSourceText, QByteArray(source));
    action->setText(tr(source));
}

void FrmMain::retranslate() {
    for (QAction* a : findChildren<QAction*>()) {
        const QByteArray source = a->property(kSourceText).toByteArray();
        if (!source.isEmpty())
            a->setText(tr(source.constData()));
    }
    m_quickSearch->retranslate();
}

QMenu* FrmMain::addMenu(const char* name, const char* caption) {
    QMenu* menu = m_menuBar->addMenu(QString());
    menu->setObjectName(QString::fromLatin1(name));
    setSourceText(menu->menuAction(), caption);
    return menu;
}

QAction* FrmMain::addMenuItem(QMenu* menu, const char* name, const char* caption,
                              const QString& key) {
    QAction* a = menu->addAction(QString());
    setSourceText(a, caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty())
        connect(a, &QAction::triggered, this,
                [this, key] { reportErrors([&] { DoCommand(key); }); });
    return a;
}

void FrmMain::BuildMenus() {
    QMenu* mFile = addMenu("mFile", QT_TR_NOOP("文件(&F)"));
    addMenuItem(mFile, "mSetUp", QT_TR_NOOP("页面设置(&U)..."), QStringLiteral("SetUp"));
    addMenuItem(mFile, "mPrintNo", QT_TR_NOOP("打印序号(&N)"), QStringLiteral("mPrintNo"));
    addMenuItem(mFile, "mPrint", QT_TR_NOOP("打印(&P)...   Ctrl+P"), QStringLiteral("Print"));
    addMenuItem(mFile, "mPreview", QT_TR_NOOP("打印预览(&V)"), QStringLiteral("Preview"));
    mFile->addSeparator()->setObjectName(QStringLiteral("s1"));
    addMenuItem(mFile, "mSaveFile", QT_TR_NOOP("输出(&S)"), QStringLiteral("SaveFile"));
    mFile->addSeparator()->setObjectName(QStringLiteral("s2"));
    addMenuItem(mFile, "mExit", QT_TR_NOOP("退出(&X)"), QStringLiteral("Exit"));

    QMenu* mOperation = addMenu("mOperation", QT_TR_NOOP("操作(&O)"));
    addMenuItem(mOperation, "mAdd", QT_TR_NOOP("添加(&A)   F5"), QStringLiteral("Add"));
    addMenuItem(mOperation, "mModify", QT_TR_NOOP("修改(&M)   F7"), QStringLiteral("Modify"));
    addMenuItem(mOperation, "mDelete", QT_TR_NOOP("删除(&D)   Del"), QStringLiteral("Delete"));
    mOperation->addSeparator()->setObjectName(QStringLiteral("mS3"));
    addMenuItem(mOperation, "mFilter", QT_TR_NOOP("过滤(&F)   F3"), QStringLiteral("Filter"));
    addMenuItem(mOperation, "mPos", QT_TR_NOOP("定位"), QStringLiteral("Pos"));
    addMenuItem(mOperation, "mUnionBankCheck", QT_TR_NOOP("联行号待核对"),
                QStringLiteral("UnionBankCheck"));
    addMenuItem(mOperation, "mRefresh", QT_TR_NOOP("刷新        F9"), QStringLiteral("Refresh"));
    mOperation->addSeparator()->setObjectName(QStringLiteral("ms4"));
    addMenuItem(mOperation, "mFieldSet", QT_TR_NOOP("栏目"), QStringLiteral("FieldSet"));
    mOperation->addSeparator()->setObjectName(QStringLiteral("ms5"));
    addMenuItem(mOperation, "mFindSet", QT_TR_NOOP("过滤设置(&T)"), QStringLiteral("FindSet"));
    mOperation->addSeparator()->setObjectName(QStringLiteral("ms6"));
    addMenuItem(mOperation, "mHistory", QT_TR_NOOP("修改记录(&H)   Ctrl+H"),
                QStringLiteral("History"));
    addMenuItem(mOperation, "mImport", QT_TR_NOOP("导入(&I)..."), QStringLiteral("Import"));
    addMenuItem(mOperation, "mImportBranches", QT_TR_NOOP("导入联行号目录(&B)..."),
                QStringLiteral("ImportBranches"));

    QMenu* mWindow = addMenu("mWindow", QT_TR_NOOP("窗口(&W)"));
    addMenuItem(mWindow, "mText", QT_TR_NOOP("图标按钮(&I)"), QStringLiteral("mText"));
    addMenuItem(mWindow, "mStb", QT_TR_NOOP("状态栏(&S)"), QStringLiteral("mStb"));

    QMenu* mH = addMenu("mH", QT_TR_NOOP("帮助(&H)"));
    addMenuItem(mH, "mHelp", QT_TR_NOOP("帮助   F1"), QStringLiteral("Help"));
    addMenuItem(mH, "mAbout", QT_TR_NOOP("关于(&A)..."), QStringLiteral("About"));

    mOrder = addMenu("mOrder", QT_TR_NOOP("排序"));
    for (const auto& [name, caption, direction] :
         {std::tuple{"mAsc", QT_TR_NOOP("升序"), 1}, std::tuple{"mDesc", QT_TR_NOOP("降序"), 2}}) {
        QAction* a = addMenuItem(mOrder, name, caption, QString());
        const int dir = direction;
        connect(a, &QAction::triggered, this, [this, dir] {
            afterReading([this, dir] {
                reportErrors([&] { ArchiveSession::current().oPub->GridSort(this, Grid, dir); });
            });
        });
    }
}

void FrmMain::DoCommand(const QString& key) {
    ArchiveSession& s = ArchiveSession::current();
    const QString k = key.toLower();
    if (m_ComVar->m_iBrowseOnly == 1 &&
        (k == u"add" || k == u"modify" || k == u"delete" || k == u"import" ||
         k == u"importbranches"))
        return;
    // Every command but leaving and help acts on the list, and so on all of it: it waits until
    // the rows being read are in.
    if (isReading() && k != u"exit" && k != u"help") {
        afterReading([this, key] { reportErrors([&] { DoCommand(key); }); });
        return;
    }
    // The print or file under way reads the grid: nothing else touches it until its end.
    if (isPrinting() && k != u"exit")
        return;
    if (refusePartialList(key))
        return;
    // Keys reach here as well as the disabled buttons: say why rather than try and be refused.
    if (const QString refusal = refusedByRights(k); !refusal.isEmpty()) {
        ShowInfo(refusal);
        return;
    }
    s.oPub->HelpShow(ComponentApp(), key, this);
    if (k == u"setup" || k == u"print" || k == u"preview" || k == u"savefile") {
        PrintAll(key, Grid);
    } else if (k == u"add") {
        OpenCard(1);
    } else if (k == u"modify") {
        if (Grid->Rows() <= 1)
            return;
        if (m_KeyCol == 0) {
            ShowInfo(s.oPub->GetResString(QStringLiteral("Tarvo.AAARCHIVE.COMMON.selcolsetkey")));
            return;
        }
        OpenCard(2);
    } else if (k == u"delete") {
        DeleteRecord();
    } else if (k == u"findset") {
        s.oPub->FindSet(s.oLogin, m_ComVar->m_ArchiveChName_Const, this);
    } else if (k == u"filter") {
        const bool filtered = !m_filterText.isEmpty();
        QString condition;
        s.oPub->Find(s.oLogin, m_ComVar->m_ArchiveChName_Const, this, condition);
        if (!condition.isEmpty())
            DataRefresh(condition);
        else if (filtered && m_filterText.isEmpty())
            DataRefresh(QString()); // the clerk cleared the filter: every record again
    } else if (k == u"unionbankcheck") {
        if (isBankAccounts())
            CheckUnionBankNos();
    } else if (k == u"pos") {
        s.oPub->FindPos(this, Grid);
    } else if (k == u"refresh") {
        DataRefresh(QString());
    } else if (k == u"fieldset") {
        if (s.oColSet->setCol().toBool()) {
            LoadColumnSettings(Grid);
            DataRefresh(QString());
        }
    } else if (k == u"help") {
        // The help key opens the context help of the window; the hook does not report a key
        // we send ourselves, so this cannot come back here.
        QWidget* active = QApplication::activeWindow();
        suite::KeyHook::sendKey(active ? active : this, Qt::Key_F1);
    } else if (k == u"mstb" || k == u"mtext" || k == u"mprintno") {
        QString option = key;
        s.oPub->FrmOpt(this, option, m_ComVar->m_ArchiveChName, QVariant(), s.oLogin, s.SrvDB);
        if (k == u"mstb")
            Form_Resize();
    } else if (k == u"about") {
        auto about = createObject<IAbout>(QStringLiteral("PAbout.IAbout"));
        if (!about)
            throw ArchiveError(tr("无法创建关于对话框组件"));
        about->Show(nullptr);
    } else if (k == u"history") {
        FrmHistory history(m_ComVar, QVariant());
        history.showModal(this);
    } else if (k == u"exit") {
        close();
    } else if (k == u"import") {
        const QString path =
            suite::chooseFileToOpen(this, tr("导入%1").arg(m_ComVar->m_ArchiveChName), QString(),
                                    tr("表格文件 (*.csv *.xlsx)"));
        if (!path.isEmpty())
            ImportFile(path);
    } else if (k == u"importbranches") {
        if (!isBankAccounts())
            return;
        const QString path = suite::chooseFileToOpen(this, tr("导入联行号目录"), QString(),
                                                     tr("表格文件 (*.csv *.xlsx)"));
        if (!path.isEmpty())
            ImportBranchFile(path);
    }
}

bool FrmMain::refusePartialList(const QString& key) {
    const QString k = key.toLower();
    if (!isPartial() || (k != u"print" && k != u"preview" && k != u"savefile" && k != u"setup"))
        return false;
    ShowInfo(tr("列表只有读取停止前读入的行。打印和输出只对完整的列表进行，请先刷新（F9）。"));
    return true;
}

void FrmMain::ImportFile(const QString& path) {
    if (!takeEditLock(m_ComVar->m_ArchiveEnName))
        return;
    // Held until the list shows what was imported.
    auto release = std::make_shared<EditLockRelease>(m_ComVar->m_ArchiveEnName);
    bool imported = false;
    reportErrors([&] {
        FrmImport preview(m_ComVar, listFields(), this);
        if (preview.openFile(path))
            preview.exec();
        imported = preview.importedCount() > 0;
    });
    if (imported)
        DataRefresh(QString());
    whenRead([release] {});
}

void FrmMain::OpenCard(qint16 status) {
    // The card writes the key of each record it saves here.
    const QString keyBefore = std::exchange(m_KeyVal, QString());
    bool locked = false;
    {
        FrmZAM card;
        // The card belongs to its list: over it, and gone with it.
        card.setParent(this, card.windowFlags() | Qt::Window);
        // The card takes the edit lock itself, beside the window, and shows meanwhile.
        card.open(status, qint16(m_KeyCol), Grid->RowSel(), m_ComVar);
        card.showModal();
        locked = card.takeOverLock();
    }
    if (!locked) {
        m_KeyVal = keyBefore;
        return;
    }
    // Held until the list stands on the record saved.
    auto release = std::make_shared<EditLockRelease>(m_ComVar->m_ArchiveEnName);
    const bool saved = !m_KeyVal.isEmpty();
    if (!saved)
        m_KeyVal = keyBefore;
    DataRefresh(QString());
    // The list stands on the record saved last once it lists it.
    whenRead([this, saved, release] {
        if (m_unloaded)
            return;
        if (saved)
            m_quickSearch->reveal(m_KeyVal, m_KeyCol);
        QVariant key = m_KeyVal;
        ArchiveSession::current().oPub->SetGridRow(Grid, key, Grid->TextMatrix(0, m_KeyCol));
    });
}

void FrmMain::DeleteRecord() {
    ArchiveSession& s = ArchiveSession::current();
    if (Grid->Rows() <= 1)
        return;
    if (m_KeyCol == 0) {
        ShowInfo(s.oPub->GetResString(QStringLiteral("Tarvo.AAARCHIVE.COMMON.selcolsetkey")));
        return;
    }
    if (!takeEditLock(m_ComVar->m_ArchiveEnName))
        return;
    // Held until the list stands where the record was.
    auto release = std::make_shared<EditLockRelease>(m_ComVar->m_ArchiveEnName);
    int row = Grid->RowSel();
    int top = Grid->TopRow();
    const QString keyValue = Grid->TextMatrix(row, m_KeyCol);
    s.ResParams = {keyValue};
    QString question = s.oPub->GetResFormatString(
        QStringLiteral("Tarvo.AAARCHIVE.COMMON.del_arch_ornot"), s.ResParams);
    const int answer = s.oPub->MsgBox(
        question, 52, s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.exclamation")));
    if (answer == 6) {
        s.oPub->DeleteStart(this);
        QVariant key = keyValue;
        QString error;
        const bool deleted = s.SrvDB->Delete(key, m_ComVar->m_KeyFldName, m_ComVar->m_ArchiveEnName,
                                             error, s.oLogin->cUserId());
        s.oPub->DeleteEnded(this);
        if (!deleted)
            ShowInfo(error);
        else
            DataRefresh(QString());
    }
    // Where the deleted record stood, once the list is read without it.
    whenRead([this, row, top, release]() mutable {
        if (!m_unloaded)
            ArchiveSession::current().oPub->SetGridRow(Grid, row, top);
    });
}

void FrmMain::MoxFrmKeyHook_KeyDown(int keyCode, int shift) {
    if (!isEnabled())
        return;
    QString command;
    switch (keyCode) {
    case 114:
        command = shift == 2 ? QStringLiteral("Pos") : QStringLiteral("Filter");
        break;
    case 46:
        // In the search box Delete edits the text; it never deletes a record from there.
        if (!m_quickSearch->hasFocus())
            command = QStringLiteral("Delete");
        break;
    case 72:
        if (shift == 2)
            command = QStringLiteral("History");
        break;
    case 80:
        if (shift == 2)
            command = QStringLiteral("Print");
        break;
    case 112:
        command = QStringLiteral("Help");
        break;
    case 115:
        if (shift == 4)
            command = QStringLiteral("Exit");
        break;
    case 116:
        command = QStringLiteral("Add");
        break;
    case 118:
        command = QStringLiteral("Modify");
        break;
    case 120:
        command = QStringLiteral("Refresh");
        break;
    default:
        break;
    }
    if (command.isEmpty())
        return;
    MoxFrmKeyHook->consume();
    reportErrors([&] { DoCommand(command); });
}

void FrmMain::Grid_DblClick() {
    const int row = Grid->Row();
    if (row > 0 && row < Grid->Rows())
        reportErrors([&] { DoCommand(QStringLiteral("Modify")); });
}

void FrmMain::Grid_MouseUp(int button, int shift, float x, float y) {
    reportErrors(
        [&] { ArchiveSession::current().oPub->ShowPopupMenu(this, Grid, button, shift, x, y); });
}

void FrmMain::PopMenuMgr_Click(const QString& item) {
    afterReading([this, item] {
        QString chosen = item;
        reportErrors([&] { ArchiveSession::current().oPub->GridSortNew(this, Grid, chosen); });
    });
}

void FrmMain::Grid_HeaderClick(int col) {
    afterReading([this, col] {
        // Column 0 numbers the rows, and an empty list has nothing to order.
        if (col < 1 || Grid->Rows() <= 1)
            return;
        const auto* header = qobject_cast<const suite::GridHeader*>(Grid->horizontalHeader());
        const bool again = header && header->sortMarkSection() == col &&
                           header->sortMarkOrder() == Qt::AscendingOrder;
        Grid->setCol(col);
        QString item = again ? QStringLiteral("Desc") : QStringLiteral("Asc");
        reportErrors([&] { ArchiveSession::current().oPub->GridSortNew(this, Grid, item); });
    });
}

void FrmMain::Stb_Click() {
    bClockOn = !bClockOn;
    if (Stb->ClockMode() == 0 && bClockOn) {
        Stb->setTimeText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
        Stb->setClockMode(1);
    } else {
        Stb->setClockMode(0);
    }
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PicSeparate) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            PicSeparate_Mouse(1, static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseMove:
            PicSeparate_Mouse(2, static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseButtonRelease:
            PicSeparate_Mouse(3, static_cast<QMouseEvent*>(event));
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmMain::PicSeparate_Mouse(int phase, QMouseEvent* event) {
    int button =
        event->buttons() & Qt::LeftButton ? 1 : (event->buttons() & Qt::RightButton ? 2 : 0);
    int shift = suite::KeyHook::shiftState(event->modifiers());
    float x = float(event->position().x() * suite::Grid::twipsPerPixel());
    float y = float(event->position().y() * suite::Grid::twipsPerPixel());
    reportErrors([&] {
        ArchiveSession::current().oPub->MouseEvent(this, phase, button, shift, x, y,
                                                   QStringLiteral("Customer"));
    });
}

} // namespace tarvo
