#include "StoredFacts.h"

#include "AccountDatabase.h"
#include "SqlDialect.h"

namespace tarvo::suite {

namespace {

QString recordId(const QString& archive, const QString& key) {
    return archive.toLower() + u'\x1f' + key;
}

QString pairId(const QString& a, const QString& b) {
    return a + u'\x1f' + b;
}

QString lookUpId(const NamedRow& row, const QString& value) {
    return QLatin1String(row.table) + u'.' + QLatin1String(row.keyColumn) + u'.' +
           QLatin1String(row.valueColumn) + u'\x1f' + value;
}

QStringList lowered(const QStringList& names) {
    QStringList out;
    for (const QString& n : names)
        out << n.toLower();
    return out;
}

} // namespace

Statement DatabaseFacts::recordQuery(const QString& archive, const QStringList& columns,
                                     const QString& key) const {
    const DictField* keyField = m_db.dictionary().keyField(archive);
    return {QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                .arg(columns.join(u", "), archive.toLower(), keyField->field),
            {key}};
}

Statement DatabaseFacts::holderQuery(const QString& compared, const QString& key) {
    return {QStringLiteral("SELECT cBCode FROM bank WHERE %1 = ? AND cBCode <> ? ORDER BY cBCode")
                .arg(QLatin1String(kAccountNumberKey)),
            {compared, key}};
}

Statement DatabaseFacts::lookUpQuery(const NamedRow& row, const QString& value) {
    return {QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                .arg(QLatin1String(row.valueColumn), QLatin1String(row.table),
                     QLatin1String(row.keyColumn)),
            {value}};
}

std::optional<QVariantList> DatabaseFacts::stored(const QString& archive,
                                                  const QStringList& columns, const QString& key) {
    const auto known = m_records.constFind(recordId(archive, key));
    if (known != m_records.cend()) {
        const auto& [names, row] = *known;
        QVariantList values;
        for (const QString& c : columns) {
            const qsizetype at = names.indexOf(c.toLower());
            if (at < 0)
                break;
            if (row)
                values << row->at(at);
        }
        if (values.size() == columns.size() || (!row && values.isEmpty()))
            return row ? std::optional(values) : std::nullopt;
    }
    const Statement q = recordQuery(archive, columns, key);
    const auto r = m_db.sql().query(q.sql, q.params);
    if (r.rows.isEmpty())
        return std::nullopt;
    return QVariantList(r.rows[0].cbegin(), r.rows[0].cend());
}

QString DatabaseFacts::numberHolder(const QString& compared, const QString& key) {
    const auto known = m_holders.constFind(pairId(compared, key));
    if (known != m_holders.cend())
        return *known;
    // Two clerks saving the same number at once: the second waits here for the first's commit
    // and then finds its row.
    m_db.sql().lockValue(QStringLiteral("bank.cBAccount"), compared);
    const Statement q = holderQuery(compared, key);
    const auto r = m_db.sql().query(q.sql, q.params);
    return r.rows.isEmpty() ? QString() : r.rows[0][0].toString();
}

std::optional<QVariant> DatabaseFacts::lookUp(const NamedRow& row, const QString& value) {
    const auto known = m_lookUps.constFind(lookUpId(row, value));
    if (known != m_lookUps.cend())
        return *known;
    const Statement q = lookUpQuery(row, value);
    const auto r = m_db.sql().query(q.sql, q.params);
    if (r.rows.isEmpty())
        return std::nullopt;
    return r.rows[0][0];
}

void DatabaseFacts::askRecord(QVector<Statement>& batch, const QString& archive,
                              const QStringList& columns, const QString& key, bool lock) {
    Statement q = recordQuery(archive, columns, key);
    if (lock)
        q.sql += EngineDialect::of(m_db.sql()).lockingRead;
    m_asked.push_back({Kind::Record, int(batch.size()), recordId(archive, key), lowered(columns)});
    batch.push_back(std::move(q));
}

void DatabaseFacts::askNumberHolder(QVector<Statement>& batch, const QString& compared,
                                    const QString& key) {
    // The lock goes first, a statement of its own: the question after it then sees what a
    // save that held the lock committed.
    if (const Statement lock = m_db.sql().valueLock(QStringLiteral("bank.cBAccount"), compared);
        !lock.sql.isEmpty())
        batch.push_back(lock);
    m_asked.push_back({Kind::Holder, int(batch.size()), pairId(compared, key), {}});
    batch.push_back(holderQuery(compared, key));
}

void DatabaseFacts::askLookUp(QVector<Statement>& batch, const NamedRow& row,
                              const QString& value) {
    m_asked.push_back({Kind::LookUp, int(batch.size()), lookUpId(row, value), {}});
    batch.push_back(lookUpQuery(row, value));
}

void DatabaseFacts::keepAnswers(const BatchResult& answers) {
    for (const Asked& a : std::as_const(m_asked)) {
        if (a.at >= answers.results.size())
            continue;
        const QueryResult& r = answers.results[a.at];
        const bool found = !r.rows.isEmpty();
        switch (a.kind) {
        case Kind::Record:
            m_records.insert(a.id, {a.columns, found ? std::optional(QVariantList(
                                                           r.rows[0].cbegin(), r.rows[0].cend()))
                                                     : std::nullopt});
            break;
        case Kind::Holder:
            m_holders.insert(a.id, found ? r.rows[0][0].toString() : QString());
            break;
        case Kind::LookUp:
            m_lookUps.insert(a.id, found ? std::optional(r.rows[0][0]) : std::nullopt);
            break;
        }
    }
    m_asked.clear();
}

QString comparedNumber(QString number) {
    return number.remove(u' ').remove(u'-');
}

} // namespace tarvo::suite
