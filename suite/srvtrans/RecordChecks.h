#pragma once

#include <QString>
#include <QVariantList>
#include <QVector>

namespace tarvo::suite {

class StoredFacts;
struct DictField;
struct NamedRow;

/// A row of another table a record names, with the value it is named by.
struct RowNamed {
    const NamedRow* row;
    QString value;
};

/// The rows of other tables a record's non-empty columns name, which referencesExist looks up.
QVector<RowNamed> namedRows(const QString& archive, const QVector<const DictField*>& columns,
                            const QVariantList& values);

/// False, with the reason, when a bank account names a bank, currency or ledger account that
/// the database does not hold (a ledger account must also be an end-level one). A record that
/// does not bring such a column, or brings it empty, passes.
bool referencesExist(StoredFacts& facts, const QString& archive,
                     const QVector<const DictField*>& columns, const QVariantList& values,
                     QString& error);

/// False, with the reason, when a record renames a bank the system brought along: the bank card
/// never lets its name change, and neither may anything else.
bool systemBankKeepsItsName(StoredFacts& facts, const QString& archive,
                            const QVector<const DictField*>& columns, const QVariantList& values,
                            const QString& keyText, QString& error);

} // namespace tarvo::suite
