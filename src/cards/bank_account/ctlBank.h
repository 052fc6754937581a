#pragma once

#include "CardControl.h"

class QToolButton;

namespace tarvo {
namespace suite {
class CheckBox;
class ComboBox;
class Edit;
class Frame;
class KeyHook;
class Label;
class OptionButton;
class RefEdit;
} // namespace suite

/// The card of the company's bank accounts: the account, its opening bank and the bank of the
/// bank archive it belongs to, and, for online banking, the account property, ledger account
/// and current balance.
class ctlBank : public CardControl {
    Q_OBJECT
public:
    explicit ctlBank(QWidget* parent = nullptr);

    bool Init(ClsCommonPtr& SrvDB, PubPtr& oPub, QString& sXml, ComVarPtr& var) override;
    void Emptyallfields() override;
    void FillAllFields(RecordsetPtr& RsCard) override;
    QString KeyVal() const override;
    QString GetSaveXml(bool& bFlag) override;

    /// True when an amount text (with or without group separators) fits numeric(19,4)
    /// exactly: at most 15 digits before the point and 4 after.
    static bool isStorableAmount(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ClsCommonPtr m_SrvDB;
    PubPtr m_oPub;
    ComVarPtr m_ComVar;
    /// False after a typed account code was refused; read when the save XML is built.
    bool m_codeCheckPassed = true;
    /// The bank and account number last checked on leaving the field: tabbing through it
    /// again does not repeat the same explanation.
    QString m_explainedNumber;

    suite::Frame* Frame1;
    suite::Frame* FrameAcc;
    suite::Frame* FrameBank;
    suite::Frame* frameNB;
    QWidget* Frame2;
    QWidget* Frame3;
    suite::Edit* EdtcBCode;
    suite::Edit* EdtcBAccount;
    suite::Edit* EdtcAccName;
    suite::RefEdit* EdtdOpenAccDate;
    suite::RefEdit* EdtcCurrencyName;
    suite::CheckBox* chkbPwdMng;
    suite::CheckBox* ChkbBflag;
    suite::Edit* EdtcBName;
    suite::RefEdit* EdtcBankCode;
    suite::Edit* EdtcCustomerNo;
    suite::Edit* EdtcOrgNo;
    suite::Edit* EdtcUnionBankNo;
    suite::Edit* EdtcOpenAccAddr;
    suite::RefEdit* EdtcProvinceName;
    suite::RefEdit* EdtcCountyName;
    suite::OptionButton* OptiSignFlag[2];
    suite::ComboBox* CmbiAccProperty;
    suite::Edit* EdtcCode;
    suite::Edit* EdtfCurBalance;
    QToolButton* cmdref4;
    suite::KeyHook* MoxFrmKeyHook;
    /// The fields in tab order, as Enter walks them.
    QList<QWidget*> m_tabOrder;

    // Layout and keys (ctlBank.cpp).
    void buildFields();
    void SetupLayout(int helpId);
    void SetFieldLengths();
    void MoxFrmKeyHook_KeyDown(int keyCode, int shift);
    void MoxFrmKeyHook_KeyPress(int ascii);
    void focusNextField(QWidget* from);

    // Lookups (ctlBank_lookups.cpp).
    void SetupReferences();
    void connectChanges();
    void cmdref_Click(int index);
    /// The earlier card looks up through buttons beside its fields: cmdref0 to cmdref3 for
    /// currency, bank, province and county, CmdDate0 for the opening date.
    void AddLookupButtons();
    suite::RefEdit* lookupField(int index) const;
    void CmdDate_Click(int index);
    void EdtcCounty_BeforeReference(QString& conditionXml, QString& filter);
    /// Why the text of a lookup field names no currency or bank.
    QString unmatchedMessage(suite::RefEdit* field) const;
    /// A currency or bank typed that names none, on leaving the field: the message, the field
    /// emptied and the focus back in it.
    void refuseUnmatched(suite::RefEdit* field);
    /// The leave check of EdtcCode: a typed account must be one end-level account.
    void EdtcCode_LostFocus(QWidget* nowFocused);

    // Record (ctlBank_record.cpp).
    /// Refuses an empty must-input value with its message.
    bool refusedEmpty(const QString& value, const char* messageKey);
    /// Refuses a lookup field whose text names no row, or that is empty.
    bool refusedLookup(suite::RefEdit* field, const char* emptyKey);
    /// Why the account number breaks the length rule of the chosen bank; empty when it keeps it.
    QString accountNumberMismatch() const;
    /// The leave check of EdtcBAccount: explains a number that breaks its bank's rule.
    void EdtcBAccount_LostFocus();
    /// False when the number breaks its bank's rule and the clerk does not confirm it.
    bool accountNumberConfirmed();
};

} // namespace tarvo
