// The bank-account card's lookups: the reference edits and their bindings, the province that
// limits the county, the ledger-account button and the check of a typed account code, and the
// user actions that tell the card window the record changed.
#include "ctlBank.h"

#include "ArchiveSession.h"
#include "CardWidgets.h"
#include "ErrorHandling.h"
#include "ModRef.h"
#include "RefEdit.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QToolButton>

namespace tarvo {

void ctlBank::SetupReferences() {
    LoginPtr login = ArchiveSession::current().oLogin;
    EdtcCurrencyName->BindRef(login, QStringLiteral("ForeignCurrency_AA"));
    EdtcBankCode->BindRef(login, QStringLiteral("AA_Bank_AA"));
    EdtcProvinceName->setRefCheck(false);
    EdtcCountyName->setRefCheck(false);
    EdtcProvinceName->setRefMode(1);
    EdtcCountyName->setRefMode(1);
    EdtcProvinceName->BindRef(
        login, QStringLiteral("hr_ct007_AA"), false,
        QStringLiteral("<Ref><RefSet  cRefFilterSql='#FN[ilevels]=0 ' /></Ref>"));
    EdtcCountyName->BindRef(login, QStringLiteral("hr_ct007_AA"));
}

void ctlBank::connectChanges() {
    // Only what the user does counts: the card's own filling and emptying set these controls
    // too, and must leave the save button as the card window put it.
    reportEditsChangedByUser();
    for (suite::RefEdit* edit : findChildren<suite::RefEdit*>())
        connect(edit, &suite::RefEdit::RefChange, this, &CardControl::ActiveSaveBtn);
    for (suite::CheckBox* check : {chkbPwdMng, ChkbBflag})
        connect(check, &QCheckBox::clicked, this, &CardControl::ActiveSaveBtn);
    for (suite::OptionButton* option : OptiSignFlag)
        connect(option, &QRadioButton::clicked, this, &CardControl::ActiveSaveBtn);
    connect(CmbiAccProperty, &QComboBox::activated, this, &CardControl::ActiveSaveBtn);
    connect(cmdref4, &QToolButton::clicked, this, [this] { cmdref_Click(4); });

    // A new province drops the county, whether typed or picked; a stored record filled in
    // by the card keeps both.
    connect(EdtcProvinceName, &suite::Edit::UserChange, EdtcCountyName, &suite::RefEdit::Reset);
    connect(EdtcProvinceName, &suite::RefEdit::RefChange, EdtcCountyName, &suite::RefEdit::Reset);
    connect(EdtcCountyName, &suite::RefEdit::BeforeReference, this,
            [this](QString& conditionXml, QString& filter, QVariant&) {
                EdtcCounty_BeforeReference(conditionXml, filter);
            });

    // A typed account carries no code until it is checked or picked.
    connect(EdtcCode, &suite::Edit::UserChange, this,
            [this] { ModRef::ClearRefEditCode(*EdtcCode); });
    for (QWidget* field : {static_cast<QWidget*>(EdtcCode), static_cast<QWidget*>(EdtcBAccount)})
        field->installEventFilter(this);
    for (int i = 0; i < 4; ++i)
        lookupField(i)->installEventFilter(this);
}

bool ctlBank::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EdtcUnionBankNo && event->type() == QEvent::Resize)
        placeBranchName();
    if (watched == EdtcUnionBankNo && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2 && directoryPresent()) {
        pickBranch();
        return true;
    }
    // A window switch, a minimize, a menu or a message box of the card's own takes the focus
    // too; only the clerk moving on to another control of the card leaves a field.
    const bool left = event->type() == QEvent::FocusOut &&
                      static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason &&
                      static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
    if (!left)
        return CardControl::eventFilter(watched, event);
    if (watched == EdtcCode)
        EdtcCode_LostFocus(QApplication::focusWidget());
    else if (watched == EdtcBAccount)
        EdtcBAccount_LostFocus();
    else if (watched == EdtcUnionBankNo)
        EdtcUnionBankNo_LostFocus();
    else if (auto* lookup = qobject_cast<suite::RefEdit*>(watched); lookup && lookup->isTyped()) {
        lookup->commitTyped();
        if (lookup->isUnmatched())
            refuseUnmatched(lookup);
    }
    return CardControl::eventFilter(watched, event);
}

void ctlBank::refuseUnmatched(suite::RefEdit* field) {
    // The message names what was typed, since the field is emptied for the clerk to try again.
    const QString why = unmatchedMessage(field);
    field->Reset();
    ShowInfo(why);
    field->setFocus();
}

QString ctlBank::unmatchedMessage(suite::RefEdit* field) const {
    const char* key = field == EdtcCurrencyName ? "Tarvo.AA.ARCHIVE.COMMON.unknown_currency"
                                                : "Tarvo.AA.ARCHIVE.COMMON.unknown_bank";
    ArchiveSession& s = ArchiveSession::current();
    s.ResParams = {field->text().trimmed()};
    return m_oPub->GetResFormatString(QString::fromLatin1(key), s.ResParams);
}

void ctlBank::EdtcCounty_BeforeReference(QString& conditionXml, QString& filter) {
    const QString province = EdtcProvinceName->Value();
    if (province.isEmpty())
        return;
    // The edits refuse every character that would need escaping; a stored value shown may
    // still hold one, and must not break the XML.
    conditionXml = QStringLiteral("<RefConditions>") +
                   QStringLiteral("<Condition paramName='@cpCodeId' paramValue='") +
                   suite::RefEdit::attributeText(province) + QStringLiteral("' />") +
                   QStringLiteral("</RefConditions>");
    filter = QStringLiteral("#FN[cpCodeId]=@cpCodeId");
}

void ctlBank::cmdref_Click(int index) {
    // The click itself counts as a change, before the lookup opens and whatever it brings.
    Q_EMIT ActiveSaveBtn();
    if (index != 4) {
        if (suite::RefEdit* field = lookupField(index))
            field->openReference();
        return;
    }
    ModRef::ShowAccountCodeReference(*EdtcCode);
}

suite::RefEdit* ctlBank::lookupField(int index) const {
    switch (index) {
    case 0:
        return EdtcCurrencyName;
    case 1:
        return EdtcBankCode;
    case 2:
        return EdtcProvinceName;
    case 3:
        return EdtcCountyName;
    default:
        return nullptr;
    }
}

void ctlBank::AddLookupButtons() {
    const auto beside = [](suite::RefEdit* field, const QString& name) {
        // The field's own button gives way to one beside it, in the field's width.
        if (auto* own = field->findChild<QAction*>(field->objectName() + QStringLiteral("_ref")))
            own->setVisible(false);
        const QRect r = field->property("tarvo.twips").toRect();
        placeTwips(field, r.x(), r.y(), r.width() - 300, r.height());
        auto* button = new QToolButton(field->parentWidget());
        button->setObjectName(name);
        button->setText(QStringLiteral("…"));
        button->setFocusPolicy(Qt::NoFocus);
        placeTwips(button, r.x() + r.width() - 300, r.y(), 300, r.height());
        return button;
    };
    for (int i = 0; i < 4; ++i)
        connect(beside(lookupField(i), QStringLiteral("cmdref") + QString::number(i)),
                &QToolButton::clicked, this, [this, i] { cmdref_Click(i); });
    connect(beside(EdtdOpenAccDate, QStringLiteral("CmdDate0")), &QToolButton::clicked, this,
            [this] { CmdDate_Click(0); });
}

void ctlBank::CmdDate_Click(int index) {
    if (index != 0)
        return;
    ModRef::ShowDatePicker(*EdtdOpenAccDate, Frame1);
    // The calendar writes the edit's text; the date saved is the edit's value.
    if (EdtdOpenAccDate->text() != EdtdOpenAccDate->Value()) {
        EdtdOpenAccDate->setValue(EdtdOpenAccDate->text());
        Q_EMIT ActiveSaveBtn();
    }
}

void ctlBank::EdtcCode_LostFocus(QWidget* nowFocused) {
    if (EdtcCode->Text().isEmpty() || nowFocused == cmdref4)
        return;
    QString table = QStringLiteral("code");
    QString condition = QStringLiteral("(bEnd=1)");
    if (!ModRef::CheckTypedCode(table, *EdtcCode, condition))
        m_codeCheckPassed = false;
}

} // namespace tarvo
