#pragma once

#include <QString>
#include <QVariantList>
#include <QVector>

namespace tarvo::suite {

class SqlBackend;
struct DictField;

/// False, with the reason, when a bank account names a bank, currency or ledger account that
/// the database does not hold (a ledger account must also be an end-level one). A record that
/// does not bring such a column, or brings it empty, passes.
bool referencesExist(SqlBackend& sql, const QString& archive,
                     const QVector<const DictField*>& columns, const QVariantList& values,
                     QString& error);

} // namespace tarvo::suite
