#pragma once

#include "IClsCommon.h"

#include <QString>

#include <optional>

namespace tarvo::suite {

class AccountDatabase;

/// The print styles users set up, per user and archive, kept in the accounting database so
/// that a page set-up outlives the session and follows the user to other machines.
class PrintStyleStore {
public:
    explicit PrintStyleStore(const ClsCommonPtr& db);

    bool isAvailable() const { return m_db != nullptr; }
    /// Nothing when no style is stored or the database cannot be read.
    std::optional<QString> load(const QString& userId, const QString& archive) const;
    /// Throws DbError when the style cannot be stored.
    void save(const QString& userId, const QString& archive, const QString& style);

private:
    AccountDatabase* m_db = nullptr;
    void ensureTable() const;
};

} // namespace tarvo::suite
