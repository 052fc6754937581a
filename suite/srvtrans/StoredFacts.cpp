#include "StoredFacts.h"

#include "AccountDatabase.h"

namespace tarvo::suite {

std::optional<QVariantList> DatabaseFacts::stored(const QString& archive,
                                                  const QStringList& columns, const QString& key) {
    const DictField* keyField = m_db.dictionary().keyField(archive);
    const auto r = m_db.sql().query(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                        .arg(columns.join(u", "), archive.toLower(),
                                             keyField->field),
                                    {key});
    if (r.rows.isEmpty())
        return std::nullopt;
    return QVariantList(r.rows[0].cbegin(), r.rows[0].cend());
}

QString DatabaseFacts::numberHolder(const QString& compared, const QString& key) {
    // Two clerks saving the same number at once: the second waits here for the first's commit
    // and then finds its row.
    m_db.sql().lockValue(QStringLiteral("bank.cBAccount"), compared);
    const auto r = m_db.sql().query(
        QStringLiteral("SELECT cBCode FROM bank WHERE %1 = ? AND cBCode <> ? ORDER BY cBCode")
            .arg(QLatin1String(kAccountNumberKey)),
        {compared, key});
    return r.rows.isEmpty() ? QString() : r.rows[0][0].toString();
}

std::optional<QVariant> DatabaseFacts::lookUp(const NamedRow& row, const QString& value) {
    const auto r = m_db.sql().query(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                        .arg(QLatin1String(row.valueColumn),
                                             QLatin1String(row.table),
                                             QLatin1String(row.keyColumn)),
                                    {value});
    if (r.rows.isEmpty())
        return std::nullopt;
    return r.rows[0][0];
}

QString comparedNumber(QString number) {
    return number.remove(u' ').remove(u'-');
}

} // namespace tarvo::suite
