#include "ChangeHistory.h"

#include "AccountDatabase.h"
#include "DecimalText.h"

#include <QDate>

namespace tarvo::suite {

namespace {

/// The database's clock as local time with milliseconds: on a server every client then
/// agrees on when a change was made, whatever its own clock says.
QString nowExpression(const SqlBackend& sql) {
    return sql.kind() == u"postgresql"
               ? QStringLiteral("to_char(now(), 'YYYY-MM-DD HH24:MI:SS.MS')")
               : QStringLiteral("strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime')");
}

QVariant nullable(const QString& text) {
    return text.isNull() ? QVariant() : QVariant(text);
}

} // namespace

ChangeHistory::ChangeHistory(AccountDatabase& db) : m_db(db) {}

QString ChangeHistory::text(const DictField& field, const QVariant& value) {
    if (value.isNull())
        return {};
    if (field.type == u"money") {
        if (const auto amount = DecimalText::fromVariant(value))
            return amount->plain();
    } else if (field.type == u"date") {
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().toString(Qt::ISODate);
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().date().toString(Qt::ISODate);
        return value.toString().left(10);
    } else if (field.type == u"bit" || field.type == u"smallint" || field.type == u"integer") {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (ok)
            return QString::number(n);
    }
    const QString s = value.toString();
    return s.isEmpty() ? QString() : s;
}

std::optional<QVariantList> ChangeHistory::storedValues(const QString& archive,
                                                        const QVector<const DictField*>& columns,
                                                        const QString& keyText) {
    const DictField* key = m_db.dictionary().keyField(archive);
    QStringList names;
    for (const DictField* f : columns)
        names << f->field;
    const auto r = m_db.sql().query(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                        .arg(names.join(u", "), archive.toLower(), key->field),
                                    {keyText});
    if (r.rows.isEmpty())
        return std::nullopt;
    return QVariantList(r.rows[0].cbegin(), r.rows[0].cend());
}

void ChangeHistory::record(const QString& archive, const QString& action, const QString& keyText,
                           const QString& userId, const QVector<FieldChange>& changes) {
    recordAll(archive, userId, {{action, keyText, changes}});
}

void ChangeHistory::recordAll(const QString& archive, const QString& userId,
                              const QVector<RecordChange>& records) {
    // Rows per statement: ten values each, within what either engine takes in one statement.
    constexpr int kRowsPerStatement = 1000;
    SqlBackend& sql = m_db.sql();
    QStringList rows;
    QVariantList params;
    const auto write = [&] {
        if (rows.isEmpty())
            return;
        sql.exec(QStringLiteral("INSERT INTO tarvo_history (iChange, iSeq, dWhen, cUserId, "
                                "cArchive, cKeyValue, cAction, cField, cOldValue, cNewValue) "
                                "VALUES %1")
                     .arg(rows.join(u", ")),
                 params);
        rows.clear();
        params.clear();
    };
    QString when;
    qlonglong change = 0;
    for (const RecordChange& r : records) {
        int seq = 0;
        for (const FieldChange& c : r.changes) {
            const QString before = text(*c.field, c.before);
            const QString after = text(*c.field, c.after);
            if (before == after && before.isNull() == after.isNull())
                continue;
            if (change == 0) {
                // Writers take their change numbers one after the other, so that numbers
                // follow the order in which changes were stored; readers are not held up.
                if (sql.kind() == u"postgresql")
                    sql.exec(
                        QStringLiteral("LOCK TABLE tarvo_history IN SHARE ROW EXCLUSIVE MODE"));
                const auto head = sql.query(QStringLiteral("SELECT %1, COALESCE(MAX(iChange), 0) "
                                                           "FROM tarvo_history")
                                                .arg(nowExpression(sql)));
                when = head.rows[0][0].toString();
                change = head.rows[0][1].toLongLong();
            }
            if (seq == 0)
                ++change;
            rows << QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            params << change << ++seq << when << userId << archive.toLower() << r.keyText
                   << r.action << c.field->field << nullable(before) << nullable(after);
            if (rows.size() == kRowsPerStatement)
                write();
        }
    }
    write();
}

QVector<HistoryEntry> ChangeHistory::read(const QString& archive,
                                          const std::optional<QString>& key) {
    QString sql = QStringLiteral(
        "SELECT h.dWhen, h.cUserId, u.cUser_Name, h.cAction, h.cKeyValue, h.cField, "
        "h.cOldValue, h.cNewValue FROM tarvo_history h LEFT JOIN tarvo_user u ON "
        "u.cUser_Id = h.cUserId WHERE h.cArchive = ?");
    QVariantList params{archive.toLower()};
    if (key) {
        sql += QStringLiteral(" AND h.cKeyValue = ?");
        params << *key;
    }
    sql += QStringLiteral(" ORDER BY h.iChange DESC, h.iSeq");
    const auto r = m_db.sql().query(sql, params);
    QVector<HistoryEntry> entries;
    entries.reserve(r.rows.size());
    for (const auto& row : r.rows)
        entries.push_back({row[0].toString().left(19), row[1].toString(), row[2].toString(),
                           row[3].toString(), row[4].toString(), row[5].toString(),
                           row[6].toString(), row[7].toString()});
    return entries;
}

} // namespace tarvo::suite
