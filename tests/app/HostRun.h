#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

/// How a run of the desktop host ended, and what it wrote.
struct Outcome {
    int status = -1;
    bool crashed = false;
    QString errors;
    QString output;
};

/// Runs the desktop host offscreen to its end, as a script would.
Outcome runHost(const QStringList& args,
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment());

/// The bank accounts stored, as "code account" lines in the order of their codes.
QString accounts(const QString& db);
