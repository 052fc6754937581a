#include "HostRun.h"

#include <QProcess>
#include <gtest/gtest.h>

Outcome runHost(const QStringList& args, QProcessEnvironment env) {
    QProcess host;
    env.insert("QT_QPA_PLATFORM", "offscreen");
    host.setProcessEnvironment(env);
    host.start(TARVO_HOST, args);
    EXPECT_TRUE(host.waitForFinished(60000)) << args.join(' ').toStdString();
    return {host.exitCode(), host.exitStatus() == QProcess::CrashExit,
            QString::fromUtf8(host.readAllStandardError())};
}
