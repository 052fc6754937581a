// The classification tree of a list that shows one, and what a browse-only list leaves out.
#include "ArchiveSession.h"
#include "ErrorHandling.h"
#include "FrmMain.h"
#include "ListQuery.h"

#include <QMenuBar>
#include <QToolBar>
#include <QTreeWidget>

namespace tarvo {

namespace {

/// Image indices of a node with children and of an end node, in the window's picture list.
constexpr int kNodeParentPicture = 21;
constexpr int kNodeLeafPicture = 22;

/// The node's list condition: the rows whose field starts with the code. The code is a text
/// from the database and may hold quotes and LIKE's own wildcards; neither may change what
/// the condition matches.
QString startsWithCondition(const QString& field, const QString& code) {
    QString pattern;
    for (const QChar c : code) {
        if (c == u'\\' || c == u'%' || c == u'_')
            pattern += u'\\';
        pattern += c == u'\'' ? QStringLiteral("''") : QString(c);
    }
    return QStringLiteral(" (") + field + QStringLiteral(" like '") + pattern +
           QStringLiteral("%' escape '\\')");
}

void setNodePictures(QTreeWidgetItem* node, const QIcon& parent, const QIcon& leaf) {
    node->setIcon(0, node->childCount() > 0 ? parent : leaf);
    node->setExpanded(true);
    for (int i = 0; i < node->childCount(); ++i)
        setNodePictures(node->child(i), parent, leaf);
}

} // namespace

void FrmMain::HideEditCommands() {
    for (const char* name : {"mAdd", "mModify", "mDelete", "mImport", "mImportBranches"})
        if (auto* item = findChild<QAction*>(QString::fromLatin1(name)))
            item->setVisible(false);
    const QList<QAction*> buttons = Tlb->actions();
    for (int i = 0; i < buttons.size(); ++i) {
        const QString key = buttons[i]->property("key").toString();
        // An import adds and modifies records as well.
        if (key == u"Add" || key == u"Modify" || key == u"Delete" || key == u"Import")
            buttons[i]->setVisible(false);
        if (key == u"Delete" && i + 1 < buttons.size())
            buttons[i + 1]->setVisible(false);
    }
}

void FrmMain::LoadTree() {
    ArchiveSession& s = ArchiveSession::current();
    m_fillingTree = true;
    Trv->clear();
    Trv->setHeaderHidden(true);
    auto* root = new QTreeWidgetItem(Trv);
    root->setText(0, m_ComVar->m_TreeCaption);
    root->setData(0, Qt::UserRole, QStringLiteral("r"));
    QString sql = m_ComVar->m_TreeSql;
    const RecordsetPtr rs = s.SrvDB->OpenX(sql);
    if (rs && rs->RecordCount() > 0) {
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            s.oPub->AddTrvNode(rs->Value(m_ComVar->m_NodeKeyField),
                               rs->Value(m_ComVar->m_NodeTextField), Trv);
        setNodePictures(root, ImageList1.value(kNodeParentPicture - 1).second,
                        ImageList1.value(kNodeLeafPicture - 1).second);
    }
    // A tree without a current node makes its first one current when it takes the focus, and
    // that change would read the list a second time, while the first read still runs.
    Trv->setCurrentItem(root);
    m_fillingTree = false;
    Trv_NodeClick(root);
}

void FrmMain::Trv_NodeClick(QTreeWidgetItem* node) {
    if (!node || m_fillingTree)
        return;
    const QString code = node->data(0, Qt::UserRole).toString().mid(1).trimmed();
    m_ClsFilter = code.isEmpty() ? allRecordsFilter()
                                 : startsWithCondition(m_ComVar->m_NodeFilterField, code);
    DataRefresh(QString());
}

} // namespace tarvo
