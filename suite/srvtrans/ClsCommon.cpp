#include "ClsCommon.h"

#include "BatchSave.h"
#include "RecordsetBuilder.h"
#include "SaveService.h"
#include "SqlDialect.h"
#include "SuiteContext.h"

namespace tarvo::suite {

void ClsCommon::Init(const QString& dbName) {
    m_db.reset();
    m_lastError.clear();
    try {
        m_db = AccountDatabase::open(dbName);
    } catch (const DbError& e) {
        m_lastError = e.text();
    }
}

RecordsetPtr ClsCommon::OpenX(QString& sql) {
    return query(sql, {});
}

RecordsetPtr ClsCommon::OpenXBound(QString& sql, const QVariantList& params) {
    return query(sql, params);
}

RecordsetPtr ClsCommon::query(const QString& sql, const QVariantList& params) {
    if (!m_db) {
        m_lastError = QStringLiteral("没有连接账套数据库");
        return nullptr;
    }
    try {
        SqlBackend& db = m_db->sql();
        const QString text = translateQuery(sql, db.kind());
        // Literals of a text the caller did not bind become parameters, so that the engine
        // reuses one prepared statement for texts that differ only in them.
        const LiftedQuery lifted = params.isEmpty() ? liftLiterals(text) : LiftedQuery{};
        if (!lifted.values.isEmpty()) {
            try {
                return buildRecordset(db.queryStored(lifted.sql, lifted.values),
                                      m_db->dictionary());
            } catch (const DbError&) {
                // A text the engine reads differently as a parameter (a typed literal such as
                // interval '1 day'): the statement as written decides.
            }
        }
        return buildRecordset(db.queryStored(text, params), m_db->dictionary());
    } catch (const DbError& e) {
        m_lastError = e.text();
        return nullptr;
    }
}

bool ClsCommon::refuseWithoutConnection(QString& errText) {
    if (m_db)
        return false;
    errText = QStringLiteral("没有连接账套数据库");
    return true;
}

bool ClsCommon::Add(QString& xml, const QString& archive, QString& errText) {
    if (refuseWithoutConnection(errText))
        return false;
    return SaveService(*m_db, currentUser()).add(xml, archive, errText);
}

bool ClsCommon::Modify(QString& xml, const QString& archive, QString& errText) {
    if (refuseWithoutConnection(errText))
        return false;
    return SaveService(*m_db, currentUser()).modify(xml, archive, errText);
}

bool ClsCommon::Delete(QVariant& key, const QString& keyField, const QString& archive,
                       QString& errText, const QString& userId) {
    if (refuseWithoutConnection(errText))
        return false;
    return SaveService(*m_db, currentUser()).remove(key, keyField, archive, errText, userId);
}

bool ClsCommon::SaveBatch(const QStringList& xmls, const QString& archive, bool store,
                          QVector<BatchVerdict>& verdicts, QString& errText) {
    if (refuseWithoutConnection(errText))
        return false;
    return BatchSave(*m_db, currentUser()).run(xmls, archive, store, verdicts, errText);
}

} // namespace tarvo::suite
