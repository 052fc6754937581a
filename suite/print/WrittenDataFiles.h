#pragma once

#include <QString>

#include <functional>

namespace tarvo::suite {

/// Print data files this process wrote whole, every row with the same number of cells. Such a
/// file needs no reading through to be trusted, as long as it is the same file, unchanged since
/// (its size, times and inode as they were when it was remembered).
void rememberWrittenDataFile(const QString& path, qsizetype cellsPerRow);

/// Whether the file is one remembered so, unchanged, and its rows have cellsPerRow cells.
bool isWrittenDataFile(const QString& path, qsizetype cellsPerRow);

class PrintDataWriter;
struct PrintDataHeader;

/// The print data of a list in a new owner-only file, remembered as written whole, its rows
/// written as writeRows hands them over, so that a long list is never held as one text. Empty
/// when writeRows was asked to stop (the file is gone then); throws std::runtime_error when the
/// file cannot be written, or passes on what writeRows throws, leaving no file either way.
QString writePrintDataFile(const PrintDataHeader& header, qsizetype cellsPerRow,
                           const std::function<bool(PrintDataWriter&)>& writeRows);

} // namespace tarvo::suite
