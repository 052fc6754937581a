#pragma once

#include "IClsCommon.h"

#include <QMultiHash>
#include <QSet>
#include <QString>
#include <QVector>

namespace tarvo {

/// Stored bank accounts that look like rows of a file: with the same account name and bank,
/// or with the same code. Read once per file, a chunk of rows at a time, keeping only the
/// accounts some row asked for.
class AccountTwins {
public:
    struct Account {
        QString code;
        QString number;
        QString name;
        QString bank;
    };

    /// Asks for the accounts with this name and bank; what answered() takes.
    size_t wantNameAndBank(const QString& name, const QString& bank);
    void wantCode(const QString& code);
    bool wantsNothing() const { return m_wantedNames.isEmpty() && m_wantedCodes.isEmpty(); }
    /// False when the database could not tell, or progress asked to stop.
    bool read(IClsCommon& db, const WorkProgress& progress = {});

    /// Whether some stored account may be what wantNameAndBank() asked for.
    bool answered(size_t asked) const { return m_byName.contains(asked); }
    /// The stored accounts with this name and bank.
    QVector<const Account*> withNameAndBank(const QString& name, const QString& bank) const;
    /// The stored account with this code; null when there is none.
    const Account* withCode(const QString& code) const;

private:
    // Only hashes of what the rows want: a file of new accounts is not held twice.
    QSet<size_t> m_wantedNames;
    QSet<size_t> m_wantedCodes;
    QVector<Account> m_accounts;
    QMultiHash<size_t, int> m_byName;
    QHash<QString, int> m_byCode;

    /// Keeps a stored account when some row asked for it.
    void take(Account&& a);
};

} // namespace tarvo
