#pragma once

#include "IReferClient.h"

#include <QStringList>

namespace tarvo::suite {

class ClsCommon;
class ReferRowsModel;

/// The reference client "MoxReferC.MoxReferClient": a pick list over the rows of one table of
/// the login's accounting database.
class ReferClient : public IReferClient {
public:
    ReferClient();
    ~ReferClient() override;

    /// mode and flag are taken for the callers' sake; every pick list here works alike.
    bool EnumRefInit(LoginPtr& login, qint16 mode, bool flag, QString& table,
                     QString& condition) override;
    void Show() override;
    RecordsetPtr recmx() const override { return m_chosen; }

private:
    std::shared_ptr<ClsCommon> m_db;
    RecordsetPtr m_rows;
    RecordsetPtr m_chosen;
    QString m_tableCaption;
    QStringList m_captions;
    QStringList m_keys;

    bool openDatabase(const QString& dbName);
    /// The record set filter that selects the given rows of the model by the table's key.
    QString keyFilter(const ReferRowsModel& model, const QList<int>& rows) const;
};

} // namespace tarvo::suite
