#pragma once

#include "ILogin.h"

#include <QString>

namespace tarvo::suite {

/// Logs a user in for a host that embeds the suite: to an accounting database named by a file
/// path or a postgresql:// URL. A database met for the first time is created with the reference
/// data alone (banks, currencies, regions, chart of accounts, the built-in users). Null, with
/// the reason in error, when the user cannot log in.
LoginPtr logIn(const QString& dbName, const QString& userId, QString& error);

} // namespace tarvo::suite
