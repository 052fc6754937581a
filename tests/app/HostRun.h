#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

/// How a run of the desktop host ended, and what it wrote.
struct Outcome {
    int status = -1;
    bool crashed = false;
    QString errors;
    QString output;
};

/// Runs a desktop host program to its end, as a script would: offscreen unless env names a
/// platform.
Outcome runProgram(const QString& program, const QStringList& args,
                   QProcessEnvironment env = QProcessEnvironment::systemEnvironment());

/// Runs the desktop host of the later build.
Outcome runHost(const QStringList& args,
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment());

/// The bank accounts stored, as "code account" lines in the order of their codes.
QString accounts(const QString& db);

/// Writes a file of the test's own into the folder: its path, empty when it cannot be written.
QString writtenFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes);
