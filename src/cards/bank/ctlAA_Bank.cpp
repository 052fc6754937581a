#include "ctlAA_Bank.h"

#include "CardWidgets.h"
#include "Edit.h"
#include "ErrorHandling.h"
#include "KeyHook.h"
#include "ModRef.h"
#include "XmlTags.h"

#include <QSignalBlocker>

namespace tarvo {

namespace {

const QString kConstructionBank = QStringLiteral("中国建设银行");

suite::Edit* newEdit(QWidget* parent, const char* name) {
    auto* e = new suite::Edit(parent, QString::fromLatin1(name));
    e->setBadstr(suite::Edit::standardBadstr());
    return e;
}

} // namespace

ctlAA_Bank::ctlAA_Bank(QWidget* parent)
    : CardControl(parent), Framebase(new suite::Frame(this, "Framebase", "基本信息")),
      EdtcBankCode(newEdit(Framebase, "EdtcBankCode")),
      EdtcBankName(newEdit(Framebase, "EdtcBankName")),
      LblcBankCode(new suite::Label(Framebase, "LblcBankCode", "银行编码", "1")),
      lblcBankName(new suite::Label(Framebase, "lblcBankName", "银行名称", "1")),
      FrameInd(new suite::Frame(this, "FrameInd", "个人账户规则")),
      ChkbIndFixLen(new suite::CheckBox(FrameInd, "ChkbIndFixLen")),
      EdtiIndAccNoLen(newEdit(FrameInd, "EdtiIndAccNoLen")),
      EdtiIndAutoInputLen(newEdit(FrameInd, "EdtiIndAutoInputLen")),
      EdtcIndUnitcode(newEdit(FrameInd, "EdtcIndUnitcode")),
      LbliIndAccNoLen(new suite::Label(FrameInd, "LbliIndAccNoLen", "账号长度")),
      LbliIndAutoInputLen(new suite::Label(FrameInd, "LbliIndAutoInputLen", "自动带出账号长度")),
      LblcIndUnitcode(new suite::Label(FrameInd, "LblcIndUnitcode", "单位编码", "1")),
      FrameCom(new suite::Frame(this, "FrameCom", "企业账户规则")),
      ChkbComdFixLen(new suite::CheckBox(FrameCom, "ChkbComdFixLen")),
      EdtiComAccNoLen(newEdit(FrameCom, "EdtiComAccNoLen")),
      lbliComAccNoLen(new suite::Label(FrameCom, "lbliComAccNoLen", "账号长度")),
      MoxFrmKeyHook(new suite::KeyHook(this)) {
    setObjectName(QStringLiteral("ctlAA_Bank1"));
    ChkbIndFixLen->setText(QStringLiteral("是否定长"));
    ChkbComdFixLen->setText(QStringLiteral("是否定长"));
    placeTwips(Framebase, 180, 150, 5175, 2715);
    placeTwips(EdtcBankCode, 1200, 390, 3780, 285);
    placeTwips(EdtcBankName, 1200, 930, 3780, 285);
    placeTwips(LblcBankCode, 330, 420, 870, 195);
    placeTwips(lblcBankName, 330, 960, 870, 195);
    placeTwips(FrameInd, 5520, 150, 5595, 5745);
    placeTwips(ChkbIndFixLen, 330, 420, 4965, 255);
    placeTwips(EdtiIndAccNoLen, 1920, 870, 3420, 285);
    placeTwips(EdtiIndAutoInputLen, 1920, 1395, 3420, 285);
    placeTwips(EdtcIndUnitcode, 1920, 1950, 3420, 285);
    placeTwips(LbliIndAccNoLen, 330, 945, 1560, 195);
    placeTwips(LbliIndAutoInputLen, 330, 1410, 1590, 195);
    placeTwips(LblcIndUnitcode, 330, 1950, 1560, 195);
    placeTwips(FrameCom, 180, 2970, 5175, 2925);
    placeTwips(ChkbComdFixLen, 300, 390, 4665, 255);
    placeTwips(EdtiComAccNoLen, 1200, 870, 3780, 285);
    placeTwips(lbliComAccNoLen, 300, 900, 840, 195);
    resize(pixels(kWidthTwips), pixels(kHeightTwips));

    // Tab order: code, name, company rules, individual rules.
    for (QWidget* w :
         {static_cast<QWidget*>(EdtcBankCode), static_cast<QWidget*>(EdtcBankName),
          static_cast<QWidget*>(ChkbComdFixLen), static_cast<QWidget*>(EdtiComAccNoLen),
          static_cast<QWidget*>(ChkbIndFixLen), static_cast<QWidget*>(EdtiIndAccNoLen),
          static_cast<QWidget*>(EdtiIndAutoInputLen), static_cast<QWidget*>(EdtcIndUnitcode)})
        w->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(EdtcBankCode, EdtcBankName);
    setTabOrder(EdtcBankName, ChkbComdFixLen);
    setTabOrder(ChkbComdFixLen, EdtiComAccNoLen);
    setTabOrder(EdtiComAccNoLen, ChkbIndFixLen);
    setTabOrder(ChkbIndFixLen, EdtiIndAccNoLen);
    setTabOrder(EdtiIndAccNoLen, EdtiIndAutoInputLen);
    setTabOrder(EdtiIndAutoInputLen, EdtcIndUnitcode);

    LblcIndUnitcode->hide();
    EdtcIndUnitcode->hide();
    EdtiComAccNoLen->setEnabled(false);

    connect(ChkbComdFixLen, &suite::CheckBox::Click, this, [this] {
        Q_EMIT ActiveSaveBtn();
        EdtiComAccNoLen->setEnabled(ChkbComdFixLen->Value() == 1);
    });
    connect(ChkbIndFixLen, &suite::CheckBox::Click, this, &CardControl::ActiveSaveBtn);
    reportEditsChangedByUser();
    connect(EdtcBankName, &suite::Edit::Change, this, [this] {
        const bool construction = EdtcBankName->Text() == kConstructionBank;
        LblcIndUnitcode->setVisible(construction);
        EdtcIndUnitcode->setVisible(construction);
    });
    connect(MoxFrmKeyHook, &suite::KeyHook::keyDown, this, &ctlAA_Bank::MoxFrmKeyHook_KeyDown);
    connect(MoxFrmKeyHook, &suite::KeyHook::keyPress, this, &ctlAA_Bank::MoxFrmKeyHook_KeyPress);
    MoxFrmKeyHook->attach(this);
}

bool ctlAA_Bank::Init(ClsCommonPtr& SrvDB, PubPtr& oPub, QString& sXml, ComVarPtr& var) {
    try {
        m_SrvDB = SrvDB;
        m_oPub = oPub;
        m_ComVar = var;
        layOut(*m_oPub, "Tarvo.AA.ARCHIVE.TARVOARCHIVE.ctlAA_Bank");
        m_oPub->UtoLCase(sXml);
        const int helpId =
            GetXmlTagValue(sXml, QStringLiteral("HelpContextId"), QStringLiteral("0")).toInt();
        SetupLayout(helpId);
        SetFieldLengths();
        m_oPub->SetLabelCaption(m_SrvDB, controls(), QStringLiteral("AA_Bank"));
        Framebase->setTitle(
            m_oPub->GetResString(QStringLiteral("Tarvo.AA.TARVOARCHIVE.CTLAA_BANK.baseinfo")));
        FrameCom->setTitle(
            m_oPub->GetResString(QStringLiteral("Tarvo.AA.TARVOARCHIVE.CTLAA_BANK.cominfo")));
        FrameInd->setTitle(
            m_oPub->GetResString(QStringLiteral("Tarvo.AA.TARVOARCHIVE.CTLAA_BANK.indinfo")));
        const QString locale = m_oPub->M_LocaleId();
        ChkbComdFixLen->setText(withoutFiller(
            m_oPub->GetResString(QStringLiteral("Tarvo.AA.TARVOARCHIVE.CTLAA_BANK.bcomdfixlen")),
            locale));
        ChkbIndFixLen->setText(withoutFiller(
            m_oPub->GetResString(QStringLiteral("Tarvo.AA.TARVOARCHIVE.CTLAA_BANK.bindfixlen")),
            locale));
        LbliIndAutoInputLen->setText(m_oPub->GetResString(
            QStringLiteral("Tarvo.AA.TARVOARCHIVE.CTLAA_BANK.iindautoinputlen")));
        lbliComAccNoLen->setText(
            m_oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.FIELD.PUB.accnolen")));
        LbliIndAccNoLen->setText(lbliComAccNoLen->text());
        fitCaptions();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

QString ctlAA_Bank::withoutFiller(const QString& text, const QString& localeId) {
    QString out = text;
    return out.remove(localeId.toLower() == u"en-us" ? QStringLiteral("or not")
                                                     : QStringLiteral("是否"));
}

void ctlAA_Bank::SetupLayout(int helpId) {
    styleControls(*m_oPub, helpId);
    for (suite::Edit* digits :
         {EdtiComAccNoLen, EdtiIndAccNoLen, EdtiIndAutoInputLen, EdtcIndUnitcode})
        digits->setPlaceholderText(QStringLiteral("-"));
}

void ctlAA_Bank::SetFieldLengths() {
    QString sql = QStringLiteral("select top 0 * from aa_bank");
    const RecordsetPtr rs = m_SrvDB->OpenX(sql);
    if (!rs) {
        ShowInfo(m_oPub->GetResString(QStringLiteral("Tarvo.AAARCHIVE.COMMON.dbversionold")));
        return;
    }
    EdtcBankCode->setMaxLength(rs->Field(QStringLiteral("cBankCode")).definedSize);
    EdtcBankName->setMaxLength(rs->Field(QStringLiteral("cBankName")).definedSize);
    m_oPub->SetIntLen(EdtiIndAccNoLen, 2);
    m_oPub->SetIntLen(EdtiIndAutoInputLen, 2);
    m_oPub->SetIntLen(EdtcIndUnitcode, rs->Field(QStringLiteral("cIndUnitcode")).definedSize);
    m_oPub->SetIntLen(EdtiComAccNoLen, 2);
}

void ctlAA_Bank::Emptyallfields() {
    for (QWidget* control : controls()) {
        if (auto* check = qobject_cast<suite::CheckBox*>(control)) {
            check->setValue(0);
        } else if (auto* edit = qobject_cast<suite::Edit*>(control)) {
            edit->setText(QString());
            edit->setUTooltipText(QString());
            edit->setTag(QString());
        }
    }
    EdtcBankCode->setEnabled(true);
    if (EdtcBankCode->isVisible())
        EdtcBankCode->setFocus();
}

void ctlAA_Bank::FillAllFields(RecordsetPtr& RsCard) {
    using ModRef::FieldToCheckValue;
    using ModRef::NullToDefault;
    const bool filled = reportErrors([&] {
        const QString empty;
        auto fill = [&](suite::Edit* edit, const QString& field) {
            edit->fillText(NullToDefault(RsCard->Value(field), empty).toString());
        };
        fill(EdtcBankCode, QStringLiteral("cBankCode"));
        fill(EdtcBankName, QStringLiteral("cBankName"));
        {
            // A record shown is no change by the user: the boxes' Click would offer to save
            // it, and the card window takes that offer back at once.
            const QSignalBlocker comBlocker(ChkbComdFixLen);
            const QSignalBlocker indBlocker(ChkbIndFixLen);
            ChkbComdFixLen->setValue(FieldToCheckValue(RsCard, QStringLiteral("bComdFixLen"), 0));
            ChkbIndFixLen->setValue(FieldToCheckValue(RsCard, QStringLiteral("bIndFixLen"), 0));
        }
        EdtiComAccNoLen->setEnabled(ChkbComdFixLen->Value() == 1);
        fill(EdtiComAccNoLen, QStringLiteral("iComAccNoLen"));
        fill(EdtiIndAccNoLen, QStringLiteral("iIndAccNoLen"));
        fill(EdtiIndAutoInputLen, QStringLiteral("iIndAutoInputLen"));
        fill(EdtcIndUnitcode, QStringLiteral("cIndUnitcode"));
    });
    if (!filled)
        return;
    EdtcBankCode->setEnabled(false);
    if (FieldToCheckValue(RsCard, QStringLiteral("bSysData"), 0) == 1) {
        EdtcBankName->setEnabled(false);
        if (ChkbComdFixLen->isVisible())
            ChkbComdFixLen->setFocus();
    } else {
        EdtcBankName->setEnabled(true);
        if (EdtcBankName->isVisible())
            EdtcBankName->setFocus();
    }
}

QString ctlAA_Bank::KeyVal() const {
    return EdtcBankCode->Text();
}

QString ctlAA_Bank::GetSaveXml(bool& bFlag) {
    bFlag = false;
    for (suite::Edit* must : {EdtcBankCode, EdtcBankName}) {
        if (must->Text().trimmed().isEmpty()) {
            ShowInfo(
                m_oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.cbankcode_notnull")));
            // Where the clerk has to type next.
            if (must->isEnabled() && must->isVisible())
                must->setFocus();
            return {};
        }
    }
    // A fixed length without one would make every account number of the bank look wrong.
    bool isNumber = false;
    const int length = EdtiComAccNoLen->Text().trimmed().toInt(&isNumber);
    if (ChkbComdFixLen->Value() == 1 && (!isNumber || length < 1 || length > 40)) {
        ShowInfo(
            m_oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.icomaccnolen_range")));
        if (EdtiComAccNoLen->isEnabled() && EdtiComAccNoLen->isVisible())
            EdtiComAccNoLen->setFocus();
        return {};
    }
    const QString xml =
        QStringLiteral("<AA_Bank>") +
        XmlElement(QStringLiteral("cBankCode"), EdtcBankCode->Text()) +
        XmlElement(QStringLiteral("cBankName"), EdtcBankName->Text()) +
        XmlElement(QStringLiteral("bIndFixLen"), QString::number(ChkbIndFixLen->Value())) +
        XmlElement(QStringLiteral("iIndAccNoLen"), EdtiIndAccNoLen->Text()) +
        XmlElement(QStringLiteral("iIndAutoInputLen"), EdtiIndAutoInputLen->Text()) +
        XmlElement(QStringLiteral("cIndUnitcode"), EdtcIndUnitcode->Text()) +
        XmlElement(QStringLiteral("bComdFixLen"), QString::number(ChkbComdFixLen->Value())) +
        XmlElement(QStringLiteral("iComAccNoLen"), EdtiComAccNoLen->Text()) +
        QStringLiteral("</AA_Bank>");
    bFlag = true;
    return xml;
}

void ctlAA_Bank::MoxFrmKeyHook_KeyDown(int keyCode, int shift) {
    reportKeyDown(m_oPub.get(), keyCode, shift);
}

void ctlAA_Bank::MoxFrmKeyHook_KeyPress(int ascii) {
    QWidget* active = activeControl();
    if (ascii != 13 || !active)
        return;
    const bool input = qobject_cast<suite::Edit*>(active) || qobject_cast<QComboBox*>(active) ||
                       qobject_cast<suite::CheckBox*>(active);
    if (!input)
        return;
    MoxFrmKeyHook->consume();
    if (active == EdtcIndUnitcode || (active == EdtiIndAutoInputLen && EdtcIndUnitcode->isHidden()))
        Q_EMIT SaveRs();
    else
        suite::KeyHook::sendKey(active, Qt::Key_Tab);
}

} // namespace tarvo
