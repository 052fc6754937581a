#pragma once

#include <QString>

/// A file of new bank accounts as another system's export would give it, and the sqlite3
/// shell's own import of it: what the import benchmarks weigh the program against.
namespace bench {

/// The file's columns, by field name.
extern const char* const kAccountColumns;

/// The i-th account of the file as its CSV line, ending in a newline.
QString accountLine(int i);

/// accounts.csv in dir with the caption row and accounts 1 to n; empty when it cannot be
/// written.
QString writeAccountsFile(const QString& dir, int n);

/// The shell's .import of the file into a staging table of a copy of the database, then
/// INSERT…SELECT into bank; milliseconds, -1 when the shell failed.
double shellImportMs(const QString& dbName, const QString& file);

} // namespace bench
