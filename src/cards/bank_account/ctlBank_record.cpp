// One bank-account record in and out of the card: empty it, fill it from a stored record, and
// check the input and turn it into the save XML.
#include "ctlBank.h"

#include "AccountNumberRule.h"
#include "ArchiveSession.h"
#include "BuildVariant.h"
#include "CardWidgets.h"
#include "ErrorHandling.h"
#include "ModRef.h"
#include "RefEdit.h"
#include "ShownValues.h"
#include "UnionBankNo.h"
#include "XmlTags.h"

#include <QDate>

#include <QRegularExpression>
#include <algorithm>

namespace tarvo {

namespace {

QString text(const RecordsetPtr& rs, const char* field) {
    return ModRef::NullToDefault(rs->Value(QString::fromLatin1(field)), QString()).toString();
}

} // namespace

void ctlBank::Emptyallfields() {
    for (QWidget* control : controls()) {
        skipErrors([&] {
            if (auto* check = qobject_cast<suite::CheckBox*>(control))
                check->setValue(0);
            else if (auto* list = qobject_cast<suite::ComboBox*>(control))
                list->setListIndex(-1);
            else if (auto* ref = qobject_cast<suite::RefEdit*>(control))
                ref->Reset();
            else if (auto* edit = qobject_cast<suite::Edit*>(control))
                ModRef::ClearRefEdit(*edit);
        });
    }
    CmbiAccProperty->setListIndex(2);
    EdtcUnionBankNo->setMaxLength(kUnionBankNoLength);
    m_storedUnionBankNo.clear();
    showBranchName();
    EdtcBCode->setEnabled(true);
    if (EdtcBCode->isVisible())
        EdtcBCode->setFocus();
    OptiSignFlag[0]->setValue(true);
}

void ctlBank::FillAllFields(RecordsetPtr& RsCard) {
    const bool filled = reportErrors([&] {
        EdtcBCode->setText(text(RsCard, "cBCode"));
        EdtcBAccount->setText(text(RsCard, "cBAccount"));
        EdtcAccName->setText(text(RsCard, "cAccName"));
        const QVariant opened = RsCard->Value(QStringLiteral("dOpenAccDate"));
        EdtdOpenAccDate->setValue(opened.typeId() == QMetaType::QDate
                                      ? opened.toDate().toString(Qt::ISODate)
                                      : ModRef::NullToDefault(opened, QString()).toString());
        EdtcCurrencyName->setValue(text(RsCard, "cCurrencyName"));
        ChkbBflag->setValue(ModRef::FieldToCheckValue(RsCard, QStringLiteral("bBflag"), 0));
        chkbPwdMng->setValue(ModRef::FieldToCheckValue(RsCard, QStringLiteral("bPwdMng"), 0));
        EdtcBName->setText(text(RsCard, "cBName"));
        EdtcBankCode->setValue(text(RsCard, "cBankCode"));
        EdtcProvinceName->setValue(text(RsCard, "cProvinceName"));
        EdtcCountyName->setValue(text(RsCard, "cCountyName"));
        EdtcOpenAccAddr->setText(text(RsCard, "cOpenAccAddr"));
        EdtfCurBalance->setText(StyledAmount(*m_oPub, *m_ComVar, QStringLiteral("fCurBalance"),
                                             RsCard->Value(QStringLiteral("fCurBalance"))));
        ModRef::FillCodeName(m_SrvDB, *EdtcCode, RsCard, QStringLiteral("cCode"),
                             QStringLiteral("code"), QStringLiteral("cCode"),
                             QStringLiteral("ccode_name"));
        const QVariant property = RsCard->Value(QStringLiteral("iAccProperty"));
        CmbiAccProperty->setListIndex(property.isNull() ? -1 : property.toInt());
        EdtcCustomerNo->setText(text(RsCard, "cCustomerNo"));
        EdtcOrgNo->setText(text(RsCard, "cOrgNo"));
        // An older code that breaks the rule is shown whole, as stored, and under the digits'
        // check: so the clerk can mend it a key at a time through texts that still break it.
        const QString unionBankNo = text(RsCard, "cUnionBankNo");
        EdtcUnionBankNo->setMaxLength(std::max(kUnionBankNoLength, int(unionBankNo.size())));
        if (acceptableUnionBankNo(unionBankNo))
            EdtcUnionBankNo->fillText(unionBankNo);
        else
            EdtcUnionBankNo->setText(unionBankNo);
        const QString sign =
            ModRef::NullToDefault(RsCard->Value(QStringLiteral("iSignFlag")), 0).toString();
        OptiSignFlag[sign == u"0" ? 0 : 1]->setValue(true);
        m_storedUnionBankNo = EdtcUnionBankNo->Text();
        lookUpBranch();
        showBranchName();
    });
    if (!filled)
        return;
    skipErrors([&] {
        EdtcBCode->setEnabled(false);
        if (EdtcBAccount->isVisible())
            EdtcBAccount->setFocus();
    });
}

QString ctlBank::KeyVal() const {
    return EdtcBCode->Text();
}

bool ctlBank::refusedEmpty(const QString& value, const char* messageKey) {
    if (!value.trimmed().isEmpty())
        return false;
    ShowInfo(m_oPub->GetResString(QString::fromLatin1(messageKey)));
    return true;
}

bool ctlBank::refusedLookup(suite::RefEdit* field, const char* emptyKey) {
    // A text that named no currency or bank left the field without a value: saying so beats
    // saying the field is empty.
    if (field->isUnmatched()) {
        ShowInfo(unmatchedMessage(field));
        return true;
    }
    return refusedEmpty(field->Value(), emptyKey);
}

QString ctlBank::accountNumberMismatch() const {
    return AccountNumberRule::ofBank(*m_SrvDB, EdtcBankCode->Value())
        .mismatch(*m_oPub, EdtcBAccount->Text());
}

void ctlBank::EdtcBAccount_LostFocus() {
    const QString checked = EdtcBankCode->Value() + u'\n' + EdtcBAccount->Text();
    if (checked == m_explainedNumber)
        return;
    m_explainedNumber = checked;
    const QString why = accountNumberMismatch();
    if (!why.isEmpty())
        ShowInfo(why);
}

bool ctlBank::accountNumberConfirmed() {
    const QString why = accountNumberMismatch();
    if (why.isEmpty())
        return true;
    QString question =
        why + u'\n' +
        m_oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.cbaccount_saveanyway"));
    constexpr int kYesNoQuestion = 4 + 32;
    constexpr int kYes = 6;
    if (m_oPub->MsgBox(question, kYesNoQuestion,
                       m_oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.question"))) ==
        kYes)
        return true;
    if (EdtcBAccount->isVisible())
        EdtcBAccount->setFocus();
    return false;
}

bool ctlBank::refusedUnionBankNo() {
    const QString code = EdtcUnionBankNo->Text();
    if (acceptableUnionBankNo(code))
        return false;
    ArchiveSession& s = ArchiveSession::current();
    s.ResParams = {code};
    ShowInfo(m_oPub->GetResFormatString(
        QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.cunionbankno_digits"), s.ResParams));
    if (EdtcUnionBankNo->isVisible())
        EdtcUnionBankNo->setFocus();
    return true;
}

bool ctlBank::isStorableAmount(const QString& amount) {
    static const QRegularExpression shape(
        QStringLiteral("^[-+]?(\\d{1,3}(,\\d{3})+|\\d+)(\\.(\\d*))?$"));
    const QRegularExpressionMatch m = shape.match(amount.trimmed());
    if (!m.hasMatch())
        return false;
    QString whole = m.captured(1);
    whole.remove(u',');
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    QString fraction = m.captured(4);
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    return whole.size() <= 15 && fraction.size() <= 4;
}

QString ctlBank::GetSaveXml(bool& bFlag) {
    bFlag = false;
    m_oPub->CheckValid(activeControl());
    // A text typed but not yet left (the clerk saves from the field, or came back to the card
    // from another window) counts as what it names.
    for (suite::RefEdit* typed : findChildren<suite::RefEdit*>())
        typed->commitTyped();
    // A code typed and saved from its field fills as leaving the field would.
    if (activeControl() == EdtcUnionBankNo)
        EdtcUnionBankNo_LostFocus();
    // The focus stays where it is: moving it would run the leave check of the field it leaves.
    if (refusedEmpty(EdtcBCode->Text(), "Tarvo.AA.ARCHIVE.COMMON.cbcode_notnull") ||
        refusedEmpty(EdtcBAccount->Text(), "Tarvo.AA.ARCHIVE.COMMON.cbaccount_notnull") ||
        refusedLookup(EdtcCurrencyName, "Tarvo.AA.ARCHIVE.COMMON.ccurrencyname") ||
        refusedEmpty(EdtcBName->Text(), "Tarvo.AA.ARCHIVE.COMMON.cbname_notnull") ||
        refusedLookup(EdtcBankCode, "Tarvo.AA.ARCHIVE.COMMON.bank_cbankcode_notnull") ||
        refusedUnionBankNo() || !unionBankNoConfirmed())
        return {};
    m_codeCheckPassed = true;
    if (activeControl() == EdtcCode)
        EdtcCode_LostFocus(nullptr);
    if (!m_codeCheckPassed || !accountNumberConfirmed())
        return {};
    const QString balance = EdtfCurBalance->Text();
    if (!balance.trimmed().isEmpty() && !isStorableAmount(balance)) {
        // Rounding a balance to what the column holds would store another amount than the
        // one the user sees.
        ArchiveSession& s = ArchiveSession::current();
        s.ResParams = {balance};
        ShowInfo(m_oPub->GetResFormatString(
            QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.fcurbalance_notexact"), s.ResParams));
        return {};
    }
    const auto e = [](const char* name, const QString& value) {
        return XmlElement(QString::fromLatin1(name), value);
    };
    const QString xml =
        QStringLiteral("<Bank>") + e("cBCode", EdtcBCode->Text()) +
        e("cBAccount", EdtcBAccount->Text()) + e("cAccName", EdtcAccName->Text()) +
        e("dOpenAccDate", EdtdOpenAccDate->Value()) +
        e("cCurrencyName", EdtcCurrencyName->Value()) +
        e("bBflag", QString::number(ChkbBflag->Value())) +
        (isEarlierBuild() ? QString() : e("bPwdMng", QString::number(chkbPwdMng->Value()))) +
        e("cBName", EdtcBName->Text()) + e("cBankCode", EdtcBankCode->Value()) +
        e("cProvinceName", EdtcProvinceName->DisplayText()) +
        e("cCountyName", EdtcCountyName->DisplayText()) +
        e("cOpenAccAddr", EdtcOpenAccAddr->Text()) +
        e("iAccProperty", QString::number(qint16(CmbiAccProperty->ListIndex()))) +
        e("cCode", EdtcCode->Tag()) + e("fCurBalance", balance) +
        e("cCustomerNo", EdtcCustomerNo->Text()) + e("cOrgNo", EdtcOrgNo->Text()) +
        e("cUnionBankNo", EdtcUnionBankNo->Text()) +
        e("iSignFlag", OptiSignFlag[0]->Value() ? QStringLiteral("0") : QStringLiteral("1")) +
        QStringLiteral("</Bank>");
    bFlag = true;
    return xml;
}

} // namespace tarvo
