#pragma once

#include "CardControl.h"

namespace tarvo {
namespace suite {
class CheckBox;
class Edit;
class Frame;
class KeyHook;
class Label;
} // namespace suite

/// The card of the bank archive: one bank, its code and name, and the rules for the length of
/// company and individual account numbers at that bank.
class ctlAA_Bank : public CardControl {
    Q_OBJECT
public:
    explicit ctlAA_Bank(QWidget* parent = nullptr);

    bool Init(ClsCommonPtr& SrvDB, PubPtr& oPub, QString& sXml, ComVarPtr& var) override;
    void Emptyallfields() override;
    void FillAllFields(RecordsetPtr& RsCard) override;
    QString KeyVal() const override;
    QString GetSaveXml(bool& bFlag) override;

    /// The caption of a check box from its resource text without the filler word of the session
    /// language ("or not" in English, "是否" otherwise).
    static QString withoutFiller(const QString& text, const QString& localeId);

private:
    ClsCommonPtr m_SrvDB;
    PubPtr m_oPub;
    ComVarPtr m_ComVar;

    suite::Frame* Framebase;
    suite::Edit* EdtcBankCode;
    suite::Edit* EdtcBankName;
    suite::Label* LblcBankCode;
    suite::Label* lblcBankName;
    suite::Frame* FrameInd;
    suite::CheckBox* ChkbIndFixLen;
    suite::Edit* EdtiIndAccNoLen;
    suite::Edit* EdtiIndAutoInputLen;
    suite::Edit* EdtcIndUnitcode;
    suite::Label* LbliIndAccNoLen;
    suite::Label* LbliIndAutoInputLen;
    suite::Label* LblcIndUnitcode;
    suite::Frame* FrameCom;
    suite::CheckBox* ChkbComdFixLen;
    suite::Edit* EdtiComAccNoLen;
    suite::Label* lbliComAccNoLen;
    suite::KeyHook* MoxFrmKeyHook;

    void SetupLayout(int helpId);
    void SetFieldLengths();
    void MoxFrmKeyHook_KeyDown(int keyCode, int shift);
    void MoxFrmKeyHook_KeyPress(int ascii);
};

} // namespace tarvo
