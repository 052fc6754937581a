#pragma once

#include <QDomElement>
#include <QString>

#include <memory>

namespace tarvo {

/// The descriptor of the archive a session shows. One per session of the public class; every
/// window holds the same object, so a value one window sets is seen by all.
class ComVar {
public:
    QString m_ArchiveChName;       ///< display name, from the resource texts
    QString m_ArchiveEnName;       ///< table name in lower case: "aa_bank" or "bank"
    QString m_ArchiveChName_Const; ///< fixed Chinese caption, for the filter dialog
    QString m_KeyFldName;          ///< key field of the table
    QString m_ColSetArchiveEnName; ///< name of the list's column set-up
    QDomElement m_EleStyle;        ///< display style: the decimals of fCurBalance
};

using ComVarPtr = std::shared_ptr<ComVar>;

} // namespace tarvo
