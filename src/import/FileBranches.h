#pragma once

#include "IBranchDirectory.h"
#include "IClsCommon.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>

namespace tarvo {

/// The branch directory's entries for the 联行号 a file of bank accounts gives, and the stored
/// accounts whose empty fields an entry may fill, asked for once per file together with the
/// check's first question rather than code by code.
class FileBranches {
public:
    /// The fields an entry fills, in this order: 开户银行, 所属银行, 省/自治区, 市/县.
    static constexpr std::array<const char*, 4> kFilled = {"cBName", "cBankCode", "cProvinceName",
                                                           "cCountyName"};
    using StoredFields = std::array<QString, kFilled.size()>;

    /// A well-formed code of the file.
    void wantCode(const QString& code);
    /// The stored account with this code, for a file that leaves some filled field out.
    void wantAccount(const QString& code);
    /// Has the questions go with the next statement the database is sent; asks nothing where
    /// the database holds no directory.
    void askAhead(ClsCommonPtr& db);
    /// Takes the answers; False when the database could not tell.
    bool read(IClsCommon& db);

    /// Whether the database holds a directory at all: without one nothing is said of codes.
    bool present() const { return m_present; }
    /// The entry with this code, retired or not; null when the directory has none.
    const BranchEntry* branch(const QString& code) const;
    /// The stored account's filled fields; null when no account has the code.
    const StoredFields* account(const QString& code) const;

private:
    QSet<QString> m_codes;
    QSet<QString> m_accounts;
    bool m_present = false;
    QStringList m_questions;
    QHash<QString, BranchEntry> m_branches;
    QHash<QString, StoredFields> m_stored;
};

} // namespace tarvo
