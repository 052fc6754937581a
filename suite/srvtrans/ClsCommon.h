#pragma once

#include "AccountDatabase.h"
#include "IClsCommon.h"

namespace tarvo::suite {

/// The server transaction object "TarvoSrvTrans.IClsCommon": queries in the component's
/// dialect and the save service, over one connection to the accounting database.
class ClsCommon : public IClsCommon {
public:
    void Init(const QString& dbName) override;
    bool Status() const override { return m_db != nullptr; }
    RecordsetPtr OpenX(QString& sql) override;
    RecordsetPtr OpenXBound(QString& sql, const QVariantList& params) override;
    bool Add(QString& xml, const QString& archive, QString& errText) override;
    bool Modify(QString& xml, const QString& archive, QString& errText) override;
    bool Delete(QVariant& key, const QString& keyField, const QString& archive, QString& errText,
                const QString& userId) override;
    bool SaveBatch(const QStringList& xmls, const QString& archive, bool store,
                   QVector<BatchVerdict>& verdicts, QString& errText) override;

    /// Why the last Init or OpenX failed, for the log and the tests.
    const QString& lastError() const { return m_lastError; }
    AccountDatabase* database() const { return m_db.get(); }

private:
    AccountDatabasePtr m_db;
    QString m_lastError;
    bool refuseWithoutConnection(QString& errText);
    RecordsetPtr query(const QString& sql, const QVariantList& params);
};

} // namespace tarvo::suite
