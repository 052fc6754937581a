#include "ColumnSetup.h"

#include "AdoTypes.h"
#include "ArchiveSession.h"
#include "ErrorHandling.h"

#include <QStringList>

namespace tarvo {

bool chooseColumnSetup(const ComVar& comVar) {
    ArchiveSession& s = ArchiveSession::current();
    QString colInfo;
    skipErrors([&] { colInfo = s.oColSet->getColInfo(); });
    if (!colInfo.isEmpty())
        return true;
    bool allowed = false;
    skipErrors([&] { allowed = s.oColSet->setColMode(comVar.m_ColSetArchiveEnName, 1); });
    if (!allowed) {
        QString text =
            s.oPub->GetResString(QStringLiteral("Tarvo.AAARCHIVE.COMMON.no_colauth_error"));
        s.oPub->MsgBox(text, 64,
                       s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.information")));
    }
    return allowed;
}

int shownWidth(const ColumnItem& column) {
    return column.bDisp.toBool() ? column.iColWidth : 0;
}

QString columnSetupOrder(const ColumnCollection& columns) {
    QStringList order;
    for (const ColumnItem& c : columns.items())
        if (!c.cOrder.isEmpty())
            order << c.cFld + u' ' + c.cOrder;
    return order.join(u',');
}

QVector<ListField> columnSetupFields() {
    QVector<ListField> fields;
    ColumnCollectionPtr cols;
    skipErrors([&] { cols = ArchiveSession::current().oColSet->GetColProperties(); });
    if (!cols)
        return fields;
    for (int i = 1; i <= cols->Count(); ++i)
        fields.push_back({cols->Item(i).cFld, cols->Item(i).Caption, ado::adVarWChar});
    return fields;
}

} // namespace tarvo
