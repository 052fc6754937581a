#pragma once

#include "IClsCommon.h"
#include "SqlBackend.h"

#include <QString>

#include <optional>

namespace tarvo::suite {

class AccountDatabase;
class OptionStore;

/// The print styles users set up, per user and archive, kept in the accounting database so
/// that a page set-up outlives the session and follows the user to other machines.
class PrintStyleStore {
public:
    explicit PrintStyleStore(const ClsCommonPtr& db);

    /// What a printout's style takes from the database; nothing of either when it is not
    /// stored or cannot be read.
    struct Stored {
        /// The user's own style of the archive.
        std::optional<QString> style;
        /// The account's setting of the decimals of amounts, as stored.
        std::optional<QString> decimals;
    };

    bool isAvailable() const { return m_db != nullptr; }
    /// Both in one statement: on a server each question costs a round trip. The options, when
    /// given, are read in the same round trip.
    Stored load(const QString& userId, const QString& archive,
                const OptionStore* options = nullptr) const;
    /// Has load() with the options read with the next question the connection sends.
    void askAhead(const QString& userId, const QString& archive, const OptionStore& options) const;
    /// Throws DbError when the style cannot be stored.
    void save(const QString& userId, const QString& archive, const QString& style);

private:
    AccountDatabase* m_db = nullptr;
    void ensureTable() const;
    static Statement loadStatement(const QString& userId, const QString& archive);
};

} // namespace tarvo::suite
