#include "ArchiveDescriptor.h"

#include "IPub.h"

namespace tarvo {

bool ChooseArchiveDescriptor(ComVar& c, const QString& sysId, IPub& pub) {
    if (c.m_ArchiveEnName == u"aa_bank") {
        c.m_ArchiveChName = pub.GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.aa_bankarch"));
        c.m_ArchiveChName_Const = QStringLiteral("银行档案");
        c.m_KeyFldName = QStringLiteral("cBankCode");
        c.m_ColSetArchiveEnName = QStringLiteral("aa_bank");
        return true;
    }
    if (c.m_ArchiveEnName == u"bank") {
        const bool nb = sysId == u"NB";
        c.m_ArchiveChName = pub.GetResString(nb ? QStringLiteral("Tarvo.AA.ARCHIVE.bankaccarch")
                                                : QStringLiteral("Tarvo.AA.ARCHIVE.bankarch"));
        c.m_ArchiveChName_Const =
            nb ? QStringLiteral("银行账号") : QStringLiteral("本单位开户银行");
        c.m_KeyFldName = QStringLiteral("cBCode");
        c.m_ColSetArchiveEnName = nb ? QStringLiteral("Bank_NB") : QStringLiteral("bank");
        return true;
    }
    return false;
}

} // namespace tarvo
