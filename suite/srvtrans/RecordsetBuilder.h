#pragma once

#include "Recordset.h"

namespace tarvo::suite {

class DataDictionary;
struct StoredResult;

/// Turns a stored query result into a record set whose field types and defined sizes come from
/// the data dictionary, so that values read as the column's type (bit columns as Booleans,
/// dates as dates). Columns that no table column stands behind are typed from their values.
RecordsetPtr buildRecordset(StoredResult&& result, const DataDictionary& dict);

} // namespace tarvo::suite
