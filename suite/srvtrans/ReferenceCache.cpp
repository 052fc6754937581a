#include "ReferenceCache.h"

#include "DataDictionary.h"

#include <algorithm>

namespace tarvo::suite {

namespace {

// What the cards' pick lists and names read: currencies, banks, regions, ledger accounts.
const char* const kKept[] = {"foreigncurrency", "aa_bank", "hr_ct007", "code"};

const QString kAll = QStringLiteral("*");

} // namespace

ReferenceCache::ReferenceCache(SqlBackend& sql, const DataDictionary& dict)
    : m_sql(sql), m_dict(dict), m_builder(dict) {}

bool ReferenceCache::keeps(const QString& table) {
    const QString t = table.trimmed().toLower();
    for (const char* kept : kKept)
        if (t == QLatin1String(kept))
            return true;
    return false;
}

void ReferenceCache::want() {
    const std::lock_guard lock(m_mutex);
    m_wanted = true;
}

bool ReferenceCache::wanted() {
    const std::lock_guard lock(m_mutex);
    if (!m_wanted)
        return false;
    dropStale();
    for (const char* kept : kKept)
        if (!m_tables.contains(QLatin1String(kept)))
            return true;
    m_wanted = false;
    return false;
}

void ReferenceCache::dropStale() {
    if (m_generation != m_sql.connectionGeneration()) {
        m_tables.clear();
        m_hearing = false;
        m_generation = m_sql.connectionGeneration();
    }
    for (const QString& table : m_sql.announcedChanges()) {
        // A kept table read whole may have other columns now.
        if (isSchemaTable(table)) {
            m_tables.clear();
            continue;
        }
        if (table != kAll) {
            m_tables.remove(table);
            continue;
        }
        m_tables.clear();
        // On a server: the connection is gone, and the one made anew listens to nothing yet.
        m_hearing = false;
    }
}

QString ReferenceCache::keyOrder(const QString& table) const {
    QStringList keys;
    for (const DictField* f : m_dict.fields(table))
        if (f->key)
            keys << f->field;
    return keys.isEmpty() ? QStringLiteral("1") : keys.join(QStringLiteral(", "));
}

QVector<SqlStatement> ReferenceCache::reads(QStringList& tables) {
    QVector<SqlStatement> statements;
    tables.clear();
    for (const char* kept : kKept)
        if (!m_tables.contains(QLatin1String(kept)))
            tables << QLatin1String(kept);
    if (tables.isEmpty())
        return statements;
    // Heard before the tables are read: a change committed after the reads' snapshot is
    // announced, one committed before it is in what they bring.
    if (!m_hearing) {
        if (const QString hear = m_sql.hearChangesStatement(); !hear.isEmpty())
            statements.push_back({hear, {}});
    }
    for (const QString& table : tables) {
        const QString count = QStringLiteral("SELECT count(*) FROM ") + table;
        statements.push_back({count, {}});
        // A table too big to keep costs its count alone.
        statements.push_back({QStringLiteral("SELECT * FROM %1 WHERE (%2) <= %3 ORDER BY %4")
                                  .arg(table, count, QString::number(kMostRows), keyOrder(table)),
                              {},
                              table});
    }
    return statements;
}

void ReferenceCache::keep(const QStringList& tables, std::vector<StoredResult>& results) {
    const qsizetype first = qsizetype(results.size()) - 2 * tables.size();
    if (first > 0)
        m_hearing = true;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        StoredResult& count = results[first + 2 * i];
        Kept kept;
        if (count.cells.rowCount() == 1 && count.cells.integer(0, 0) <= kMostRows)
            kept.all = m_builder.build(std::move(results[first + 2 * i + 1]));
        m_tables.insert(tables[i], std::move(kept));
    }
    m_generation = m_sql.connectionGeneration();
}

StoredResult ReferenceCache::queryWithReads(const QString& sql, const QVariantList& params) {
    const std::lock_guard lock(m_mutex);
    m_wanted = false;
    dropStale();
    QStringList tables;
    QVector<SqlStatement> statements = reads(tables);
    statements.push_back({sql, params});
    std::vector<StoredResult> results = m_sql.queryTogether(statements);
    StoredResult own = std::move(results.back());
    results.pop_back();
    keep(tables, results);
    return own;
}

RecordsetPtr ReferenceCache::shared(const RecordsetPtr& rows) const {
    return rows ? rows->Clone() : nullptr;
}

RecordsetPtr ReferenceCache::rows(const QString& table) {
    const QString t = table.trimmed().toLower();
    if (!keeps(t))
        return nullptr;
    const std::lock_guard lock(m_mutex);
    dropStale();
    if (!m_tables.contains(t)) {
        // Inside a transaction the reads would see its own changes, and a LISTEN would wait
        // for its end: the caller asks the database itself.
        if (m_sql.transactionDepth > 0)
            return nullptr;
        m_wanted = false;
        QStringList tables;
        const QVector<SqlStatement> statements = reads(tables);
        std::vector<StoredResult> results = m_sql.queryTogether(statements);
        keep(tables, results);
    }
    return shared(m_tables.value(t).all);
}

RecordsetPtr ReferenceCache::rowsOf(const QString& table, const QString& sql) {
    if (!rows(table))
        return nullptr;
    const std::lock_guard lock(m_mutex);
    Kept& kept = m_tables[table.trimmed().toLower()];
    if (const RecordsetPtr known = kept.byQuery.value(sql))
        return shared(known);
    // The pick lists ask with few conditions; what is typed into them now and then does not
    // make the memory grow without end.
    constexpr int kQueriesKept = 64;
    if (kept.byQuery.size() >= kQueriesKept)
        kept.byQuery.clear();
    RecordsetPtr read = m_builder.build(m_sql.queryStored(sql));
    kept.byQuery.insert(sql, read);
    return shared(read);
}

bool ReferenceCache::rowsWhere(const QString& table, const QString& column, const QString& value,
                               bool anyCase, RecordsetPtr& all, QVector<int>& rows) {
    all = this->rows(table);
    if (!all)
        return false;
    const int col = all->fieldIndex(column);
    if (col < 0)
        return false;
    const std::lock_guard lock(m_mutex);
    Kept& kept = m_tables[table.trimmed().toLower()];
    // The copy may have been read again since: the index is of the copy in hand.
    if (!kept.all || &kept.all->cells() != &all->cells())
        return false;
    const QString name = (anyCase ? QStringLiteral("^") : QString()) + column.toLower();
    auto index = kept.indexes.constFind(name);
    if (index == kept.indexes.cend()) {
        QMultiHash<QString, int> made;
        made.reserve(all->storedRowCount());
        for (int row = 0; row < all->storedRowCount(); ++row) {
            const QVariant v = all->valueAt(row, col);
            if (!v.isNull())
                made.insert(anyCase ? v.toString().toUpper() : v.toString(), row);
        }
        index = kept.indexes.insert(name, std::move(made));
    }
    rows = index->values(anyCase ? value.toUpper() : value);
    std::sort(rows.begin(), rows.end());
    return true;
}

void ReferenceCache::forget(const QString& table) {
    const std::lock_guard lock(m_mutex);
    m_tables.remove(table.trimmed().toLower());
}

} // namespace tarvo::suite
