#include "PrintStyleStore.h"

#include "ClsCommon.h"
#include "OptionStore.h"

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

namespace {
const QString kDecimalsSetting =
    QStringLiteral("SELECT cValue FROM AccInformation WHERE cSysID = 'AA' AND cID = '20' AND "
                   "cName = 'iStrsPriDecDgt'");

std::optional<QString> textOf(const QVariant& value) {
    return value.isNull() ? std::nullopt : std::optional<QString>(value.toString());
}
} // namespace

Statement PrintStyleStore::loadStatement(const QString& userId, const QString& archive) {
    return {QStringLiteral("SELECT (%1), (SELECT cStyle FROM tarvo_print_style WHERE cUserId = ? "
                           "AND cArchive = ?)")
                .arg(kDecimalsSetting),
            {userId, archive.toLower()}};
}

void PrintStyleStore::askAhead(const QString& userId, const QString& archive,
                               const OptionStore& options) const {
    if (m_db)
        m_db->sql().askAhead({loadStatement(userId, archive), options.readStatement()});
}

PrintStyleStore::Stored PrintStyleStore::load(const QString& userId, const QString& archive,
                                              const OptionStore* options) const {
    Stored out;
    if (!m_db)
        return out;
    SqlBackend& sql = m_db->sql();
    QVector<Statement> statements{loadStatement(userId, archive)};
    if (options)
        statements << options->readStatement();
    try {
        const BatchResult answers = sql.queryBatch(statements);
        if (options)
            options->take(answers.results.size() > 1 ? &answers.results[1] : nullptr);
        if (answers.failed != 0) {
            const QVector<QVariant> row = answers.results.value(0).rows.value(0);
            out.decimals = textOf(row.value(0));
            out.style = textOf(row.value(1));
            return out;
        }
    } catch (const DbError&) {
    }
    // Every database opened has been brought to a schema with the style table; one that lost
    // it anyway still has its settings.
    try {
        out.decimals = textOf(sql.query(kDecimalsSetting).rows.value(0).value(0));
    } catch (const DbError&) {
    }
    return out;
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
