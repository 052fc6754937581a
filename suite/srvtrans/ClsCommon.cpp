#include "ClsCommon.h"

#include "BatchSave.h"
#include "RecordsetBuilder.h"
#include "SaveService.h"
#include "SqlDialect.h"
#include "SuiteContext.h"

#include <QCoreApplication>

namespace tarvo::suite {

namespace {
/// Texts whose translation is kept: the statements a session runs again fit many times over.
/// Long texts (a filter naming thousands of keys) are rarely run twice and are not kept.
constexpr qsizetype kTranslatedKept = 512;
constexpr qsizetype kLongestKept = 2000;
} // namespace

ClsCommon::ClsCommon() = default;
ClsCommon::~ClsCommon() = default;

void ClsCommon::Init(const QString& dbName) {
    m_builder.reset();
    m_translated.clear();
    m_db.reset();
    m_lastError.clear();
    try {
        m_db = AccountDatabase::open(dbName);
        m_builder = std::make_unique<RecordsetBuilder>(m_db->dictionary());
    } catch (const DbError& e) {
        m_lastError = e.text();
    }
}

QString ClsCommon::translated(const QString& sql) {
    if (sql.size() > kLongestKept)
        return translateQuery(sql, m_db->sql().kind());
    if (const auto it = m_translated.constFind(sql); it != m_translated.constEnd())
        return *it;
    if (m_translated.size() >= kTranslatedKept)
        m_translated.clear();
    return *m_translated.insert(sql, translateQuery(sql, m_db->sql().kind()));
}

RecordsetPtr ClsCommon::OpenX(QString& sql) {
    return query(sql, {});
}

RecordsetPtr ClsCommon::OpenXBound(QString& sql, const QVariantList& params) {
    return query(sql, params);
}

RecordsetPtr ClsCommon::query(const QString& sql, const QVariantList& params) {
    if (!m_db) {
        m_lastError = QCoreApplication::translate("tarvo::suite::DbError", "没有连接账套数据库");
        return nullptr;
    }
    try {
        SqlBackend& db = m_db->sql();
        const QString text = translated(sql);
        // Literals of a text the caller did not bind become parameters, so that the engine
        // reuses one prepared statement for texts that differ only in them.
        const LiftedQuery lifted = params.isEmpty() ? liftLiterals(text) : LiftedQuery{};
        if (!lifted.values.isEmpty()) {
            try {
                return m_builder->build(db.queryStored(lifted.sql, lifted.values));
            } catch (const DbError&) {
                // A text the engine reads differently as a parameter (a typed literal such as
                // interval '1 day'): the statement as written decides.
            }
        }
        return m_builder->build(db.queryStored(text, params));
    } catch (const DbError& e) {
        m_lastError = e.text();
        return nullptr;
    }
}

bool ClsCommon::refuseWithoutConnection(QString& errText) {
    if (m_db)
        return false;
    errText = QCoreApplication::translate("tarvo::suite::DbError", "没有连接账套数据库");
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

bool ClsCommon::CanDelete(const QVariant& key, const QString& keyField, const QString& archive,
                          QString& errText) {
    if (refuseWithoutConnection(errText))
        return false;
    return SaveService(*m_db, currentUser()).mayRemove(key, keyField, archive, errText);
}

bool ClsCommon::SaveBatch(const QStringList& xmls, const QString& archive, bool store,
                          QVector<BatchVerdict>& verdicts, QString& errText) {
    if (refuseWithoutConnection(errText))
        return false;
    return BatchSave(*m_db, currentUser()).run(xmls, archive, store, verdicts, errText);
}

} // namespace tarvo::suite
