#pragma once

#include "SqlBackend.h"

namespace tarvo::suite {

/// The version of the schema this program creates and understands, kept in tarvo_meta as
/// "schema_version". Raise it with every change of schema.sql, and add the step that brings an
/// older database there.
constexpr int kSchemaVersion = 11;

/// The version stored in the database (1 when none is stored).
int storedSchemaVersion(SqlBackend& db);

/// Brings a database written by an earlier version of the program up to kSchemaVersion in
/// place: the steps run in order, in one transaction, while other programs wait for it; a
/// failing step leaves the database as it was. A database newer than the program throws
/// DbError and is left untouched.
void upgradeSchema(SqlBackend& db);

/// On a server, in the transaction that creates or upgrades the schema: the triggers that keep
/// the history and the audit append-only and stamp them with the session's role, and the
/// sequence of change numbers. Nothing on a file.
void applyServerRights(SqlBackend& db);

/// On a server, in the transaction that creates or upgrades the schema: the function that takes
/// a lock in one statement, and the triggers that announce changes of the reference tables.
/// Nothing on a file.
void applyServerFunctions(SqlBackend& db);

} // namespace tarvo::suite
