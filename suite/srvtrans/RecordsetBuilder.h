#pragma once

#include "Recordset.h"

namespace tarvo::suite {

class DataDictionary;
struct QueryResult;

/// Turns a raw query result into a record set whose field types and defined sizes come from
/// the data dictionary, with values converted to match (bit columns as Booleans, dates as
/// dates). Columns that no table column stands behind are typed from their values.
RecordsetPtr buildRecordset(QueryResult&& result, const DataDictionary& dict);

} // namespace tarvo::suite
