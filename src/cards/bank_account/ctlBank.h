#pragma once

#include "CardControl.h"
#include "IBranchDirectory.h"

#include <optional>

class QLabel;
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
    void readAhead(const QString& key) override;
    std::function<void()> readAlong(const QString& key, const RecordsetPtr& record) override;

    /// True when an amount text (with or without group separators) fits numeric(19,4)
    /// exactly: at most 15 digits before the point and 4 after.
    static bool isStorableAmount(const QString& text);
    /// An interbank code (联行号) has this many digits.
    static constexpr int kUnionBankNoLength = 12;

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
    /// The branch directory, asked for once: null when the suite has none.
    BranchDirectoryPtr m_directory;
    bool m_directoryAsked = false;
    bool m_directoryPresent = false;
    /// The interbank code last looked up, and the branch the directory holds under it.
    QString m_branchCode;
    std::optional<BranchEntry> m_branch;
    /// The interbank code of the record shown, as stored; empty for a new record.
    QString m_storedUnionBankNo;

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
    /// The name of the branch under the interbank code, or why there is none.
    QLabel* LblUnionBankName;
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

    // The branch directory (ctlBank_branch.cpp).
    void buildBranchName();
    /// Lays the branch's name out in the interbank code's edit, after the edit is placed.
    void placeBranchName();
    /// Whether the database holds a branch directory; asked once per card.
    bool directoryPresent();
    /// Asks the directory for the code in the field, unless it was asked for it last.
    void lookUpBranch();
    /// The branch's name beside the code, or the warning for a code the directory lacks.
    void showBranchName();
    /// Fills the bank fields that are empty from the branch of the code.
    void fillFromBranch();
    void EdtcUnionBankNo_LostFocus();
    /// F2 in the interbank code: the directory's pick list.
    void pickBranch();
    /// False when a new code the directory does not list (or lists as retired) is not confirmed.
    bool unionBankNoConfirmed();

    // Record (ctlBank_record.cpp).
    /// Refuses an empty must-input value with its message.
    bool refusedEmpty(const QString& value, const char* messageKey);
    /// Refuses a lookup field whose text names no row, or that is empty.
    bool refusedLookup(suite::RefEdit* field, const char* emptyKey);
    /// Refuses an interbank code that is neither empty nor twelve digits, stored ones too, with
    /// the focus in its field.
    bool refusedUnionBankNo();
    /// Why the account number breaks the length rule of the chosen bank; empty when it keeps it.
    QString accountNumberMismatch() const;
    /// The leave check of EdtcBAccount: explains a number that breaks its bank's rule.
    void EdtcBAccount_LostFocus();
    /// False when the number breaks its bank's rule and the clerk does not confirm it.
    bool accountNumberConfirmed();
};

} // namespace tarvo
