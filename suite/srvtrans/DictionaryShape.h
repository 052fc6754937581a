#pragma once

#include "Recordset.h"

#include <functional>

namespace tarvo::suite {

class DataDictionary;

/// The fields of a query that asks for no rows, answered from the data dictionary as the
/// database at its schema version has them: "select top 0 * from t1, t2" (the cards), and
/// "select top 0 a, t2.b from t1 left join t2 on t1.c = t2.c" (a list's columns), each column
/// named bare or by its table, no expressions. shown tells whether a result has shown a table
/// to exist. Null for any other query, or one naming a table or column the dictionary does
/// not have, a table not shown, or a bare column more than one of its tables has: the
/// database answers those, or says what is wrong.
RecordsetPtr dictionaryShape(const QString& sql, const DataDictionary& dict,
                             const std::function<bool(const QString& table)>& shown);

} // namespace tarvo::suite
