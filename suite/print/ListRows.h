#pragma once

#include "PrintedList.h"
#include "TableExport.h"

namespace tarvo::suite {

/// The rows of a list that no grid holds as the exports take them: each row's cells in UTF-8,
/// its number first when numbered, every cell as print data would have carried it (a character
/// XML cannot carry marked as U+FFFD), so that a file written straight from the list is the one
/// written from its print data. rows counts the rows handed on; it and the list must outlive
/// the source.
ExportRowSource listRows(const PrintedList& list, bool numbered, qint64& rows);

} // namespace tarvo::suite
