#pragma once

#include <QString>

namespace tarvo {

/// The fixed filter of a list that shows every record of its archive: the list as it opens,
/// and under its tree's root.
QString allRecordsFilter();

/// The tables an archive's list joins for the fields of its select list.
QString listJoinTables(const QString& archive, const QString& cFlds);

/// The statement listing an archive's rows: the select list, its joins, the extra condition
/// ("" for none) and the fixed filter, in the order given ("" for the engine's own).
QString listQuery(const QString& archive, const QString& cFlds, const QString& condition,
                  const QString& fixedFilter, const QString& orderBy);

/// The same select list without a row: the types of the list's columns.
QString listColumnsQuery(const QString& archive, const QString& cFlds);

} // namespace tarvo
