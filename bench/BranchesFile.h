#pragma once

#include <QString>

/// A made-up branch directory file as a bank's 行名行号 file would give it: every code well
/// formed (head bank, city, branch number, a last digit standing for the check digit), every
/// name plainly fictitious, the same file for the same size on every run.
namespace bench {

/// The i-th branch of the file as its CSV line, ending in a newline.
QString branchLine(int i);

/// branches.csv in dir with the caption row and branches 0 to n - 1; empty when it cannot be
/// written.
QString writeBranchesFile(const QString& dir, int n);

} // namespace bench
