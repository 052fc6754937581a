#pragma once

#include <QStringList>

namespace bench {

/// How a program run as a child of the benchmark went.
struct ChildRun {
    double ms = -1;
    double peakMb = -1;
    /// Processor time, user and system: steadier than the wall on a busy machine.
    double cpuMs = -1;
    int status = -1;
};

/// Runs the program (args[0]) to its end with its output thrown away; its own peak memory from
/// wait4, which counts that one child only.
ChildRun runChild(const QStringList& args);

} // namespace bench
