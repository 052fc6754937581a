// What the database lets this session do to the list's records, shown on the commands.
#include "ArchiveSession.h"
#include "FrmMain.h"
#include "StatusBar.h"

#include <QToolBar>

namespace tarvo {

namespace {

/// The edit commands, each with the actions of the save service it needs: an import adds
/// and modifies.
struct EditCommand {
    const char* key;
    const char* menuItem;
    QStringList actions;
};

const EditCommand kEditCommands[] = {
    {"Add", "mAdd", {QStringLiteral("Add")}},
    {"Modify", "mModify", {QStringLiteral("Modify")}},
    {"Delete", "mDelete", {QStringLiteral("Delete")}},
    {"Import", "mImport", {QStringLiteral("Add"), QStringLiteral("Modify")}},
};

} // namespace

void FrmMain::ApplyRights() {
    ArchiveSession& s = ArchiveSession::current();
    m_rightRefusals.clear();
    QHash<QString, QString> byAction;
    for (const char* action : {"Add", "Modify", "Delete"})
        byAction.insert(QLatin1String(action),
                        s.SrvDB->RightRefusal(m_ComVar->m_ArchiveEnName, QLatin1String(action)));
    for (const EditCommand& c : kEditCommands) {
        QString refusal;
        for (const QString& action : c.actions)
            if (refusal.isEmpty())
                refusal = byAction.value(action);
        const QString key = QString::fromLatin1(c.key);
        if (!refusal.isEmpty())
            m_rightRefusals.insert(key.toLower(), refusal);
        QList<QAction*> actions;
        if (auto* item = findChild<QAction*>(QString::fromLatin1(c.menuItem)))
            actions << item;
        for (QAction* button : Tlb->actions())
            if (button->property("key").toString() == key)
                actions << button;
        for (QAction* a : actions) {
            a->setEnabled(refusal.isEmpty());
            a->setToolTip(refusal);
            a->setStatusTip(refusal);
        }
    }
    if (m_rightRefusals.size() == int(std::size(kEditCommands)))
        Stb->setPanelText(4, tr("只读：本会话只能查看和输出"));
}

QString FrmMain::refusedByRights(const QString& key) const {
    return m_rightRefusals.value(key);
}

} // namespace tarvo
