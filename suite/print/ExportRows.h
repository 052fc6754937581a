#pragma once

#include "PrintData.h"
#include "TableExport.h"

#include <utility>

namespace tarvo::suite {

/// Hands the job's rows to eachRow in order, one at a time, as the row's cells in UTF-8 (valid
/// until eachRow returns); eachRow returns false to stop early. False when the rows cannot be
/// read or the job was asked to stop. The writers learn where their rows come from (the print
/// data, or the job's own source) here and nowhere else.
template <class EachRow>
bool forEachRow(const ExportJob& job, EachRow&& eachRow) {
    qint64 rows = 0;
    if (job.rows) {
        bool enough = false;
        const bool all = job.rows([&](const PrintDataCells& cells) {
            if (!eachRow(cells)) {
                enough = true;
                return false;
            }
            return job.progress.goOn(++rows);
        });
        return all || enough;
    }
    PrintDataFileReader reader(job.dataFile);
    PrintDataHeader header;
    if (!reader.readHeader(header))
        return false;
    PrintDataCells cells;
    while (reader.next(cells)) {
        if (!eachRow(std::as_const(cells)))
            return true;
        if (!job.progress.goOn(++rows))
            return false;
    }
    return !reader.hasError();
}

} // namespace tarvo::suite
