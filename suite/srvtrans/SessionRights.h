#pragma once

#include "SqlBackend.h"

#include <QString>

#include <array>

namespace tarvo::suite {

/// The operating-system account this process runs as.
QString osAccount();

/// Who history and audit rows name beside the operator: on a file the operating-system account
/// running the program; on a server the role the connection logged in as, which the server's
/// own trigger puts right should it differ from the role it authenticated.
QString sessionAccount(SqlBackend& sql);

/// An operator as a session finds it, in one question.
struct OperatorCheck {
    bool known = false; ///< the account has the operator
    QString name;
    /// Why this session may not act as the operator; empty when it may. On a server a login
    /// role other than the database's owner acts only as an operator tied to it in
    /// tarvo_user.cDbRole (the server refuses history and audit rows of any other); on a file
    /// whoever may open the file may act as any operator.
    QString refusal;
};
OperatorCheck checkOperator(SqlBackend& sql, const QString& userId);
/// What checkOperator asks, for a start that asks it ahead.
Statement operatorQuestion(SqlBackend& sql, const QString& userId);

/// What a session may do to the records of one archive's table.
enum class RecordAction { Add, Modify, Delete };

/// Why the database would refuse this session each action on the table's records (by
/// RecordAction), in the session's language; empty where it allows it. A server is asked in one
/// question for the rights of the session's role on the table and on what a save writes beside
/// it (history, audit, edit lock); a file allows all.
/// What recordActionRefusals asks, for a start that asks it ahead; empty on a file.
Statement recordRightsQuestion(SqlBackend& sql, const QString& table);
std::array<QString, 3> recordActionRefusals(SqlBackend& sql, const QString& table);

/// Whether this session may write the rows of the locks (a read-only role may not: it takes no
/// edit lock, and holds its other locks on the server alone).
bool maySaveLockRows(SqlBackend& sql);

/// maySaveLockRows as an expression for a server's select list, for a statement that asks it
/// beside something else.
QString lockRowRights();

} // namespace tarvo::suite
