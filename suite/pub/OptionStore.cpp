#include "OptionStore.h"

#include "ClsCommon.h"

namespace tarvo::suite {

OptionStore::OptionStore(const ClsCommonPtr& db, const QString& userId) : m_userId(userId) {
    if (auto* cc = dynamic_cast<ClsCommon*>(db.get()))
        m_db = cc->database();
}

bool OptionStore::isAvailable() const {
    return m_db != nullptr;
}

QString OptionStore::question() const {
    return QStringLiteral("SELECT cKey, cValue FROM tarvo_option WHERE cUserId = ?");
}

void OptionStore::askAhead() {
    if (m_db)
        m_db->sql().askAhead({{question(), {m_userId}}});
}

std::optional<QString> OptionStore::stored(const QString& key) const {
    if (!m_db)
        return std::nullopt;
    if (!m_read) {
        m_read = true;
        try {
            const auto r = m_db->sql().query(question(), {m_userId});
            m_values.emplace();
            for (const auto& row : r.rows)
                m_values->insert(row[0].toString(), row[1].toString());
        } catch (const DbError&) {
        }
    }
    if (!m_values)
        return std::nullopt;
    const auto it = m_values->constFind(key);
    return it == m_values->cend() ? std::nullopt : std::optional<QString>(*it);
}

bool OptionStore::flag(const QString& key, bool defaultValue) const {
    const auto value = stored(key);
    return value ? *value == u"1" : defaultValue;
}

void OptionStore::setFlag(const QString& key, bool value) {
    setText(key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString OptionStore::text(const QString& key, const QString& defaultValue) const {
    return stored(key).value_or(defaultValue);
}

bool OptionStore::setText(const QString& key, const QString& value) {
    if (!m_db)
        return false;
    try {
        SqlBackend& sql = m_db->sql();
        Transaction tx(sql);
        sql.exec(QStringLiteral("DELETE FROM tarvo_option WHERE cUserId = ? AND cKey = ?"),
                 {m_userId, key});
        sql.exec(
            QStringLiteral("INSERT INTO tarvo_option (cUserId, cKey, cValue) VALUES (?, ?, ?)"),
            {m_userId, key, value});
        tx.commit();
        if (m_values)
            m_values->insert(key, value);
        return true;
    } catch (const DbError&) {
        // An option that cannot be stored still applies to the open window.
        return false;
    }
}

} // namespace tarvo::suite
