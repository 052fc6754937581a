#include "OptionStore.h"

#include "ClsCommon.h"

namespace tarvo::suite {

OptionStore::OptionStore(const ClsCommonPtr& db, const QString& userId) : m_userId(userId) {
    if (auto* cc = dynamic_cast<ClsCommon*>(db.get()))
        m_db = cc->database();
}

bool OptionStore::isAvailable() const { return m_db != nullptr; }

bool OptionStore::flag(const QString& key, bool defaultValue) const {
    if (!m_db)
        return defaultValue;
    try {
        const auto r = m_db->sql().query(
            QStringLiteral("SELECT cValue FROM tarvo_option WHERE cUserId = ? AND cKey = ?"),
            {m_userId, key});
        return r.rows.isEmpty() ? defaultValue : r.rows[0][0].toString() == u"1";
    } catch (const DbError&) {
        return defaultValue;
    }
}

void OptionStore::setFlag(const QString& key, bool value) {
    if (!m_db)
        return;
    try {
        SqlBackend& sql = m_db->sql();
        Transaction tx(sql);
        sql.exec(QStringLiteral("DELETE FROM tarvo_option WHERE cUserId = ? AND cKey = ?"),
                 {m_userId, key});
        sql.exec(QStringLiteral("INSERT INTO tarvo_option (cUserId, cKey, cValue) VALUES (?, ?, ?)"),
                 {m_userId, key, value ? QStringLiteral("1") : QStringLiteral("0")});
        tx.commit();
    } catch (const DbError&) {
        // An option that cannot be stored still applies to the open window.
    }
}

} // namespace tarvo::suite
