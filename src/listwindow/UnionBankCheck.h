#pragma once

#include <QCoreApplication>
#include <QString>

#include <array>

namespace tarvo {

/// The list's look at the 联行号 of the bank accounts before the month's payments go out: the
/// accounts whose code is missing, not twelve digits, unknown to the branch directory or retired
/// from it. Without a directory only the first two can be told.
class UnionBankCheck {
    Q_DECLARE_TR_FUNCTIONS(tarvo::UnionBankCheck)
public:
    enum Problem { Missing, Malformed, Unknown, Retired };
    /// Accounts per problem, indexed by Problem.
    using Counts = std::array<long, 4>;

    explicit UnionBankCheck(bool directory) : m_directory(directory) {}

    /// The list's extra condition: the accounts with any of the problems.
    QString condition() const;
    /// One row per problem met among the accounts the list shows: its number (Problem) and how
    /// many accounts have it. joins and fixedFilter as the list's statement has them.
    QString countQuery(const QString& joins, const QString& fixedFilter) const;
    /// What the status line says of the filter: its name, and the accounts per problem once
    /// they are counted.
    QString description(const Counts* counts = nullptr) const;

private:
    bool m_directory;

    /// The problem of the account as a number: Problem, or -1 for none.
    QString problemOf() const;
};

} // namespace tarvo
