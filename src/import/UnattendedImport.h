#pragma once

#include "ComVar.h"
#include "IListWindow.h"

#include <QString>
#include <QVector>

class QTextStream;

namespace tarvo {

/// What a script asks of an import.
struct UnattendedImport {
    QString path;
    /// Store the accepted rows; otherwise only check them.
    bool store = false;
    /// Accept account numbers that break their bank's length rule, which the preview asks about.
    bool confirmLengths = false;
};

/// Checks a file as the import preview does and, when asked, stores the accepted rows in one
/// transaction. Writes one line per row to out (row number, verdict, reason, separated by
/// tabs) and the counts; failures go to the session's messages. True when no row was refused
/// and nothing failed.
bool importUnattended(const QString& archive, const QVector<ListField>& listFields,
                      const UnattendedImport& job, QTextStream& out);

/// The same in a session that shows no list: what the list would hand over (the account
/// settings, the columns of its set-up) is read here, and, when the rows are to be stored, the
/// edit lock taken as Add does. False also when another user holds the edit lock.
bool importUnattended(ComVar& comVar, const UnattendedImport& job, QTextStream& out);

} // namespace tarvo
