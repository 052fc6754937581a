// The bank-account card and the branch directory: the branch's name beside the interbank code,
// the fields a known code fills, the warning for a code the directory does not list, and the
// pick list on F2.
#include "ctlBank.h"

#include "ArchiveSession.h"
#include "BranchIndexLoad.h"
#include "BranchPickList.h"
#include "ClassRegistry.h"
#include "Edit.h"
#include "ErrorHandling.h"
#include "RefEdit.h"
#include "UnionBankNo.h"

#include <QLabel>

#include <algorithm>

namespace tarvo {

namespace {

constexpr int kYesNoWarning = 4 + 48;
constexpr int kYes = 6;
/// Room for twelve digits and the edit's frame, left to the code in front of the name.
constexpr const char* kDigitsShown = "000000000000";

} // namespace

void ctlBank::buildBranchName() {
    // Inside the code's edit, at its right end: the card's fields and captions stay where the
    // layout puts them, and the name sits where the eye already is.
    LblUnionBankName = new QLabel(EdtcUnionBankNo);
    LblUnionBankName->setObjectName(QStringLiteral("LblUnionBankName"));
    LblUnionBankName->setAttribute(Qt::WA_TransparentForMouseEvents);
    LblUnionBankName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LblUnionBankName->hide();
    EdtcUnionBankNo->installEventFilter(this);
}

void ctlBank::placeBranchName() {
    const QFontMetrics fm = EdtcUnionBankNo->fontMetrics();
    const int digits = fm.horizontalAdvance(QString::fromLatin1(kDigitsShown)) + 12;
    const int width = std::max(0, EdtcUnionBankNo->width() - digits - 4);
    LblUnionBankName->setGeometry(digits, 1, width, EdtcUnionBankNo->height() - 2);
    LblUnionBankName->setFont(EdtcUnionBankNo->font());
    EdtcUnionBankNo->setTextMargins(0, 0, LblUnionBankName->isVisible() ? width : 0, 0);
    showBranchName();
}

bool ctlBank::directoryPresent() {
    if (!m_directoryAsked) {
        m_directoryAsked = true;
        m_directory =
            createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
        skipErrors([&] { m_directoryPresent = m_directory && m_directory->Present(m_SrvDB); });
    }
    return m_directoryPresent;
}

// On the reading thread, these two: only the directory and the session's connection, never a
// control.

void ctlBank::readAhead(const QString& key) {
    if (m_directoryAsked && m_directoryPresent)
        m_directory->ExpectAccount(ArchiveSession::current().SrvDB, key);
}

std::function<void()> ctlBank::readAlong(const QString& key, const RecordsetPtr& record) {
    if (!m_directoryAsked || !m_directoryPresent || !record || record->RecordCount() == 0)
        return {};
    record->MoveFirst();
    const QString code = record->Value(QStringLiteral("cUnionBankNo")).toString();
    if (code.isEmpty() || !acceptableUnionBankNo(code))
        return {};
    BranchEntry entry;
    const bool found =
        m_directory->FindForAccount(ArchiveSession::current().SrvDB, key, code, entry);
    return [this, code, found, entry] {
        m_branchCode = code;
        m_branch = found ? std::optional<BranchEntry>(entry) : std::nullopt;
    };
}

void ctlBank::lookUpBranch() {
    const QString code = EdtcUnionBankNo->Text();
    if (code == m_branchCode)
        return;
    m_branchCode = code;
    m_branch.reset();
    if (!code.isEmpty() && acceptableUnionBankNo(code) && directoryPresent()) {
        BranchEntry entry;
        if (m_directory->Find(m_SrvDB, code, entry))
            m_branch = entry;
    }
}

void ctlBank::showBranchName() {
    const QString code = EdtcUnionBankNo->Text();
    QString shown;
    QString tip;
    bool warn = false;
    if (code == m_branchCode && !code.isEmpty() && acceptableUnionBankNo(code) &&
        m_directoryPresent) {
        ArchiveSession& s = ArchiveSession::current();
        if (!m_branch) {
            warn = true;
            shown = m_oPub->GetResString(
                QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.cunionbankno_notlisted"));
        } else if (m_branch->retiredOn.isValid()) {
            warn = true;
            s.ResParams = {m_branch->retiredOn.toString(Qt::ISODate), m_branch->name};
            shown = m_oPub->GetResFormatString(
                QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.cunionbankno_retiredon"), s.ResParams);
        } else {
            shown = m_branch->name;
        }
        tip = shown;
    }
    LblUnionBankName->setToolTip(tip);
    LblUnionBankName->setStyleSheet(warn ? QStringLiteral("color: #b00000;")
                                         : QStringLiteral("color: #505050;"));
    // The end of a branch's name tells it from its bank's other branches: that end is kept.
    LblUnionBankName->setText(LblUnionBankName->fontMetrics().elidedText(
        shown, Qt::ElideLeft, LblUnionBankName->width()));
    LblUnionBankName->setVisible(!shown.isEmpty());
    EdtcUnionBankNo->setTextMargins(0, 0, shown.isEmpty() ? 0 : LblUnionBankName->width(), 0);
    EdtcUnionBankNo->setToolTip(tip);
}

void ctlBank::fillFromBranch() {
    if (!m_branch)
        return;
    const BranchEntry& b = *m_branch;
    bool filled = false;
    if (EdtcBName->Text().trimmed().isEmpty() && !b.name.isEmpty()) {
        EdtcBName->setText(b.name);
        filled = true;
    }
    // The head bank is the bank archive's row with the code's first three digits, if any.
    const QString bank = b.bankCode.isEmpty() ? b.code.left(3) : b.bankCode;
    if (EdtcBankCode->text().trimmed().isEmpty() && EdtcBankCode->choose(bank))
        filled = true;
    // Regions by name, among those the pick lists offer: the county among the province's.
    const auto chooseRegion = [](suite::RefEdit* edit, const QString& name) {
        if (!edit->text().trimmed().isEmpty())
            return false;
        const QStringList names = regionNameCandidates(name);
        return std::any_of(names.begin(), names.end(),
                           [edit](const QString& n) { return edit->choose(n); });
    };
    if (chooseRegion(EdtcProvinceName, b.province))
        filled = true;
    if (chooseRegion(EdtcCountyName, b.city))
        filled = true;
    if (filled)
        Q_EMIT ActiveSaveBtn();
}

void ctlBank::EdtcUnionBankNo_LostFocus() {
    lookUpBranch();
    fillFromBranch();
    showBranchName();
}

void ctlBank::pickBranch() {
    const QString typed = EdtcUnionBankNo->Text();
    if (!directoryPresent())
        return;
    BranchIndexLoad& load = BranchIndexLoad::of(ArchiveSession::current().oLogin->MoxDbName());
    // An index read before an import (this clerk's or another's) lists what is gone.
    load.asOf(m_directory->Mark(m_SrvDB));
    BranchPickList list(load, acceptableUnionBankNo(typed) ? typed : QString(), this);
    if (list.exec() != QDialog::Accepted || !list.picked())
        return;
    m_branch = list.picked();
    m_branchCode = m_branch->code;
    if (EdtcUnionBankNo->Text() != m_branchCode) {
        EdtcUnionBankNo->setText(m_branchCode);
        Q_EMIT ActiveSaveBtn();
    }
    fillFromBranch();
    showBranchName();
    EdtcUnionBankNo->setFocus();
}

bool ctlBank::unionBankNoConfirmed() {
    // A code kept from the stored record was taken before; only a new one is asked about.
    const QString code = EdtcUnionBankNo->Text();
    if (code.isEmpty() || code == m_storedUnionBankNo)
        return true;
    lookUpBranch();
    showBranchName();
    if (!m_directoryPresent || (m_branch && !m_branch->retiredOn.isValid()))
        return true;
    ArchiveSession& s = ArchiveSession::current();
    QString question;
    if (m_branch) {
        s.ResParams = {code, m_branch->name, m_branch->retiredOn.toString(Qt::ISODate)};
        question = m_oPub->GetResFormatString(
            QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.cunionbankno_retired"), s.ResParams);
    } else {
        s.ResParams = {code};
        question = m_oPub->GetResFormatString(
            QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.cunionbankno_unknown"), s.ResParams);
    }
    if (m_oPub->MsgBox(question, kYesNoWarning,
                       m_oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.question"))) ==
        kYes)
        return true;
    if (EdtcUnionBankNo->isVisible())
        EdtcUnionBankNo->setFocus();
    return false;
}

} // namespace tarvo
