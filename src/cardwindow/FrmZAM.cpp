#include "FrmZAM.h"

#include "ArchiveSession.h"
#include "CaptionBar.h"
#include "EditLock.h"
#include "ErrorHandling.h"
#include "RunAside.h"
#include "FrmHistory.h"
#include "Grid.h"
#include "KeyHook.h"
#include "Resources.h"
#include "WindowPlacement.h"
#include "ctlAA_Bank.h"
#include "ctlBank.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>
#include <QToolBar>

namespace tarvo {

namespace {

struct Button {
    const char* key; ///< null for a separator
    int picture;     ///< bitmap resource
    int text;        ///< string table entries: caption, and the tooltip after it
};
// The toolbar by position.
const Button kButtons[] = {
    {"SaveRs", 111, 101}, {nullptr, 0, 0},    {"First", 133, 111}, {"Previous", 131, 113},
    {"Next", 132, 115},   {"Last", 134, 117}, {nullptr, 0, 0},     {"Exit", 120, 120},
};

bool listReading() {
    const IArchiveList* list = ArchiveSession::current().ListWindow.get();
    return list && list->isReading();
}

/// Does work once the list has read its rows (at once when it reads none, or there is none).
void whenListRead(std::function<void()> work) {
    if (IArchiveList* list = ArchiveSession::current().ListWindow.get())
        list->whenRead(std::move(work));
    else
        work();
}

} // namespace

IArchiveList& FrmZAM::listWindow() {
    IArchiveList* list = ArchiveSession::current().ListWindow.get();
    if (!list)
        throw ArchiveError(FrmZAM::tr("没有打开档案列表"));
    return *list;
}

FrmZAM::FrmZAM()
    : Tlb(new QToolBar(this)), Frame2(new QWidget(this)),
      MoxFrmCaptionMgr(new suite::CaptionBar(this)), MoxFrmKeyHook(new suite::KeyHook(this)),
      StatusLine(new QLabel(this)), ctlAA_Bank1(new ctlAA_Bank(this)), ctlBank1(new ctlBank(this)) {
    setObjectName(QStringLiteral("FrmZAM"));
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    m_statusClear.setSingleShot(true);
    m_statusClear.setInterval(4000);
    connect(&m_statusClear, &QTimer::timeout, StatusLine, &QLabel::clear);
    Tlb->setObjectName(QStringLiteral("Tlb"));
    Frame2->setObjectName(QStringLiteral("Frame2"));
    ctlAA_Bank1->hide();
    ctlBank1->hide();
    for (const Button& b : kButtons) {
        if (!b.key) {
            Tlb->addSeparator();
            continue;
        }
        QAction* a = Tlb->addAction(LoadResString(b.text));
        a->setObjectName(QString::fromLatin1(b.key));
        m_buttons.insert(a->objectName(), a);
        a->setToolTip(b.text == 101 ? tr("保存客户档案") : LoadResString(b.text + 1));
        if (b.text == 101)
            a->setStatusTip(tr("将添加或修改的客户档案保存"));
    }
    Tlb->addSeparator();
    QAction* history = Tlb->addAction(tr("修改记录"));
    history->setObjectName(QStringLiteral("History"));
    history->setToolTip(tr("查看本记录的修改记录（Ctrl+H）"));
    connect(Tlb, &QToolBar::actionTriggered, this,
            [this](QAction* a) { userOperating(a->objectName()); });
    connect(MoxFrmKeyHook, &suite::KeyHook::keyDown, this, &FrmZAM::MoxFrmKeyHook_KeyDown);
    for (CardControl* card :
         {static_cast<CardControl*>(ctlAA_Bank1), static_cast<CardControl*>(ctlBank1)}) {
        connect(card, &CardControl::ActiveSaveBtn, this, &FrmZAM::enableSave);
        connect(card, &CardControl::SaveRs, this, [this] {
            if (button(QStringLiteral("SaveRs"))->isEnabled())
                userOperating(QStringLiteral("SaveRs"));
        });
    }
}

FrmZAM::~FrmZAM() {
    cancelRead();
    // A lock that came for a card nobody took it over from is given back at once.
    if (m_lockTaken)
        EditLockRelease{m_ComVar->m_ArchiveEnName};
    MoxFrmKeyHook->detach();
}

QAction* FrmZAM::button(const QString& key) const {
    // Asked for several times at every step through the records: a search of the toolbar's
    // children each time shows in the time a step takes.
    if (QAction* a = m_buttons.value(key))
        return a;
    return Tlb->findChild<QAction*>(key);
}

QString FrmZAM::caption() const {
    return MoxFrmCaptionMgr->Caption();
}

void FrmZAM::setCaption(const char* resourceKey) {
    ArchiveSession& s = ArchiveSession::current();
    // The card shows one record: "Add Bank Account", where the list says "Bank Accounts".
    s.ResParams = {m_ComVar->m_RecordName};
    const QString text = s.oPub->GetResFormatString(QString::fromLatin1(resourceKey), s.ResParams);
    MoxFrmCaptionMgr->setCaption(text);
    setWindowTitle(text);
}

void FrmZAM::Form_Load() {
    m_loaded = true;
    ArchiveSession& s = ArchiveSession::current();
    skipErrors([&] { s.oPub->FrmUnitefont(this); });
    skipErrors([&] {
        setProperty("helpContextId", listWindow().listWidget()->property("helpContextId"));
    });
    BuildToolbar();
    MoxFrmKeyHook->attach(this);
    skipErrors([&] { s.oPub->FrmOptInit(this, 1); });
}

void FrmZAM::BuildToolbar() {
    reportErrors([&] {
        setCaption("Tarvo.AA.ARCHIVE.COMMON.addarch");
        for (const Button& b : kButtons)
            if (b.key)
                button(QString::fromLatin1(b.key))
                    ->setIcon(LoadResPicture(b.picture, PictureKind::Bitmap));
        button(QStringLiteral("History"))->setIcon(LoadResPicture(135, PictureKind::Bitmap));
        ArchiveSession& s = ArchiveSession::current();
        s.oPub->SetTlb(Tlb);
        QWidget* card = m_Card;
        s.oPub->SetMoxTlbStyleNew(this, false, Frame2, card);
    });
}

void FrmZAM::InitData(qint16 Status, qint16 tCol, qint32 RowSel, ComVarPtr var) {
    setUp(Status, tCol, RowSel, std::move(var));
    showFirst(false);
}

void FrmZAM::open(qint16 Status, qint16 tCol, qint32 RowSel, ComVarPtr var) {
    setUp(Status, tCol, RowSel, std::move(var));
    m_beside = true;
    const auto waitsNoMore = qScopeGuard([this] { m_beside = false; });
    showFirst(true);
}

void FrmZAM::setUp(qint16 Status, qint16 tCol, qint32 RowSel, ComVarPtr var) {
    ArchiveSession& s = ArchiveSession::current();
    m_bAdded = false;
    m_Status = Status;
    m_tCol = tCol;
    m_RowSel = RowSel;
    m_ComVar = std::move(var);
    m_recordSql.clear();
    if (!m_loaded)
        Form_Load();
    ctlAA_Bank1->hide();
    ctlBank1->hide();
    const QString archive = m_ComVar->m_ArchiveEnName.toLower();
    m_Card = archive == u"aa_bank" ? static_cast<CardControl*>(ctlAA_Bank1)
             : archive == u"bank"  ? static_cast<CardControl*>(ctlBank1)
                                   : nullptr;
    if (!m_Card)
        throw ArchiveError(QCoreApplication::translate("tarvo::Messages", "“%1”的卡片尚未提供")
                               .arg(m_ComVar->m_ArchiveChName));
    m_Card->show();
    QString fragment = u'<' + m_ComVar->m_ArchiveEnName + QStringLiteral("><HelpContextId>") +
                       QString::number(property("helpContextId").toInt()) +
                       QStringLiteral("</HelpContextId></") + m_ComVar->m_ArchiveEnName + u'>';
    m_Card->Init(s.SrvDB, s.oPub, fragment, m_ComVar);
    // Nothing to save before the record or the empty card is in.
    button("SaveRs")->setEnabled(false);
    layOut();
}

void FrmZAM::showFirst(bool takeLock) {
    ArchiveSession& s = ArchiveSession::current();
    if (m_Status == 1) {
        setCaption("Tarvo.AA.ARCHIVE.COMMON.addarch");
        NewRecord();
        if (takeLock)
            readBeside(true, std::nullopt, [](const RecordsetPtr&) {});
    } else {
        setCaption("Tarvo.AA.ARCHIVE.COMMON.modifyarch");
        const std::optional<QString> key = GetCurrentRecord();
        // A card the list opens has nothing to show without its lock: it closes.
        readBeside(takeLock, key, [this, takeLock](const RecordsetPtr& rs) {
            if (!showRecord(rs)) {
                if (takeLock)
                    close();
                return;
            }
            if (listWindow().grid()->Rows() == 2) {
                button("First")->setEnabled(true);
                button("Previous")->setEnabled(true);
                button("Next")->setEnabled(false);
                button("Last")->setEnabled(false);
            }
            ArchiveSession::current().oPub->ReRefreshMoxTlb(this);
        });
    }
    s.oPub->ReRefreshMoxTlb(this);
}

void FrmZAM::layOut() {
    const int toolbarBottom = Tlb->sizeHint().height();
    Tlb->setGeometry(0, 0, width(), toolbarBottom);
    Frame2->setGeometry(0, toolbarBottom + 2, width(), 2);
    const int captionTop = Frame2->geometry().bottom() + 1;
    MoxFrmCaptionMgr->setGeometry(0, captionTop, width(), MoxFrmCaptionMgr->sizeHint().height());
    if (!m_Card)
        return;
    // The card stands at 620 twips, or below the caption where our toolbar is taller.
    const int top = std::max(CardControl::pixels(620), MoxFrmCaptionMgr->geometry().bottom() + 4);
    m_Card->move(0, top);
    const int statusTop = m_Card->geometry().bottom() + 4;
    StatusLine->setGeometry(8, statusTop, width() - 16, std::max(0, height() - statusTop - 2));
}

void FrmZAM::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    skipErrors([&] {
        if (m_Card)
            resize(m_Card->width() + 5, m_Card->y() + m_Card->height() + 30);
    });
    PlaceOverOwner(*this);
}

void FrmZAM::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
    skipErrors([&] {
        if (auto& pub = ArchiveSession::current().oPub)
            pub->MoxTlbResize(this);
    });
}

void FrmZAM::showModal() {
    if (!m_Card)
        return;
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &FrmZAM::closed, &loop, &QEventLoop::quit);
    show();
    if (!m_closed)
        loop.exec();
}

void FrmZAM::WriteXML(QString& sXml, bool& bFlag) {
    sXml = m_Card->GetSaveXml(bFlag);
}

void FrmZAM::NewRecord() {
    m_Card->Emptyallfields();
    button("SaveRs")->setEnabled(false);
    ArchiveSession::current().oPub->ReRefreshMoxTlb(this);
    setCaption("Tarvo.AA.ARCHIVE.COMMON.addarch");
    m_Status = 1;
}

bool FrmZAM::Save() {
    ArchiveSession& s = ArchiveSession::current();
    QString xml;
    bool valid = false;
    WriteXML(xml, valid);
    if (!valid)
        return false;
    // The edit lock may have run out and passed to someone else while the card stood open;
    // the public services say so, and nothing is written over the other editor's work.
    if (s.oPub->IsLockFun(s.SrvDB, s.oLogin, m_ComVar->m_ArchiveEnName, 2))
        return false;
    QString error;
    bool stored = false;
    // A server whose answer to the COMMIT is lost keeps the save waiting for half a minute
    // before it can tell what the server did: the card says so and repaints meanwhile, its
    // input held back, as the caller learns here whether the record went in.
    StatusLine->setText(tr("正在保存…"));
    m_statusClear.stop();
    const bool adding = m_Status == 1;
    runAside(carryingArchiveSession([&] {
        stored = adding ? s.SrvDB->Add(xml, m_ComVar->m_ArchiveEnName, error)
                        : s.SrvDB->Modify(xml, m_ComVar->m_ArchiveEnName, error);
    }));
    StatusLine->clear();
    if (stored && adding)
        m_bAdded = true;
    if (!stored) {
        ShowInfo(error);
        return false;
    }
    listWindow().setSavedKey(m_Card->KeyVal());
    // The card empties itself for the next record: say that the last one went in.
    showStatus(tr("已保存：%1").arg(m_Card->KeyVal().trimmed()));
    NewRecord();
    return true;
}

bool FrmZAM::Navigate(const QString& key) {
    ArchiveSession& s = ArchiveSession::current();
    if (!s.oPub->isSaveRs(this, nullptr, nullptr))
        return false;
    QAction* b = button(key == u"first"      ? QStringLiteral("First")
                        : key == u"previous" ? QStringLiteral("Previous")
                        : key == u"next"     ? QStringLiteral("Next")
                                             : QStringLiteral("Last"));
    if (!b->isEnabled() || !b->isVisible())
        return false;
    const int R = listWindow().grid()->Rows();
    const int rowBefore = m_RowSel;
    if (key == u"first")
        m_RowSel = 1;
    else if (key == u"previous")
        m_RowSel = std::max(1, m_RowSel - 1);
    else if (key == u"next")
        m_RowSel = std::min(m_RowSel + 1, R - 1);
    else
        m_RowSel = R - 1;
    std::function<void()> stepEnd;
    // Walked by the user, the step ends once its record is in.
    if (m_beside)
        stepEnd = [this, key] {
            bool result = false;
            CommonEnd(key, result);
        };
    fillAllFields(std::move(stepEnd), rowBefore);
    return true;
}

void FrmZAM::Operating(const QString& key, bool& result) {
    result = false;
    if (m_read && key.compare(u"exit", Qt::CaseInsensitive) == 0) {
        close();
        result = true;
        return;
    }
    if (m_operating || listReading()) {
        // The windows handle their events while the list reads its rows again: a key pressed
        // meanwhile acts on the rows that read brings, not on those it replaces.
        m_heldBack = key;
        if (!m_operating)
            ReplayHeldBack();
        return;
    }
    m_operating = true;
    const auto over = qScopeGuard([this] {
        // A record on its way ends the command when it comes.
        if (m_read)
            return;
        m_operating = false;
        ReplayHeldBack();
    });
    Operate(key, result);
}

void FrmZAM::userOperating(const QString& key) {
    m_beside = true;
    const auto waitsNoMore = qScopeGuard([this] { m_beside = false; });
    bool result = false;
    reportErrors([&] { Operating(key, result); });
}

void FrmZAM::ReplayHeldBack() {
    if (m_heldBack.isEmpty() || std::exchange(m_replayAsked, true))
        return;
    whenListRead([card = QPointer<FrmZAM>(this)] {
        if (!card)
            return;
        QTimer::singleShot(0, card, [card] {
            card->m_replayAsked = false;
            if (card->isVisible() && !card->m_heldBack.isEmpty())
                card->userOperating(std::exchange(card->m_heldBack, QString()));
        });
    });
}

void FrmZAM::Operate(const QString& key, bool& result) {
    const QString k = key.toLower();
    if (k == u"savers") {
        if (!Save())
            return;
    } else if (k == u"first" || k == u"previous" || k == u"next" || k == u"last") {
        if (!Navigate(k) || m_read)
            return;
    } else if (k == u"exit") {
        close();
    } else if (k == u"history") {
        ShowHistory();
        return;
    } else {
        ShowInfo(QStringLiteral("No Button '") + key + QStringLiteral("' Match!Check it Please!"));
    }
    CommonEnd(k, result);
}

void FrmZAM::ShowHistory() {
    if (m_Status != 2) {
        ShowInfo(tr("新增的记录还没有保存，没有修改记录"));
        return;
    }
    suite::Grid* grid = listWindow().grid();
    FrmHistory history(m_ComVar, grid->TextMatrix(m_RowSel, m_tCol));
    history.showModal(this);
}

void FrmZAM::CommonEnd(const QString& key, bool& result) {
    ArchiveSession& s = ArchiveSession::current();
    const bool navigation =
        key == u"first" || key == u"previous" || key == u"next" || key == u"last";
    if (m_bAdded && navigation) {
        listWindow().DataRefresh(QString());
        m_bAdded = false;
        // Once the list holds the records added, the last one has rows before it to go back to.
        whenListRead([card = QPointer<FrmZAM>(this)] {
            if (!card || listWindow().grid()->Rows() <= 1 || card->button("Next")->isEnabled())
                return;
            card->button("First")->setEnabled(true);
            card->button("Previous")->setEnabled(true);
            ArchiveSession::current().oPub->ReRefreshMoxTlb(card);
        });
    }
    result = true;
    s.oPub->ReRefreshMoxTlb(this);
}

void FrmZAM::showStatus(const QString& text) {
    StatusLine->setText(text);
    m_statusClear.start();
}

void FrmZAM::enableSave() {
    button("SaveRs")->setEnabled(true);
    ArchiveSession::current().oPub->ReRefreshMoxTlb(this);
}

void FrmZAM::MoxFrmKeyHook_KeyDown(int keyCode, int shift) {
    if (!isEnabled())
        return;
    m_beside = true;
    const auto waitsNoMore = qScopeGuard([this] { m_beside = false; });
    ArchiveSession& s = ArchiveSession::current();
    // Nothing typed while the record is on its way reaches the card, nor counts as a change.
    if (!reading() && s.oPub->FrmKeyDown(this, keyCode, shift))
        enableSave();
    bool result = false;
    reportErrors([&] {
        switch (keyCode) {
        case 33:
            MoxFrmKeyHook->consume();
            Operating(shift == 4 ? QStringLiteral("First") : QStringLiteral("Previous"), result);
            break;
        case 34:
            MoxFrmKeyHook->consume();
            Operating(shift == 4 ? QStringLiteral("Last") : QStringLiteral("Next"), result);
            break;
        case 27:
            if (button("SaveRs")->isEnabled()) {
                showStatus(tr("有未保存的修改：F6 保存，退出 放弃"));
                break;
            }
            MoxFrmKeyHook->consume();
            Operating(QStringLiteral("Exit"), result);
            break;
        case 115:
            // Closing asks about unsaved work, with or without a window manager that turns
            // Alt+F4 into a close request.
            if (shift == 4) {
                MoxFrmKeyHook->consume();
                Operating(QStringLiteral("Exit"), result);
            }
            break;
        case 72:
            if (shift == 2) {
                MoxFrmKeyHook->consume();
                Operating(QStringLiteral("History"), result);
            }
            break;
        case 117:
            if (button("SaveRs")->isEnabled()) {
                MoxFrmKeyHook->consume();
                Operating(QStringLiteral("SaveRs"), result);
            }
            break;
        default:
            break;
        }
    });
}

void FrmZAM::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    int mode = 0;
    reportErrors([&] { ArchiveSession::current().oPub->isSaveRs(this, &cancel, &mode); });
    if (cancel) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
    cancelRead();
    m_closed = true;
    skipErrors([&] { ArchiveSession::current().oPub->FrmUnLoad(); });
    Q_EMIT closed();
}

} // namespace tarvo
