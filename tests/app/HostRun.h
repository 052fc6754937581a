#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct Outcome {
    int status = -1;
    bool crashed = false;
    QString errors;
};

/// Runs the desktop host offscreen to its end, as a script would.
Outcome runHost(const QStringList& args,
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment());
