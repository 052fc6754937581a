// One text of the list's statement for the window that shows it and the export that writes it
// without a window, so that the two list the same rows.
#include "ListQuery.h"

namespace tarvo {

QString allRecordsFilter() {
    return QStringLiteral("(1=1)");
}

QString listJoinTables(const QString& archive, const QString& cFlds) {
    if (archive.toLower() == u"person")
        return QStringLiteral(" LEFT JOIN Department ON Person.cDepCode = Department.cDepCode ");
    QString joins;
    if (archive.toLower() == u"bank") {
        const QString fields = cFlds.toLower();
        if (fields.contains(u"aa_bank.cbankname"))
            joins += QStringLiteral(" Left Join AA_Bank on Bank.cBankCode=AA_Bank.cBankCode ");
        if (fields.contains(u"code.ccode_name"))
            joins += QStringLiteral(" Left Join Code on Bank.cCode=Code.cCode ");
    }
    return joins;
}

QString listQuery(const QString& archive, const QString& cFlds, const QString& condition,
                  const QString& fixedFilter, const QString& orderBy) {
    QString sql = QStringLiteral("select ") + cFlds + QStringLiteral(" from ") + archive +
                  listJoinTables(archive, cFlds);
    if (!condition.trimmed().isEmpty())
        sql += QStringLiteral(" where ") + condition + QStringLiteral(" and ") + fixedFilter;
    else
        sql += QStringLiteral(" where ") + fixedFilter;
    if (!orderBy.isEmpty())
        sql += QStringLiteral(" Order By ") + orderBy;
    return sql;
}

QString listColumnsQuery(const QString& archive, const QString& cFlds) {
    return QStringLiteral("select top 0 ") + cFlds + QStringLiteral(" from ") + archive +
           listJoinTables(archive, cFlds);
}

} // namespace tarvo
