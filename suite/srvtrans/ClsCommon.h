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
    RecordsetPtr ReferenceRows(const QString& table, const QString& column, const QVariant& value,
                               bool anyCase = false) override;
    void WantReferences() override;
    void StopWhen(std::function<bool()> stop) override;
    void ExpectStart(const QString& archive, const QStringList& openXTexts) override;

    /// The whole of a reference table in its key's order, from the connection's copy; null
    /// when the table is not kept.
    RecordsetPtr ReferenceTable(const QString& table);

    /// What a query of one reference table alone reads ("select * from t where … order by …"),
    /// from the connection's copy: the whole table when the query has no condition, else kept
    /// under its text after its first run. Null when the table is not kept (ask OpenX).
    RecordsetPtr ReferenceQuery(const QString& table, QString& sql);

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
    /// Opens the connection's helpers once m_db is set.
    void attached();
    /// A query for fields alone answered from the data dictionary (see dictionaryShape); null
    /// for any other.
    RecordsetPtr fieldsOnly(const QString& sql) const;
    /// After a save of the archive: the copy of it, if kept, may hold what changed.
    void forgetKept(const QString& archive);
    bool refuseWithoutConnection(QString& errText);
    RecordsetPtr query(const QString& sql, const QVariantList& params);
};

} // namespace tarvo::suite
