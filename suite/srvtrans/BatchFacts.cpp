#include "BatchFacts.h"

#include "AccountDatabase.h"
#include "SaveService.h"
#include "SqlDialect.h"

#include <algorithm>

namespace tarvo::suite {

namespace {

/// Values per query: well within what either engine takes as parameters of one statement.
constexpr int kValuesPerQuery = 500;

QString marks(qsizetype n) {
    QString out;
    out.reserve(n * 3);
    for (qsizetype i = 0; i < n; ++i)
        out += i ? QStringLiteral(", ?") : QStringLiteral("?");
    return out;
}

/// The statements that ask the query, whose %1 follows a column to ask for the values: one
/// for all of them where the engine takes them as one list, else one per slice of them as
/// "IN (?, ?, …)".
QVector<Statement> inSlices(SqlBackend& sql, const QString& text, const QStringList& values) {
    QVector<Statement> statements;
    if (values.isEmpty())
        return statements;
    if (const QString& inList = EngineDialect::of(sql).inTextList; !inList.isEmpty())
        return {{text.arg(inList), {textList(values)}}};
    for (qsizetype at = 0; at < values.size(); at += kValuesPerQuery) {
        const QStringList slice = values.mid(at, kValuesPerQuery);
        statements.push_back({text.arg(QStringLiteral("IN (%1)").arg(marks(slice.size()))),
                              QVariantList(slice.cbegin(), slice.cend())});
    }
    return statements;
}

void insertSorted(QStringList& codes, const QString& code) {
    codes.insert(std::lower_bound(codes.begin(), codes.end(), code), code);
}

} // namespace

BatchFacts::BatchFacts(AccountDatabase& db, const QString& archive, Recall recall)
    : m_db(db), m_table(archive.toLower()), m_fields(db.dictionary().fields(archive)),
      m_recall(std::move(recall)) {
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_table == u"bank" && m_fields[i]->field.compare(u"cBAccount", Qt::CaseInsensitive) == 0)
            m_number = i;
}

QVector<QueryResult> BatchFacts::load(const QStringList& keys, const QStringList& comparedNumbers,
                                      const QVector<Statement>& along) {
    QStringList newKeys;
    QSet<QString> asked;
    for (const QString& k : keys)
        if (!m_rows.contains(k) && !m_added.contains(k) && !m_absent.contains(k) &&
            !asked.contains(k)) {
            asked.insert(k);
            newKeys << k;
        }
    QStringList names;
    for (const DictField* f : std::as_const(m_fields))
        names << f->field;
    const QString keyField = m_db.dictionary().keyField(m_table)->field;
    const int keyAt = int(std::find(m_fields.cbegin(), m_fields.cend(),
                                    m_db.dictionary().keyField(m_table)) -
                          m_fields.cbegin());
    QVector<Statement> statements = along;
    statements += inSlices(m_db.sql(),
                           QStringLiteral("SELECT %1 FROM %2 WHERE %3 %4")
                               .arg(names.join(u", "), m_table, keyField, QStringLiteral("%1")),
                           newKeys);
    const qsizetype keysEnd = statements.size();
    QStringList newNumbers;
    if (m_number >= 0) {
        for (const QString& n : comparedNumbers)
            if (!m_storedHolders.contains(n)) {
                m_storedHolders.insert(n, {});
                newNumbers << n;
            }
        statements += inSlices(m_db.sql(),
                               QStringLiteral("SELECT %1, cBCode FROM bank WHERE %1 %2")
                                   .arg(QLatin1String(kAccountNumberKey), QStringLiteral("%1")),
                               newNumbers);
    }
    if (statements.isEmpty())
        return {};
    // The keys and the numbers are asked in one round trip on a server.
    const BatchResult answers = m_db.sql().queryBatch(statements);
    if (!answers.ok()) {
        // What was not read is not known to be absent.
        for (const QString& n : std::as_const(newNumbers))
            m_storedHolders.remove(n);
        throw DbError(answers.error);
    }
    for (qsizetype i = along.size(); i < statements.size(); ++i) {
        for (const QVector<QVariant>& r : answers.results[i].rows) {
            if (i >= keysEnd) {
                insertSorted(m_storedHolders[r[0].toString()], r[1].toString());
                continue;
            }
            const QVariantList row(r.cbegin(), r.cend());
            const QString key = row[keyAt].toString();
            if (m_number >= 0)
                hold(row[m_number], key, true);
            m_rows.insert(key, row);
        }
    }
    for (const QString& k : std::as_const(newKeys))
        if (!m_rows.contains(k))
            m_absent.insert(k);
    return answers.results.mid(0, along.size());
}

void BatchFacts::hold(const QVariant& number, const QString& key, bool holds) {
    if (m_number < 0 || number.isNull())
        return;
    QStringList& codes = m_heldNow[comparedNumber(number.toString())];
    if (holds)
        insertSorted(codes, key);
    else
        codes.removeOne(key);
}

QHash<QString, QVariantList>::iterator BatchFacts::recall(const QString& key) {
    const int index = m_added.take(key);
    QVariantList row;
    // Flags a new record does not bring are off, as the tables' defaults have them.
    for (const DictField* f : std::as_const(m_fields))
        row << (f->type == u"bit" ? QVariant(0) : QVariant());
    const CheckedRecord record = m_recall(index);
    for (int c = 0; c < record.columns.size(); ++c)
        if (const auto at = m_fields.indexOf(record.columns[c]); at >= 0)
            row[at] = record.values[c];
    return m_rows.insert(key, row);
}

void BatchFacts::take(const CheckedRecord& record, int index) {
    const QString& key = record.keyText;
    auto it = m_rows.find(key);
    if (it == m_rows.end() && !m_added.contains(key)) {
        m_absent.remove(key);
        m_added.insert(key, index);
        for (int c = 0; c < record.columns.size(); ++c)
            if (m_number >= 0 && record.columns[c] == m_fields[m_number])
                hold(record.values[c], key, true);
        return;
    }
    if (it == m_rows.end())
        it = recall(key);
    if (m_number >= 0)
        hold(it->at(m_number), key, false);
    for (int c = 0; c < record.columns.size(); ++c)
        if (const auto at = m_fields.indexOf(record.columns[c]); at >= 0)
            (*it)[at] = record.values[c];
    if (m_number >= 0)
        hold(it->at(m_number), key, true);
}

const QVariantList* BatchFacts::row(const QString& key) {
    auto it = m_rows.find(key);
    if (it == m_rows.end() && m_added.contains(key))
        it = recall(key);
    return it == m_rows.end() ? nullptr : &*it;
}

std::optional<QVariantList> BatchFacts::stored(const QString& archive, const QStringList& columns,
                                               const QString& key) {
    if (archive.compare(m_table, Qt::CaseInsensitive) != 0)
        return DatabaseFacts(m_db).stored(archive, columns, key);
    if (!m_rows.contains(key) && !m_added.contains(key) && !m_absent.contains(key))
        load({key}, {});
    const QVariantList* r = row(key);
    if (!r)
        return std::nullopt;
    QVariantList out;
    for (const QString& name : columns) {
        // The checks name columns as the dictionary spells them.
        auto f = std::find_if(m_fields.cbegin(), m_fields.cend(),
                              [&](const DictField* d) { return d->field == name; });
        if (f == m_fields.cend())
            f = std::find_if(m_fields.cbegin(), m_fields.cend(), [&](const DictField* d) {
                return d->field.compare(name, Qt::CaseInsensitive) == 0;
            });
        out << (f == m_fields.cend() ? QVariant() : r->at(int(f - m_fields.cbegin())));
    }
    return out;
}

QString BatchFacts::numberHolder(const QString& compared, const QString& key) {
    if (!m_storedHolders.contains(compared))
        load({}, {compared});
    QString first;
    const auto consider = [&](const QString& code) {
        if (code != key && (first.isNull() || code < first))
            first = code;
    };
    for (const QString& code : m_storedHolders.value(compared))
        if (!m_rows.contains(code))
            consider(code);
    for (const QString& code : m_heldNow.value(compared))
        consider(code);
    return first;
}

std::optional<QVariant> BatchFacts::lookUp(const NamedRow& row, const QString& value) {
    // Outside a transaction the session's copy of a reference table answers as a read of it
    // would; inside one the read sees the transaction's own changes, which the copy does not.
    RecordsetPtr all;
    QVector<int> rows;
    if (m_db.sql().transactionDepth == 0 &&
        m_db.references().rowsWhere(QLatin1String(row.table), QLatin1String(row.keyColumn), value,
                                    false, all, rows)) {
        if (rows.isEmpty())
            return std::nullopt;
        const int column = all->fieldIndex(QLatin1String(row.valueColumn));
        // A constant for the column says that the row is there.
        return column < 0 ? QVariant(QString::fromLatin1(row.valueColumn).toInt())
                          : all->valueAt(rows.first(), column);
    }
    auto it = m_named.find(&row);
    if (it == m_named.end()) {
        it = m_named.insert(&row, {});
        const auto r = m_db.sql().query(QStringLiteral("SELECT %1, %2 FROM %3")
                                            .arg(QLatin1String(row.keyColumn),
                                                 QLatin1String(row.valueColumn),
                                                 QLatin1String(row.table)));
        for (const auto& values : r.rows)
            it->insert(values[0].toString(), values[1]);
    }
    const auto found = it->constFind(value);
    if (found == it->cend())
        return std::nullopt;
    return *found;
}

} // namespace tarvo::suite
