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
    QString m_RecordName;          ///< display name of one record, from the resource texts
    QString m_ArchiveEnName;       ///< table name in lower case: "aa_bank", "bank" or "person"
    QString m_ArchiveChName_Const; ///< fixed Chinese caption, for the filter dialog
    QString m_KeyFldName;          ///< key field of the table
    QString m_ColSetArchiveEnName; ///< name of the list's column set-up
    QDomElement m_EleStyle;        ///< display style: the decimals of fCurBalance

    // The classification tree and browse-only list of the earlier build's salesperson archive;
    // both switches stay 0 for the bank archives, so their lists show no tree and offer every
    // command.
    int m_iShowTree = 0;       ///< 1: the list shows a classification tree
    int m_iBrowseOnly = 0;     ///< 1: the list offers no add, modify or delete
    QString m_TreeCaption;     ///< text of the tree's root node
    QString m_TreeSql;         ///< query for the tree's nodes
    QString m_NodeKeyField;    ///< field of a node's key
    QString m_NodeTextField;   ///< field of a node's text
    QString m_NodeFilterField; ///< list field that a node restricts by its key
};

using ComVarPtr = std::shared_ptr<ComVar>;

} // namespace tarvo
