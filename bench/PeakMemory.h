#pragma once

#include <QByteArray>
#include <QFile>

/// The process's peak resident memory so far, in kilobytes; -1 where the system does not say.
inline long peakKilobytes() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}
