#include "PrintStyleStore.h"

#include "ClsCommon.h"

#include <QCoreApplication>
#include <QDateTime>

namespace tarvo::suite {

PrintStyleStore::PrintStyleStore(const ClsCommonPtr& db) {
    if (auto* cc = dynamic_cast<ClsCommon*>(db.get()))
        m_db = cc->database();
}

void PrintStyleStore::ensureTable() const {
    // Databases created before styles were stored lack the table; it is the same statement as
    // in the schema, so both kinds of database end up alike.
    m_db->sql().execScript(QStringLiteral("CREATE TABLE IF NOT EXISTS tarvo_print_style ("
                                          "cUserId varchar(20) NOT NULL, "
                                          "cArchive varchar(40) NOT NULL, "
                                          "cStyle text NOT NULL, "
                                          "dChanged varchar(30), "
                                          "PRIMARY KEY (cUserId, cArchive))"));
}

std::optional<QString> PrintStyleStore::load(const QString& userId, const QString& archive) const {
    if (!m_db)
        return std::nullopt;
    // Every database opened has been brought to a schema with the table; one that lost it
    // anyway fails the read, which costs no more than asking the catalog first would.
    try {
        const auto r = m_db->sql().query(
            QStringLiteral(
                "SELECT cStyle FROM tarvo_print_style WHERE cUserId = ? AND cArchive = ?"),
            {userId, archive.toLower()});
        if (r.rows.isEmpty())
            return std::nullopt;
        return r.rows[0][0].toString();
    } catch (const DbError&) {
        return std::nullopt;
    }
}

void PrintStyleStore::save(const QString& userId, const QString& archive, const QString& style) {
    if (!m_db)
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError",
                                                  "没有连接账套数据库，打印格式无法保存"));
    ensureTable();
    SqlBackend& sql = m_db->sql();
    Transaction tx(sql);
    sql.exec(QStringLiteral("DELETE FROM tarvo_print_style WHERE cUserId = ? AND cArchive = ?"),
             {userId, archive.toLower()});
    sql.exec(
        QStringLiteral("INSERT INTO tarvo_print_style (cUserId, cArchive, cStyle, dChanged) "
                       "VALUES (?, ?, ?, ?)"),
        {userId, archive.toLower(), style, QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
    tx.commit();
}

} // namespace tarvo::suite
