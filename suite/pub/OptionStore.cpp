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

void OptionStore::askAhead() {
    if (!m_db)
        return;
    const Statement read = readStatement();
    m_db->sql().askAhead({read});
}

std::optional<QString> OptionStore::stored(const QString& key) const {
    if (!m_db)
        return std::nullopt;
    if (!m_read) {
        m_read = true;
        try {
            const Statement read = readStatement();
            const auto r = m_db->sql().query(read.sql, read.params);
            take(&r);
        } catch (const DbError&) {
        }
    }
    if (!m_values)
        return std::nullopt;
    const auto it = m_values->constFind(key);
    return it == m_values->cend() ? std::nullopt : std::optional<QString>(*it);
}

Statement OptionStore::readStatement() const {
    return {QStringLiteral("SELECT cKey, cValue FROM tarvo_option WHERE cUserId = ?"), {m_userId}};
}

void OptionStore::take(const QueryResult* answer) const {
    if (!answer)
        return;
    m_read = true;
    m_values.emplace();
    for (const auto& row : answer->rows)
        m_values->insert(row[0].toString(), row[1].toString());
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
