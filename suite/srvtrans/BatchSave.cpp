#include "BatchSave.h"

#include "AccountDatabase.h"
#include "BatchFacts.h"
#include "BatchWriter.h"
#include "DecimalText.h"
#include "SaveService.h"
#include "SaveXml.h"
#include "SqlDialect.h"

#include <QCoreApplication>

#include <algorithm>
#include <memory>
#include <optional>

namespace tarvo::suite {

namespace {

/// Whether the stored value is what the record's text would store.
bool storesAs(const DictField& f, const QVariant& stored, const QString& text) {
    QString error;
    const auto wanted = storedValue(f, text, error);
    if (!wanted)
        return false;
    if (wanted->isNull() || stored.isNull())
        return wanted->isNull() && stored.isNull();
    if (f.type == u"money") {
        const auto a = DecimalText::fromVariant(stored);
        const auto b = DecimalText::parse(wanted->toString());
        return a && b && a->plain() == b->plain();
    }
    if (f.type == u"date")
        return stored.toString().left(10) == wanted->toString();
    if (f.type == u"varchar")
        return stored.toString() == wanted->toString();
    return stored.toLongLong() == wanted->toLongLong();
}

/// Records checked against one read of what is stored: their keys and numbers are asked for
/// with one query per this many. A server, where each query waits for the link, takes many
/// more at once, as one list per query.
int recordsPerRead(SqlBackend& sql) {
    return EngineDialect::of(sql).inTextList.isEmpty() ? 500 : 20000;
}

/// Whether a column of the save XML is the named one: letter case does not count.
bool isColumn(const QString& name, QStringView column) {
    return name.size() == column.size() && name.compare(column, Qt::CaseInsensitive) == 0;
}

/// What the catalog says of a table that a batch must know before its first record.
struct TableCatalog {
    /// Triggers of the table's own, whose refusals no check can foresee.
    bool ownTriggers = false;
    /// The columns the database holds NOT NULL, in lower case.
    QSet<QString> notNull;
};

/// The questions, to go along with the first read of stored records.
QVector<Statement> catalogQuestions(SqlBackend& sql, const QString& table) {
    const EngineDialect& dialect = EngineDialect::of(sql);
    const QVariantList name{table.toLower()};
    return {{dialect.ownTriggersQuery, name}, {dialect.notNullColumnsQuery, name}};
}

TableCatalog catalogOf(const QVector<QueryResult>& answers) {
    TableCatalog catalog;
    catalog.ownTriggers = !answers.value(0).rows.isEmpty();
    for (const auto& row : answers.value(1).rows)
        catalog.notNull.insert(row[0].toString().toLower());
    return catalog;
}

QString refusedText(int row, const QString& reason) {
    return QCoreApplication::translate("tarvo::suite::SaveService",
                                       "第 %1 条记录未能保存，全部记录均未导入：%2")
        .arg(row)
        .arg(reason);
}

/// Keeps a record's verdict; false when a store must stop at a refused record.
bool keepVerdict(BatchVerdict v, bool accepted, bool store, int row,
                 QVector<BatchVerdict>& verdicts, QString& error) {
    if (!accepted)
        v.kind = BatchVerdict::Refused;
    verdicts << v;
    if (accepted || !store)
        return true;
    error = refusedText(row, v.reason);
    return false;
}

} // namespace

BatchSave::BatchSave(AccountDatabase& db, QString userId) : m_db(db), m_userId(std::move(userId)) {}

BatchVerdict::Kind BatchSave::classify(const SaveRecord& record, const QString& archive,
                                       StoredFacts& facts) {
    const DataDictionary& dict = m_db.dictionary();
    const DictField* key = dict.keyField(archive);
    // Most records of a file are new: asking for the key alone settles them.
    for (const auto& [name, text] : record.fields)
        if (isColumn(name, key->field) &&
            !facts.stored(archive, {key->field}, text))
            return BatchVerdict::Added;
    QVector<const DictField*> fields;
    QStringList names;
    QStringList texts;
    QString keyText;
    for (const auto& [name, text] : record.fields) {
        const DictField* f = dict.find(archive, name);
        if (!f)
            return BatchVerdict::Modified; // the save service explains the unknown column
        if (f == key)
            keyText = text;
        fields << f;
        names << f->field;
        texts << text;
    }
    const auto stored = facts.stored(archive, names, keyText);
    if (!stored)
        return BatchVerdict::Added;
    for (int i = 0; i < fields.size(); ++i)
        if (!storesAs(*fields[i], stored->at(i), texts[i]))
            return BatchVerdict::Modified;
    return BatchVerdict::Unchanged;
}

bool BatchSave::run(const QStringList& xmls, const QString& archive, bool store,
                    QVector<BatchVerdict>& verdicts, QString& error,
                    const WorkProgress& progress) {
    verdicts.clear();
    error.clear();
    if (!m_db.dictionary().keyField(archive)) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "没有提供档案“%1”的保存服务").arg(archive);
        return false;
    }
    try {
        SqlBackend& sql = m_db.sql();
        // A check in reads writes nothing to undo; on a server each read sees what is
        // committed with or without a transaction, which would only cost its round trips.
        std::optional<Transaction> tx;
        if (store || !EngineDialect::of(sql).costlyRoundTrips)
            tx.emplace(sql);
        bool rowByRow = false;
        bool done = runInReads(xmls, archive, store, rowByRow, verdicts, error, progress);
        if (rowByRow) {
            verdicts.clear();
            if (!tx)
                tx.emplace(sql);
            done = runRowByRow(xmls, archive, store, verdicts, error, progress);
        }
        if (!done || !progress.goOn(xmls.size()))
            return false;
        if (store)
            tx->commit();
    } catch (const DbError& e) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "数据库出错，全部记录均未导入：%1").arg(e.text());
        return false;
    }
    return true;
}

bool BatchSave::runRowByRow(const QStringList& xmls, const QString& archive, bool store,
                            QVector<BatchVerdict>& verdicts, QString& error,
                            const WorkProgress& progress) {
    // Each record is saved in full and, when only checking, undone with the rest at the end:
    // what the triggers say is known only once they ran.
    SaveService service(m_db, m_userId);
    DatabaseFacts facts(m_db);
    for (int i = 0; i < xmls.size(); ++i) {
        if (!progress.goOn(i))
            return false;
        BatchVerdict v;
        const auto record = parseSaveXml(xmls[i], v.reason);
        bool accepted = false;
        if (record) {
            v.kind = classify(*record, archive, facts);
            accepted = v.kind == BatchVerdict::Unchanged ||
                       (v.kind == BatchVerdict::Added ? service.add(xmls[i], archive, v.reason)
                                                      : service.modify(xmls[i], archive, v.reason));
        }
        if (!keepVerdict(v, accepted, store, i + 1, verdicts, error))
            return false;
    }
    return true;
}

bool BatchSave::runInReads(const QStringList& xmls, const QString& archive, bool store,
                           bool& rowByRow, QVector<BatchVerdict>& verdicts, QString& error,
                           const WorkProgress& progress) {
    // Checking writes nothing: each record goes through the save's checks against what was
    // read for its run of records, with the records before it counted in. Storing checks the
    // same way and writes the accepted records a few hundred per statement.
    SaveService service(m_db, m_userId);
    auto facts = std::make_unique<BatchFacts>(m_db, archive, [&](int index) {
        // Taken once already: it parses and passes as it did then.
        QString unused;
        return *service.prepare(*parseSaveXml(xmls[index], unused), archive,
                                SaveService::Mode::Add, unused);
    });
    std::optional<BatchWriter> writer;
    if (store)
        writer.emplace(m_db, archive, m_userId);
    const DataDictionary& dict = m_db.dictionary();
    const QString keyName = dict.keyField(archive)->field;
    const bool accounts = archive.compare(u"bank", Qt::CaseInsensitive) == 0;
    TableCatalog catalog;
    verdicts.reserve(xmls.size());
    // Kept from run to run: allocated anew each time, they cost a long file more than the
    // records they hold once the heap is full of freed rows.
    QVector<std::optional<SaveRecord>> records;
    QStringList reasons;
    QStringList keys;
    QStringList numbers;
    const int perRead = recordsPerRead(m_db.sql());
    for (int first = 0; first < xmls.size(); first += perRead) {
        const int end = std::min<int>(int(xmls.size()), first + perRead);
        records.clear();
        reasons.clear();
        keys.clear();
        numbers.clear();
        records.reserve(end - first);
        reasons.reserve(end - first);
        keys.reserve(end - first);
        numbers.reserve(end - first);
        for (int i = first; i < end; ++i) {
            QString reason;
            records << parseSaveXml(xmls[i], reason);
            reasons << reason;
            for (const auto& [name, text] : records.last() ? records.last()->fields
                                                           : QVector<QPair<QString, QString>>()) {
                if (isColumn(name, keyName))
                    keys << text;
                else if (accounts && isColumn(name, u"cBAccount"))
                    numbers << comparedNumber(text);
            }
        }
        if (store && accounts)
            m_db.sql().lockValues(QStringLiteral("bank.cBAccount"), numbers);
        if (first > 0) {
            facts->load(keys, numbers);
        } else {
            // What the catalog says comes with the first records' stored rows: one round trip
            // on a server, lost only on a table with triggers of its own.
            catalog = catalogOf(facts->load(keys, numbers, catalogQuestions(m_db.sql(), archive)));
            if (catalog.ownTriggers) {
                rowByRow = true;
                return false;
            }
        }
        for (int i = first; i < end; ++i) {
            if (!progress.goOn(i))
                return false;
            BatchVerdict v;
            v.reason = reasons[i - first];
            const auto& record = records[i - first];
            bool accepted = false;
            if (record) {
                v.kind = classify(*record, archive, *facts);
                const auto mode = v.kind == BatchVerdict::Added ? SaveService::Mode::Add
                                                                : SaveService::Mode::Modify;
                std::optional<CheckedRecord> checked;
                if (v.kind != BatchVerdict::Unchanged)
                    checked = service.prepare(*record, archive, mode, v.reason);
                accepted =
                    v.kind == BatchVerdict::Unchanged ||
                    (checked && service.checkStored(*checked, archive, mode, *facts, v.reason) &&
                     SaveService::fillsNotNull(*checked, catalog.notNull, v.reason));
                if (accepted && checked) {
                    if (writer && mode == SaveService::Mode::Add)
                        writer->add(*checked, xmls[i]);
                    else if (writer)
                        writer->modify(*checked, *facts->row(checked->keyText), xmls[i]);
                    facts->take(*checked, i);
                }
            }
            if (!keepVerdict(v, accepted, store, i + 1, verdicts, error))
                return false;
        }
    }
    if (writer)
        writer->flush();
    return true;
}

} // namespace tarvo::suite
