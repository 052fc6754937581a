// The card window's reads of its records, and of the edit lock, beside the window.
#include "FrmZAM.h"

#include "ArchiveSession.h"
#include "BesideWork.h"
#include "CardControl.h"
#include "ErrorHandling.h"
#include "Grid.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScopeGuard>

#include <atomic>

namespace tarvo {

/// What a read beside the window brings back. The lock's flag is read when a closing card has
/// stopped the read: the list must give back a lock that came after all.
struct FrmZAM::Fetched {
    std::atomic<bool> lockTaken = false;
    /// Why the edit lock was refused, as the public services word it.
    QString refusal;
    RecordsetPtr record;
    /// What the card read along with the record, to be shown with it.
    std::function<void()> along;
};

namespace {
const char* const kHeldButtons[] = {"SaveRs", "First", "Previous", "Next", "Last", "History"};
} // namespace

std::optional<QString> FrmZAM::GetCurrentRecord() {
    suite::Grid* grid = listWindow().grid();
    const int R = grid->Rows();
    QAction* first = button("First");
    QAction* previous = button("Previous");
    QAction* next = button("Next");
    QAction* last = button("Last");
    if (R <= 1) {
        for (QAction* a : {first, previous, next, last})
            a->setEnabled(false);
    } else if (R == 2 && m_RowSel == 1) {
        // One record: the buttons swap at each step, so that the next step can come back.
        for (QAction* a : {first, previous, next, last})
            a->setEnabled(!a->isEnabled());
        if (first->isEnabled() == last->isEnabled()) {
            first->setEnabled(!first->isEnabled());
            previous->setEnabled(!previous->isEnabled());
        }
    } else {
        const bool atFirst = m_RowSel == 1;
        const bool atLast = m_RowSel == R - 1;
        first->setEnabled(!atFirst);
        previous->setEnabled(!atFirst);
        next->setEnabled(!atLast);
        last->setEnabled(!atLast);
    }
    // The toolbar is refreshed once, by the caller, after the record is shown (InitData,
    // CommonEnd): every refresh walks all the window's widgets.
    if (m_Status == 1) {
        if (R == 1)
            return std::nullopt;
        setCaption("Tarvo.AA.ARCHIVE.COMMON.modifyarch");
        m_Status = 2;
    }
    m_RowSel = std::clamp(m_RowSel, 1, std::max(1, R - 1));
    // The key is bound, not written into the text: whatever a stored key holds stays a value.
    if (m_recordSql.isEmpty())
        m_recordSql = QStringLiteral("select * from ") + m_ComVar->m_ArchiveEnName +
                      QStringLiteral(" where ") + m_ComVar->m_KeyFldName + QStringLiteral("=?");
    return grid->TextMatrix(m_RowSel, m_tCol);
}

void FrmZAM::FillAllFields() {
    fillAllFields({}, m_RowSel);
}

void FrmZAM::fillAllFields(std::function<void()> after, int rowBefore) {
    const std::optional<QString> key = GetCurrentRecord();
    if (!key)
        return;
    readBeside(false, key, [this, after = std::move(after), rowBefore](const RecordsetPtr& rs) {
        if (!showRecord(rs)) {
            // The fields still hold the record before: the row, the walk's buttons and the
            // history follow them, not the row the read could not bring.
            m_RowSel = rowBefore;
            GetCurrentRecord();
        }
        if (after)
            after();
    });
}

bool FrmZAM::showRecord(const RecordsetPtr& rs) {
    ArchiveSession& s = ArchiveSession::current();
    if (!rs) {
        ShowInfo(tr("没能读取这条记录：与账套数据库的连接中断了。请稍后再试。"));
        return false;
    }
    if (rs->RecordCount() != 0) {
        if (m_Status != 2) {
            setCaption("Tarvo.AA.ARCHIVE.COMMON.modifyarch");
            m_Status = 2;
        }
        RecordsetPtr record = rs;
        m_Card->FillAllFields(record);
        button("SaveRs")->setEnabled(false);
        return true;
    }
    suite::Grid* grid = listWindow().grid();
    if (grid->Rows() > 1) {
        s.ResParams = {grid->TextMatrix(0, m_tCol), grid->TextMatrix(m_RowSel, m_tCol)};
        ShowInfo(s.oPub->GetResFormatString(QStringLiteral("Tarvo.AAARCHIVE.COMMON.codemaydel"),
                                            s.ResParams));
    }
    listWindow().DataRefresh(QString());
    return true;
}

bool FrmZAM::reading() const {
    return m_read != nullptr;
}

void FrmZAM::readBeside(bool takeLock, std::optional<QString> key,
                        std::function<void(const RecordsetPtr&)> then) {
    auto fetched = std::make_shared<Fetched>();
    auto work = [fetched, takeLock, archive = m_ComVar->m_ArchiveEnName, sql = m_recordSql, key,
                 card = m_Card](const WorkProgress& p) {
        ArchiveSession& s = ArchiveSession::current();
        if (takeLock) {
            fetched->refusal = s.oPub->LockRefusal(s.SrvDB, s.oLogin, archive, 2);
            if (!fetched->refusal.isEmpty())
                return;
            fetched->lockTaken = true;
        }
        if (!key || !p.goOn(0))
            return;
        // A card closed meanwhile does not wait for the record, nor for a server to come back.
        s.SrvDB->StopWhen(p.stopAsked);
        const auto lifted = qScopeGuard([&s] { s.SrvDB->StopWhen({}); });
        card->readAhead(*key);
        QString text = sql;
        fetched->record = s.SrvDB->OpenXBound(text, {*key});
        if (fetched->record && p.goOn(0))
            fetched->along = card->readAlong(*key, fetched->record);
    };
    if (!m_beside) {
        // The host's call waits for the record: it runs here, and what fails is its to hear.
        work(WorkProgress{});
        readEnded(*fetched, QString(), then, true);
        return;
    }
    holdBack();
    // Keys given meanwhile wait for the record, as they wait for the list's rows.
    m_operating = true;
    m_fetched = fetched;
    m_read = new BesideWork(carryingArchiveSession(std::move(work)), this);
    connect(m_read, &BesideWork::ended, this,
            [this, then = std::move(then)](bool, const QString& error) {
                std::exchange(m_read, nullptr)->deleteLater();
                const std::shared_ptr<Fetched> fetched = std::exchange(m_fetched, nullptr);
                readEnded(*fetched, error, then, false);
            });
}

void FrmZAM::readEnded(const Fetched& fetched, const QString& error,
                       const std::function<void(const RecordsetPtr&)>& then, bool waited) {
    m_lockTaken = m_lockTaken || fetched.lockTaken;
    if (!waited)
        giveBack();
    const auto over = qScopeGuard([this, waited] {
        if (!waited) {
            m_operating = false;
            ReplayHeldBack();
        }
        Q_EMIT recordShown();
    });
    if (!error.isEmpty()) {
        ShowInfo(error);
        return;
    }
    if (!fetched.refusal.isEmpty()) {
        ArchiveSession& s = ArchiveSession::current();
        QString text = fetched.refusal;
        s.oPub->MsgBox(text, 64,
                       s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.information")));
        m_heldBack.clear();
        close();
        return;
    }
    if (fetched.along)
        fetched.along();
    if (waited)
        then(fetched.record);
    else
        reportErrors([&] { then(fetched.record); });
}

void FrmZAM::cancelRead() {
    if (!m_read)
        return;
    m_read->stopAndWait();
    std::exchange(m_read, nullptr)->deleteLater();
    m_lockTaken = m_lockTaken || m_fetched->lockTaken;
    m_fetched.reset();
    m_heldBack.clear();
    m_operating = false;
    giveBack();
}

void FrmZAM::holdBack() {
    QWidget* focused = QApplication::focusWidget();
    m_focusBefore = focused && isAncestorOf(focused) ? focused : nullptr;
    for (const char* key : kHeldButtons) {
        QAction* a = button(QString::fromLatin1(key));
        m_heldButtons.insert(a, a->isEnabled());
        a->setEnabled(false);
    }
    // Read-only until the record is in: nothing typed meanwhile is overwritten by it.
    m_Card->setEnabled(false);
    m_statusClear.stop();
    StatusLine->setText(tr("正在读取…"));
}

void FrmZAM::giveBack() {
    for (auto it = m_heldButtons.cbegin(); it != m_heldButtons.cend(); ++it)
        it.key()->setEnabled(it.value());
    m_heldButtons.clear();
    m_Card->setEnabled(true);
    if (StatusLine->text() == tr("正在读取…"))
        StatusLine->clear();
    const QWidget* focused = QApplication::focusWidget();
    if (m_focusBefore && !(focused && isAncestorOf(focused)))
        m_focusBefore->setFocus();
    m_focusBefore = nullptr;
}

} // namespace tarvo
