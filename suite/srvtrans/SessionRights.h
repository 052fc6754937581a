#pragma once

#include "SqlBackend.h"

#include <QString>

namespace tarvo::suite {

/// The operating-system account this process runs as.
QString osAccount();

/// Who history and audit rows name beside the operator: on a file the operating-system account
/// running the program; on a server the role the connection logged in as, which the server's
/// own trigger puts right should it differ from the role it authenticated.
QString sessionAccount(SqlBackend& sql);

/// Why this session may not act as the operator userId; empty when it may. On a server a login
/// role other than the database's owner acts only as an operator tied to it in tarvo_user.cDbRole
/// (the server refuses history and audit rows of any other); on a file whoever may open the
/// file may act as any operator.
QString operatorRefusal(SqlBackend& sql, const QString& userId);

/// What a session may do to the records of one archive's table.
enum class RecordAction { Add, Modify, Delete };

/// Why the database would refuse this session the action on the table's records, in the session's
/// language; empty when it allows it. A server is asked for the rights of the session's role on
/// the table and on what a save writes beside it (history, audit, edit lock); a file allows all.
QString recordActionRefusal(SqlBackend& sql, const QString& table, RecordAction action);

/// Whether this session may write the rows of the locks (a read-only role may not: it takes no
/// edit lock, and holds its other locks on the server alone).
bool maySaveLockRows(SqlBackend& sql);

} // namespace tarvo::suite
