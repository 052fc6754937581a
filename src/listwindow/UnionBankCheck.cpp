#include "UnionBankCheck.h"

#include <QStringList>

namespace tarvo {

QString UnionBankCheck::problemOf() const {
    // The directory's table exists only once a directory was imported: a database without one
    // is never asked about it.
    QString sql = QStringLiteral(
        "(case when Bank.cUnionBankNo is null or Bank.cUnionBankNo = '' then 0 "
        "when length(Bank.cUnionBankNo) <> 12 or ltrim(Bank.cUnionBankNo, '0123456789') <> '' "
        "then 1 ");
    if (m_directory)
        sql += QStringLiteral(
            "when not exists (select 1 from tarvo_branch ub where ub.cBranchNo = "
            "Bank.cUnionBankNo) then 2 "
            "when exists (select 1 from tarvo_branch ub where ub.cBranchNo = Bank.cUnionBankNo "
            "and ub.dRetired is not null) then 3 ");
    return sql + QStringLiteral("else -1 end)");
}

QString UnionBankCheck::condition() const {
    return problemOf() + QStringLiteral(" >= 0");
}

QString UnionBankCheck::countQuery(const QString& joins, const QString& fixedFilter) const {
    return QStringLiteral("select problem, count(*) from (select ") + problemOf() +
           QStringLiteral(" as problem from Bank") + joins + QStringLiteral(" where ") +
           fixedFilter + QStringLiteral(") checked where problem >= 0 group by problem");
}

QString UnionBankCheck::description(const Counts* counts) const {
    const QString name = tr("联行号待核对");
    if (!counts)
        return name;
    const Counts& c = *counts;
    QStringList parts{tr("缺少 %1").arg(c[Missing]), tr("不是 12 位数字 %1").arg(c[Malformed])};
    if (m_directory)
        parts << tr("目录中没有 %1").arg(c[Unknown]) << tr("已停用 %1").arg(c[Retired]);
    return tr("%1（%2）").arg(name, parts.join(tr("，")));
}

} // namespace tarvo
