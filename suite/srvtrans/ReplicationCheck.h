#pragma once

#include <QString>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace tarvo::suite {

/// What the administrator of a server should hear when a save the program calls stored could
/// be lost in a failover: a primary with standbys none of which confirms a commit before the
/// program is told it succeeded. Empty when there is nothing to say.
QString replicationWarning(const QString& server, int standbys,
                           const QString& synchronousStandbyNames,
                           const QString& synchronousCommit);

/// Asks the server behind a new connection once per process and server, and writes the
/// warning, if any, to the error output: a setting of the administrator's, not the clerk's.
void warnOfUnconfirmedCommitsOnce(PGconn* conn, const QString& url);

/// For a connection that sends the question beside others: claims the look at the server for
/// this process, false when it was claimed before.
bool claimReplicationLook(const QString& url);
/// The question, one statement.
extern const char kReplicationQuestion[];
/// Writes the warning the server's answer calls for, if any; an answer the server refused is
/// let go, as the look is advice and no condition of work.
void warnOfUnconfirmedCommits(const PGresult* answer, const QString& url);

} // namespace tarvo::suite
