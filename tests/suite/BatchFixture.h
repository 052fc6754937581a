#pragma once

#include "AccountDatabase.h"
#include "ConnectedDatabase.h"

/// A bank account of the demo data's bank, with the columns the save needs and any more.
inline QString account(const QString& code, const QString& number, const QString& extra = {}) {
    return QStringLiteral("<Bank><cBCode>%1</cBCode><cBAccount>%2</cBAccount><cCurrencyName>人民币"
                          "</cCurrencyName><cBName>海淀支行</cBName><cBankCode>102</cBankCode>%3"
                          "</Bank>")
        .arg(code, number, extra);
}

/// Batches checked and stored on a fresh database.
struct BatchFixture : ConnectedDatabase {
    using K = tarvo::BatchVerdict::Kind;

    tarvo::suite::SqlBackend& sql() { return db.database()->sql(); }
    QVariant value(const QString& text) { return sql().query(text).rows.value(0).value(0); }
    int count(const QString& text) { return value(text).toInt(); }
    QVector<tarvo::BatchVerdict> run(const QStringList& xmls, const QString& archive, bool store,
                                     bool* ok = nullptr, QString* error = nullptr) {
        QVector<tarvo::BatchVerdict> verdicts;
        QString err;
        const bool done = db.SaveBatch(xmls, archive, store, verdicts, err);
        if (ok)
            *ok = done;
        if (error)
            *error = err;
        return verdicts;
    }
    static QVector<K> kinds(const QVector<tarvo::BatchVerdict>& verdicts) {
        QVector<K> out;
        for (const auto& v : verdicts)
            out << v.kind;
        return out;
    }
    /// A trigger that changes nothing: the batch then saves record by record, as it always did.
    void addHarmlessTrigger(const QString& table) {
        if (temp.onServer())
            sql().execScript(
                QStringLiteral(
                    "CREATE OR REPLACE FUNCTION keep_row() RETURNS trigger LANGUAGE plpgsql AS "
                    "$$ BEGIN RETURN NEW; END $$; CREATE TRIGGER keep_%1 BEFORE INSERT ON %1 "
                    "FOR EACH ROW EXECUTE FUNCTION keep_row();")
                    .arg(table));
        else
            sql().execScript(QStringLiteral("CREATE TRIGGER keep_%1 AFTER INSERT ON %1 "
                                            "BEGIN SELECT 1; END;")
                                 .arg(table));
    }
};
