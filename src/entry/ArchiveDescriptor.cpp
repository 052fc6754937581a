#include "ArchiveDescriptor.h"

#include "BuildVariant.h"
#include "IPub.h"

namespace tarvo {

bool ChooseArchiveDescriptor(ComVar& c, const QString& sysId, IPub& pub) {
    c.m_iShowTree = 0;
    c.m_iBrowseOnly = 0;
    if (c.m_ArchiveEnName == u"aa_bank") {
        c.m_ArchiveChName = pub.GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.aa_bankarch"));
        c.m_RecordName = pub.GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.aa_bankrec"));
        c.m_ArchiveChName_Const = QStringLiteral("银行档案");
        c.m_KeyFldName = QStringLiteral("cBankCode");
        c.m_ColSetArchiveEnName = QStringLiteral("aa_bank");
        return true;
    }
    if (c.m_ArchiveEnName == u"bank") {
        const bool nb = sysId == u"NB";
        c.m_ArchiveChName = pub.GetResString(nb ? QStringLiteral("Tarvo.AA.ARCHIVE.bankaccarch")
                                                : QStringLiteral("Tarvo.AA.ARCHIVE.bankarch"));
        c.m_RecordName = pub.GetResString(nb ? QStringLiteral("Tarvo.AA.ARCHIVE.bankaccrec")
                                             : QStringLiteral("Tarvo.AA.ARCHIVE.bankrec"));
        c.m_ArchiveChName_Const =
            nb ? QStringLiteral("银行账号") : QStringLiteral("本单位开户银行");
        c.m_KeyFldName = QStringLiteral("cBCode");
        c.m_ColSetArchiveEnName = nb ? QStringLiteral("Bank_NB") : QStringLiteral("bank");
        return true;
    }
    if (c.m_ArchiveEnName == u"person" && isEarlierBuild()) {
        c.m_ArchiveChName = pub.GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.personarch"));
        c.m_RecordName = pub.GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.personrec"));
        c.m_ArchiveChName_Const = QStringLiteral("业务员档案");
        c.m_KeyFldName = QStringLiteral("cPersonCode");
        c.m_ColSetArchiveEnName = QStringLiteral("person");
        c.m_iShowTree = 1;
        c.m_iBrowseOnly = 1;
        c.m_TreeCaption = pub.GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.department"));
        c.m_TreeSql =
            QStringLiteral("select cDepCode,cDepName from Department order by cDepcode asc");
        c.m_NodeKeyField = QStringLiteral("cDepCode");
        c.m_NodeTextField = QStringLiteral("cDepName");
        c.m_NodeFilterField = QStringLiteral("Person.cDepCode");
        return true;
    }
    return false;
}

} // namespace tarvo
