#pragma once

#include "IClsCommon.h"
#include "SqlBackend.h"

#include <QHash>
#include <QString>

#include <optional>

namespace tarvo::suite {

class AccountDatabase;

/// Per-user options kept in the accounting database (toolbar text, status bar, print row
/// numbers, the fields a list's filter offers …). Reached through the session's server
/// transaction object.
class OptionStore {
public:
    OptionStore(const ClsCommonPtr& db, const QString& userId);

    /// False when the database cannot be reached; reads then give the default.
    bool isAvailable() const;
    bool flag(const QString& key, bool defaultValue) const;
    void setFlag(const QString& key, bool value);
    QString text(const QString& key, const QString& defaultValue = {}) const;
    /// False when the value could not be stored.
    bool setText(const QString& key, const QString& value);
    /// Has the user's options read with the next question the connection sends.
    void askAhead();

    /// The statement that reads the user's options, for a caller that sends it along with its
    /// own; take() gets its answer.
    Statement readStatement() const;
    /// The answer of readStatement(); null when it did not run, leaving them to be read when
    /// first wanted.
    void take(const QueryResult* answer) const;

private:
    AccountDatabase* m_db = nullptr;
    QString m_userId;
    /// The user's options, read together at the first read: each read is a round trip to a
    /// server. Nothing when the database could not be read.
    mutable std::optional<QHash<QString, QString>> m_values;
    mutable bool m_read = false;
    /// Nothing when no value is stored or the database cannot be read.
    std::optional<QString> stored(const QString& key) const;
};

} // namespace tarvo::suite
