#pragma once

#include "SqlBackend.h"

#include <QStringList>

namespace tarvo::suite {

/// The three group roles a server's administrator gives the clerks' login roles, from the least
/// to the most: read and export; also add and modify bank accounts; also delete them and keep
/// the bank archive.
inline const QStringList kServerRoles = {QStringLiteral("tarvo_reader"),
                                         QStringLiteral("tarvo_clerk"),
                                         QStringLiteral("tarvo_manager")};

/// On a server, as the database's owner: creates the group roles that are missing (they log
/// in to nothing themselves) and grants each its rights on this database's tables. Running it
/// again after an upgrade grants what new tables need. Throws DbError on a file or when the
/// server refuses.
void grantServerRoles(SqlBackend& db);

} // namespace tarvo::suite
