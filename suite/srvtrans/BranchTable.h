#pragma once

#include "IBranchDirectory.h"
#include "SqlBackend.h"

#include <QDate>
#include <QStringList>
#include <QVector>

#include <functional>

namespace tarvo::suite {

class AccountDatabase;

/// The branch directory's table, tarvo_branch, on one connection. A database gets the table
/// with the first directory stored into it and never loses it, so that "the table is there"
/// and "a directory with at least one branch is there" say the same.
class BranchTable {
public:
    explicit BranchTable(AccountDatabase& db) : m_db(db) {}

    /// The question present() asks, for a session's start to send with its own questions.
    static Statement presentQuestion(const SqlBackend& sql);

    /// Asked once per connection on a server, each time of a file (where it costs nothing and
    /// sees another process's import at once). Throws DbError.
    bool present();
    /// Throws DbError.
    bool find(const QString& code, BranchEntry& entry);
    /// Before the bank account's record is read: asks ahead for the code the account stores and
    /// the branch under it, so that a server answers with the record. Only where a directory is
    /// known to be there; nothing on a file.
    void expectAccount(const QString& account);
    /// The branch with the code, read of the account the code was read from: what
    /// expectAccount() brought serves while the account held that code then, otherwise the
    /// code is looked up itself as find() does. Throws DbError.
    bool findForAccount(const QString& account, const QString& code, BranchEntry& entry);
    /// See IBranchDirectory::Mark. Throws DbError.
    QString mark();
    /// Streams the branches in the order of their codes until each returns false; never holds
    /// the directory whole. Throws DbError.
    void forEach(const std::function<bool(const BranchEntry&)>& each);

    /// In one transaction: writes the listed branches where they differ from the stored ones
    /// (a retired one is listed again) and marks those of retire that are still listed retired
    /// on the day given. No table is made for nothing listed: a directory is never empty.
    /// Throws DbError, having stored nothing.
    void store(const QVector<BranchEntry>& listed, const QStringList& retire,
               const QDate& retiredOn);

private:
    AccountDatabase& m_db;
    static Statement accountQuestion(const QString& account);
    void createTable();
};

} // namespace tarvo::suite
