#include "HostRun.h"

#include "AccountDatabase.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

Outcome runProgram(const QString& program, const QStringList& args, QProcessEnvironment env) {
    QProcess host;
    if (!env.contains("QT_QPA_PLATFORM"))
        env.insert("QT_QPA_PLATFORM", "offscreen");
    host.setProcessEnvironment(env);
    host.start(program, args);
    EXPECT_TRUE(host.waitForFinished(60000)) << args.join(' ').toStdString();
    return {host.exitCode(), host.exitStatus() == QProcess::CrashExit,
            QString::fromUtf8(host.readAllStandardError()),
            QString::fromUtf8(host.readAllStandardOutput())};
}

Outcome runHost(const QStringList& args, QProcessEnvironment env) {
    return runProgram(TARVO_HOST, args, std::move(env));
}

QString accounts(const QString& db) {
    const auto rows = tarvo::suite::AccountDatabase::open(db)->sql().query(
        "select cBCode, cBAccount from bank order by cBCode");
    QStringList lines;
    for (const auto& row : rows.rows)
        lines << row[0].toString() + u' ' + row[1].toString();
    return lines.join(u'\n');
}

QString writtenFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path
                                                                                 : QString();
}
