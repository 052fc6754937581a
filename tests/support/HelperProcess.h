#pragma once

#include <QProcess>
#include <QStringList>

/// The test helper program (tests/support/test_helper.cpp) run as a child process, so that
/// tests can have several processes share a database and kill one of them at will. Every wait
/// is bounded; the child is killed when this object goes.
class HelperProcess {
public:
    explicit HelperProcess(const QStringList& arguments);
    ~HelperProcess();

    /// The next line the child prints, without its line end; empty when none came in time.
    QString readLine(int timeoutMs = 20000);
    /// SIGKILL, and wait until the child is reaped.
    void kill();
    /// Closes the child's input, which tells a waiting child to finish; returns its exit code.
    int finish(int timeoutMs = 20000);
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
};
