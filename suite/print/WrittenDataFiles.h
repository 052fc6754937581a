#pragma once

#include <QString>

namespace tarvo::suite {

/// Print data files this process wrote whole, every row with the same number of cells. Such a
/// file needs no reading through to be trusted, as long as it is the same file, unchanged since
/// (its size, times and inode as they were when it was remembered).
void rememberWrittenDataFile(const QString& path, qsizetype cellsPerRow);

/// Whether the file is one remembered so, unchanged, and its rows have cellsPerRow cells.
bool isWrittenDataFile(const QString& path, qsizetype cellsPerRow);

} // namespace tarvo::suite
