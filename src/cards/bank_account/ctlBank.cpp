#include "ctlBank.h"

#include "ArchiveSession.h"
#include "BuildVariant.h"
#include "CardWidgets.h"
#include "Edit.h"
#include "ErrorHandling.h"
#include "KeyHook.h"
#include "RefEdit.h"
#include "XmlTags.h"

#include <QRegularExpressionValidator>
#include <QToolButton>

namespace tarvo {

namespace {

// Within a frame: captions, then the left and right columns of edits; rows 390 twips apart.
constexpr int kLeftCaption = 150;
// Captions get room for their English texts too.
constexpr int kLeftEdit = 1800;
constexpr int kRightCaption = 5600;
constexpr int kRightEdit = 7250;
constexpr int kEditWidth = 3650;
constexpr int kEditHeight = 285;
constexpr int kFirstRow = 300;
constexpr int kRowPitch = 390;
constexpr int kFrameWidth = 11060;

int rowTop(int row) {
    return kFirstRow + (row - 1) * kRowPitch;
}

template <typename T> T* named(T* control) {
    control->setBadstr(suite::Edit::standardBadstr());
    return control;
}

/// A field's caption in front of its edit; must-input captions carry Tag "1".
void caption(QWidget* frame, const char* name, const char* text, bool must, int row, bool right) {
    auto* label = new suite::Label(frame, QString::fromLatin1(name), QString::fromUtf8(text),
                                   must ? QStringLiteral("1") : QString());
    CardControl::placeTwips(label, right ? kRightCaption : kLeftCaption, rowTop(row) + 45, 1620,
                            200);
}

void place(QWidget* control, int row, bool right, int width = kEditWidth) {
    CardControl::placeTwips(control, right ? kRightEdit : kLeftEdit, rowTop(row), width,
                            kEditHeight);
}

} // namespace

ctlBank::ctlBank(QWidget* parent)
    : CardControl(parent), Frame1(new suite::Frame(this, "Frame1")),
      FrameAcc(new suite::Frame(Frame1, "FrameAcc", "账户信息")),
      FrameBank(new suite::Frame(Frame1, "FrameBank", "开户银行信息")),
      frameNB(new suite::Frame(Frame1, "frameNB", "网上银行信息")), Frame2(new QFrame(Frame1)),
      Frame3(new QFrame(Frame1)), MoxFrmKeyHook(new suite::KeyHook(this)) {
    setObjectName(QStringLiteral("ctlBank1"));
    buildFields();
    buildBranchName();
    resize(pixels(kWidthTwips), pixels(kHeightTwips));
    connectChanges();
    connect(MoxFrmKeyHook, &suite::KeyHook::keyDown, this, &ctlBank::MoxFrmKeyHook_KeyDown);
    connect(MoxFrmKeyHook, &suite::KeyHook::keyPress, this, &ctlBank::MoxFrmKeyHook_KeyPress);
    MoxFrmKeyHook->attach(this);
}

void ctlBank::buildFields() {
    // The earlier card has no password row: what lies below it moves up into its place.
    const int lift = isEarlierBuild() ? kRowPitch : 0;
    placeTwips(Frame1, 0, 0, kWidthTwips, kHeightTwips);
    placeTwips(FrameAcc, 120, 60, kFrameWidth, 1900 - lift);
    placeTwips(FrameBank, 120, 2040 - lift, kFrameWidth, 2280);
    placeTwips(frameNB, 120, 4400 - lift, kFrameWidth, 1140);
    for (auto [line, top] : {std::pair{Frame2, 1990 - lift}, std::pair{Frame3, 4350 - lift}}) {
        static_cast<QFrame*>(line)->setFrameShape(QFrame::HLine);
        static_cast<QFrame*>(line)->setFrameShadow(QFrame::Sunken);
        placeTwips(line, 120, top, kFrameWidth, 30);
    }
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame3->setObjectName(QStringLiteral("Frame3"));

    using suite::RefEdit;
    EdtcBCode = named(new suite::Edit(FrameAcc, QStringLiteral("EdtcBCode")));
    EdtcBAccount = named(new suite::Edit(FrameAcc, QStringLiteral("EdtcBAccount")));
    EdtcAccName = named(new suite::Edit(FrameAcc, QStringLiteral("EdtcAccName")));
    EdtdOpenAccDate =
        named(new RefEdit(FrameAcc, QStringLiteral("EdtdOpenAccDate"), RefEdit::DateRef));
    EdtcCurrencyName =
        named(new RefEdit(FrameAcc, QStringLiteral("EdtcCurrencyName"), RefEdit::TableRef));
    ChkbBflag = new suite::CheckBox(FrameAcc, QStringLiteral("ChkbBflag"));
    chkbPwdMng = new suite::CheckBox(FrameAcc, QStringLiteral("chkbPwdMng"));
    EdtcBName = named(new suite::Edit(FrameBank, QStringLiteral("EdtcBName")));
    EdtcBankCode = named(new RefEdit(FrameBank, QStringLiteral("EdtcBankCode"), RefEdit::TableRef));
    EdtcCustomerNo = named(new suite::Edit(FrameBank, QStringLiteral("EdtcCustomerNo")));
    EdtcOrgNo = named(new suite::Edit(FrameBank, QStringLiteral("EdtcOrgNo")));
    EdtcUnionBankNo = named(new suite::Edit(FrameBank, QStringLiteral("EdtcUnionBankNo")));
    EdtcOpenAccAddr = named(new suite::Edit(FrameBank, QStringLiteral("EdtcOpenAccAddr")));
    EdtcProvinceName =
        named(new RefEdit(FrameBank, QStringLiteral("EdtcProvinceName"), RefEdit::TableRef));
    EdtcCountyName =
        named(new RefEdit(FrameBank, QStringLiteral("EdtcCountyName"), RefEdit::TableRef));
    OptiSignFlag[0] = new suite::OptionButton(FrameBank, QStringLiteral("OptiSignFlag0"));
    OptiSignFlag[1] = new suite::OptionButton(FrameBank, QStringLiteral("OptiSignFlag1"));
    CmbiAccProperty = new suite::ComboBox(frameNB, QStringLiteral("CmbiAccProperty"));
    EdtcCode = named(new suite::Edit(frameNB, QStringLiteral("EdtcCode")));
    EdtfCurBalance = named(new suite::Edit(frameNB, QStringLiteral("EdtfCurBalance")));
    cmdref4 = new QToolButton(frameNB);
    cmdref4->setObjectName(QStringLiteral("cmdref4"));
    cmdref4->setText(QStringLiteral("…"));
    // Digits only, as many as an interbank code has, however they come in: the card's own
    // rule, whatever public services set the other fields up.
    EdtcUnionBankNo->setMaxLength(kUnionBankNoLength);
    EdtcUnionBankNo->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kUnionBankNoLength)),
        EdtcUnionBankNo));
    EdtdOpenAccDate->setMaxLength(30);
    EdtdOpenAccDate->setProperty(5);
    EdtfCurBalance->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ChkbBflag->setText(QStringLiteral("是否暂封"));
    chkbPwdMng->setText(QStringLiteral("进行密码管理"));
    OptiSignFlag[0]->setText(QStringLiteral("检查收付款账号"));
    OptiSignFlag[1]->setText(QStringLiteral("只检查付款账号"));

    caption(FrameAcc, "LblcBCode", "编码", true, 1, false);
    place(EdtcBCode, 1, false);
    caption(FrameAcc, "LblcBAccount", "银行账号", true, 1, true);
    place(EdtcBAccount, 1, true);
    caption(FrameAcc, "LblcAccName", "账户名称", false, 2, false);
    place(EdtcAccName, 2, false);
    caption(FrameAcc, "LbldOpenAccDate", "开户日期", false, 2, true);
    place(EdtdOpenAccDate, 2, true);
    caption(FrameAcc, "LblcCurrencyName", "币种", true, 3, false);
    place(EdtcCurrencyName, 3, false);
    place(ChkbBflag, 3, true);
    place(chkbPwdMng, 4, false);
    caption(FrameBank, "LblcBName", "开户银行", true, 1, false);
    place(EdtcBName, 1, false);
    caption(FrameBank, "LblcBankCode", "所属银行", true, 1, true);
    place(EdtcBankCode, 1, true);
    caption(FrameBank, "LblcCustomerNo", "客户编号", false, 2, false);
    place(EdtcCustomerNo, 2, false);
    caption(FrameBank, "LblcOrgNo", "机构号", false, 2, true);
    place(EdtcOrgNo, 2, true);
    caption(FrameBank, "LblcUnionBankNo", "联行号", false, 3, false);
    place(EdtcUnionBankNo, 3, false);
    caption(FrameBank, "LblcOpenAccAddr", "开户银行地址", false, 3, true);
    place(EdtcOpenAccAddr, 3, true);
    caption(FrameBank, "lblcProvinceName", "省/自治区", false, 4, false);
    place(EdtcProvinceName, 4, false);
    caption(FrameBank, "lblcCountyName", "市/县", false, 4, true);
    place(EdtcCountyName, 4, true);
    caption(FrameBank, "lbliSignFlag", "签约标志", false, 5, false);
    place(OptiSignFlag[0], 5, false);
    place(OptiSignFlag[1], 5, true);
    caption(frameNB, "lbliAccProperty", "账户属性", false, 1, false);
    place(CmbiAccProperty, 1, false);
    caption(frameNB, "lblcCode", "对应科目", false, 1, true);
    place(EdtcCode, 1, true, kEditWidth - 300);
    placeTwips(cmdref4, kRightEdit + kEditWidth - 300, rowTop(1), 300, kEditHeight);
    caption(frameNB, "lblfCurBalance", "当前余额", false, 2, false);
    place(EdtfCurBalance, 2, false);

    m_tabOrder = {EdtcBCode,        EdtcBAccount,   EdtcAccName,     EdtdOpenAccDate,
                  EdtcCurrencyName, chkbPwdMng,     EdtcBName,       EdtcBankCode,
                  EdtcCustomerNo,   EdtcOrgNo,      EdtcUnionBankNo, EdtcOpenAccAddr,
                  EdtcProvinceName, EdtcCountyName, OptiSignFlag[0], OptiSignFlag[1],
                  CmbiAccProperty,  EdtcCode,       EdtfCurBalance,  cmdref4,
                  ChkbBflag};
    if (isEarlierBuild()) {
        // The earlier card has no password management: the box is neither shown nor reached.
        chkbPwdMng->hide();
        m_tabOrder.removeOne(chkbPwdMng);
        AddLookupButtons();
    }
    for (qsizetype i = 0; i < m_tabOrder.size(); ++i) {
        m_tabOrder[i]->setFocusPolicy(Qt::StrongFocus);
        if (i > 0)
            setTabOrder(m_tabOrder[i - 1], m_tabOrder[i]);
    }
}

bool ctlBank::Init(ClsCommonPtr& SrvDB, PubPtr& oPub, QString& sXml, ComVarPtr& var) {
    try {
        m_SrvDB = SrvDB;
        m_oPub = oPub;
        m_ComVar = var;
        SetupReferences();
        layOut(*m_oPub, "Tarvo.AA.ARCHIVE.TARVOARCHIVE.ctlBank");
        m_oPub->UtoLCase(sXml);
        const int helpId =
            GetXmlTagValue(sXml, QStringLiteral("HelpContextId"), QStringLiteral("0")).toInt();
        SetupLayout(helpId);
        SetFieldLengths();
        m_oPub->SetLabelCaption(m_SrvDB, controls(), QStringLiteral("Bank_NB"));
        // Frames and check boxes have no column of their own in the data dictionary.
        for (auto [control, key] :
             {std::pair<QWidget*, const char*>{FrameAcc, "Tarvo.AA.TARVOARCHIVE.CTLBANK.accinfo"},
              {FrameBank, "Tarvo.AA.TARVOARCHIVE.CTLBANK.bankinfo"},
              {frameNB, "Tarvo.AA.TARVOARCHIVE.CTLBANK.nbinfo"},
              {ChkbBflag, "Tarvo.AA.TARVOARCHIVE.CTLBANK.bbflag"},
              {chkbPwdMng, "Tarvo.AA.TARVOARCHIVE.CTLBANK.bpwdmng"}}) {
            const QString caption = m_oPub->GetResString(QString::fromLatin1(key));
            if (auto* frame = qobject_cast<suite::Frame*>(control))
                frame->setTitle(caption);
            else
                static_cast<suite::CheckBox*>(control)->setText(caption);
        }
        const QStringList& signs = ArchiveSession::current().SignFlagText;
        OptiSignFlag[0]->setText(signs.size() > 1 ? signs[1]
                                                  : m_oPub->GetResString(QStringLiteral(
                                                        "Tarvo.AA.ARCHIVE.COMMON.isignflag1")));
        OptiSignFlag[1]->setText(!signs.isEmpty() ? signs[0]
                                                  : m_oPub->GetResString(QStringLiteral(
                                                        "Tarvo.AA.ARCHIVE.COMMON.isignflag0")));
        fitCaptions();
        directoryPresent();
        placeBranchName();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ctlBank::SetupLayout(int helpId) {
    styleControls(*m_oPub, helpId);
    for (suite::OptionButton* option : OptiSignFlag)
        option->setFont(findChild<suite::Label*>(QStringLiteral("LblcBCode"))->font());
    CmbiAccProperty->clear();
    for (const char* key :
         {"Tarvo.AA.ARCHIVE.COMMON.iaccproperty0", "Tarvo.AA.ARCHIVE.COMMON.iaccproperty1",
          "Tarvo.AA.ARCHIVE.COMMON.iaccproperty2"})
        CmbiAccProperty->addItem(m_oPub->GetResString(QString::fromLatin1(key)));
    CmbiAccProperty->setListIndex(0);
    frameNB->setVisible(ArchiveSession::current().sSysId.toUpper() == u"NB");
    skipErrors([&] {
        const QVariant picture = m_oPub->GetRes(101);
        if (picture.canConvert<QIcon>())
            cmdref4->setIcon(picture.value<QIcon>());
    });
}

void ctlBank::SetFieldLengths() {
    reportErrors([&] {
        QString sql = QStringLiteral("select top 0 * from bank,code,aa_bank");
        const RecordsetPtr rs = m_SrvDB->OpenX(sql);
        if (!rs) {
            ShowInfo(m_oPub->GetResString(QStringLiteral("Tarvo.AAARCHIVE.COMMON.dbversionold")));
            return;
        }
        const auto size = [&](const char* field) {
            return rs->Field(QString::fromLatin1(field)).definedSize;
        };
        EdtcBCode->setMaxLength(size("cBCode"));
        EdtcBAccount->setMaxLength(size("cBAccount"));
        EdtcAccName->setMaxLength(size("cAccName"));
        EdtcCurrencyName->setMaxLength(size("cCurrencyName"));
        EdtcBName->setMaxLength(size("cBName"));
        EdtcBankCode->setMaxLength(size("cBankName"));
        EdtcCustomerNo->setMaxLength(size("cCustomerNo"));
        EdtcOrgNo->setMaxLength(size("cOrgNo"));
        EdtcOpenAccAddr->setMaxLength(size("cOpenAccAddr"));
        EdtcProvinceName->setMaxLength(size("cProvinceName"));
        EdtcCountyName->setMaxLength(size("cCountyName"));
        EdtcCode->setMaxLength(size("ccode_name"));
        const int decimals =
            m_oPub->GetEleVal(m_ComVar->m_EleStyle, QStringLiteral("fcurbalance")).toInt();
        m_oPub->SetDblLen(EdtfCurBalance, QVariant(), decimals);
    });
}

void ctlBank::MoxFrmKeyHook_KeyDown(int keyCode, int shift) {
    reportKeyDown(m_oPub.get(), keyCode, shift);
}

void ctlBank::MoxFrmKeyHook_KeyPress(int ascii) {
    QWidget* active = activeControl();
    if (ascii != 13 || !active)
        return;
    const bool input = active->objectName().startsWith(u"edt", Qt::CaseInsensitive) ||
                       active == CmbiAccProperty || qobject_cast<suite::CheckBox*>(active) ||
                       qobject_cast<suite::OptionButton*>(active);
    if (!input)
        return;
    MoxFrmKeyHook->consume();
    if (active == OptiSignFlag[1] && ArchiveSession::current().sSysId.toUpper() != u"NB")
        Q_EMIT SaveRs();
    else if (active == EdtfCurBalance)
        Q_EMIT SaveRs();
    else
        focusNextField(active);
}

void ctlBank::focusNextField(QWidget* from) {
    // Enter walks the fields in tab order, over those hidden or disabled, as Tab would.
    const qsizetype at = m_tabOrder.indexOf(from);
    for (qsizetype i = at + 1; at >= 0 && i < m_tabOrder.size(); ++i) {
        QWidget* next = m_tabOrder[i];
        if (next->isVisibleTo(this) && next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    focusNextChild();
}

} // namespace tarvo
