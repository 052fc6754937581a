#include "HelperProcess.h"

#include <QDeadlineTimer>

HelperProcess::HelperProcess(const QStringList& arguments) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(TARVO_TEST_HELPER), arguments);
    m_process.waitForStarted(10000);
}

HelperProcess::~HelperProcess() {
    kill();
}

QString HelperProcess::readLine(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning &&
           !deadline.hasExpired())
        m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    return QString::fromUtf8(m_process.readLine()).trimmed();
}

void HelperProcess::kill() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(10000);
}

int HelperProcess::finish(int timeoutMs) {
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(timeoutMs)) {
        kill();
        return -1;
    }
    return m_process.exitCode();
}
