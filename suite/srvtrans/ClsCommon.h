#pragma once

#include "AccountDatabase.h"
#include "IClsCommon.h"

#include <QHash>

#include <array>
#include <memory>

namespace tarvo::suite {

class BackgroundRead;
class ReaderConnection;
class RecordsetBuilder;

/// The server transaction object "TarvoSrvTrans.IClsCommon": queries in the component's
/// dialect and the save service, over one connection to the accounting database.
class ClsCommon : public IClsCommon {
public:
    ClsCommon();
    ~ClsCommon() override;
    void Init(const QString& dbName) override;
    bool Status() const override { return m_db != nullptr; }
    RecordsetPtr OpenX(QString& sql) override;
    RecordsetPtr OpenXBound(QString& sql, const QVariantList& params) override;
    RowLoadPtr OpenXInBackground(QString& sql, std::function<void()> ended) override;
    bool OpenXInChunks(QString& sql, const QVector<FieldInfo>& fields, int rowsPerChunk,
                       const std::function<bool(const RecordsetPtr&)>& chunk,
                       QString& error) override;
    bool Add(QString& xml, const QString& archive, QString& errText) override;
    bool Modify(QString& xml, const QString& archive, QString& errText) override;
    bool Delete(QVariant& key, const QString& keyField, const QString& archive, QString& errText,
                const QString& userId) override;
    bool SaveBatch(const QStringList& xmls, const QString& archive, bool store,
                   QVector<BatchVerdict>& verdicts, QString& errText,
                   const WorkProgress& progress = {}) override;
    QString RightRefusal(const QString& archive, const QString& action) override;

    /// Why the last Init or OpenX failed, for the log and the tests.
    const QString& lastError() const { return m_lastError; }
    AccountDatabase* database() const { return m_db.get(); }

private:
    AccountDatabasePtr m_db;
    std::unique_ptr<RecordsetBuilder> m_builder; ///< over m_db's dictionary
    /// Texts in the component's dialect and in the engine's, for the texts run again and again.
    QHash<QString, QString> m_translated;
    QString m_lastError;
    QString m_dbName;
    /// The connection of reads in the background, and the read that used it last.
    std::shared_ptr<ReaderConnection> m_reader;
    std::weak_ptr<BackgroundRead> m_lastRead;
    /// Refusals of the record actions by archive, from one question to the server; each is
    /// handed out once.
    struct RightAnswers {
        std::array<QString, 3> refusals;
        std::array<bool, 3> unused{};
    };
    QHash<QString, RightAnswers> m_rightAnswers;
    QString translated(const QString& sql);
    bool refuseWithoutConnection(QString& errText);
    RecordsetPtr query(const QString& sql, const QVariantList& params);
};

} // namespace tarvo::suite
