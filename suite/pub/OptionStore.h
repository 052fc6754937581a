#pragma once

#include "IClsCommon.h"

#include <QString>

namespace tarvo::suite {

/// Per-user window options kept in the accounting database (toolbar text, status bar, print
/// row numbers …). Reached through the session's server transaction object.
class AccountDatabase;

class OptionStore {
public:
    OptionStore(const ClsCommonPtr& db, const QString& userId);

    /// False when the database cannot be reached; reads then give the default.
    bool isAvailable() const;
    bool flag(const QString& key, bool defaultValue) const;
    void setFlag(const QString& key, bool value);

private:
    AccountDatabase* m_db = nullptr;
    QString m_userId;
};

} // namespace tarvo::suite
