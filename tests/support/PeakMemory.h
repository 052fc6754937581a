#pragma once

#include <QFile>

/// The growth of the process's resident memory at its peak while a piece of work runs, from
/// the kernel's high-water mark, which is reset first.
class PeakMemory {
public:
    PeakMemory() {
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        m_reset = reset.open(QIODevice::WriteOnly) && reset.write("5") == 1;
        m_before = field("VmRSS:");
    }
    /// Bytes above the resident size at the start; -1 when the kernel cannot tell.
    qint64 growth() const {
        const qint64 peak = field("VmHWM:");
        return m_reset && peak >= 0 && m_before >= 0 ? peak - m_before : -1;
    }
    /// Whether a bound on the growth means anything here: the address sanitizer keeps freed
    /// memory in quarantine and its shadow memory is resident too.
    static bool measurable() {
#if defined(__SANITIZE_ADDRESS__)
        return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
        return false;
#else
        return true;
#endif
#else
        return true;
#endif
    }

private:
    bool m_reset = false;
    qint64 m_before = -1;

    static qint64 field(const char* name) {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith(name))
                return line.mid(qsizetype(qstrlen(name)))
                           .trimmed()
                           .split(' ')
                           .value(0)
                           .toLongLong() *
                       1024;
        return -1;
    }
};
