#pragma once

#include "FuzzDatabase.h"
#include "TableReader.h"

/// What every table a reader returns keeps to: rows only without an error, no row wider than
/// the caption row (the first with any text), no cell longer than a cell may be.
inline void checkTable(const tarvo::suite::TableText& table) {
    using tarvo::suite::TableCollector;
    FUZZ_REQUIRE(table.error.isEmpty() || table.rows.isEmpty());
    qsizetype width = -1;
    qint64 cells = 0;
    for (const QStringList& row : table.rows) {
        cells += 1 + row.size();
        if (width >= 0)
            FUZZ_REQUIRE(row.size() <= width);
        else if (!row.isEmpty())
            width = row.size();
        for (const QString& cell : row)
            FUZZ_REQUIRE(cell.size() <= TableCollector::kMaxCellChars);
    }
    FUZZ_REQUIRE(width <= TableCollector::kMaxCaptions);
    FUZZ_REQUIRE(cells <= TableCollector::kMaxCells);
}
