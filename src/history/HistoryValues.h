#pragma once

#include "ComVar.h"

#include <QHash>
#include <QString>

#include <optional>

namespace tarvo {

/// The values of the change history as the list and the card show their fields: the words of
/// the sign flag and the account property, a bank's name for its code, a ledger account's code
/// with its name, amounts as the card formats them. What names no bank or account (since
/// deleted) shows as it is stored.
class HistoryValues {
public:
    explicit HistoryValues(ComVarPtr var);

    /// The stored text of a field (its name, as the history service gives it) as shown.
    QString shown(const QString& field, const QString& stored);

private:
    ComVarPtr m_ComVar;
    // Read once, when the first value asks for them: a history of one bank never needs the
    // chart of accounts.
    std::optional<QHash<QString, QString>> m_bankNames;
    std::optional<QHash<QString, QString>> m_accountNames;

    const QHash<QString, QString>& names(std::optional<QHash<QString, QString>>& cache,
                                         const QString& table);
};

} // namespace tarvo
