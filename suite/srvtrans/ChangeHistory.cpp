#include "ChangeHistory.h"

#include "AccountDatabase.h"
#include "DecimalText.h"
#include "SessionRights.h"
#include "SqlDialect.h"

#include <QDate>

#include <algorithm>

namespace tarvo::suite {

namespace {

/// The database's clock as local time with milliseconds: on a server every client then
/// agrees on when a change was made, whatever its own clock says.
QString nowExpression(const SqlBackend& sql) {
    return EngineDialect::of(sql).nowExpression;
}

QVariant nullable(const QString& text) {
    return text.isNull() ? QVariant() : QVariant(text);
}

/// Whether a field's value before and after, as the history keeps them, differ.
bool differs(const std::pair<QString, QString>& values) {
    const auto& [before, after] = values;
    return before != after || before.isNull() != after.isNull();
}

struct ChangeNumbers {
    QString when;
    QVector<qlonglong> numbers; ///< ascending
};

/// The time of the changes and a number for each of count changes. A server hands numbers out
/// of a sequence, so that saves wait for none but those of the same record (whose row they
/// have locked by now, so that a record's changes are numbered in the order they were stored);
/// a file has one writer at a time anyway.
ChangeNumbers takeNumbers(SqlBackend& sql, int count) {
    ChangeNumbers taken;
    if (EngineDialect::of(sql).changeNumbersFromSequence) {
        const auto r = sql.query(QStringLiteral("SELECT %1, nextval('tarvo_history_change') FROM "
                                                "generate_series(1, ?)")
                                     .arg(nowExpression(sql)),
                                 {count});
        taken.when = r.rows.value(0).value(0).toString();
        for (const auto& row : r.rows)
            taken.numbers << row[1].toLongLong();
        std::sort(taken.numbers.begin(), taken.numbers.end());
    } else {
        const auto r = sql.query(QStringLiteral("SELECT %1, COALESCE(MAX(iChange), 0) FROM "
                                                "tarvo_history")
                                     .arg(nowExpression(sql)));
        taken.when = r.rows[0][0].toString();
        const qlonglong last = r.rows[0][1].toLongLong();
        for (int i = 1; i <= count; ++i)
            taken.numbers << last + i;
    }
    return taken;
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
    if (const auto insert = recordStatement(archive, action, keyText, userId, changes))
        m_db.sql().exec(insert->sql, insert->params);
}

std::optional<Statement> ChangeHistory::recordStatement(const QString& archive,
                                                        const QString& action,
                                                        const QString& keyText,
                                                        const QString& userId,
                                                        const QVector<FieldChange>& changes) {
    SqlBackend& sql = m_db.sql();
    QStringList fields;
    // The values of the outer select come first in the statement's text.
    QVariantList params{userId, sessionAccount(sql), archive.toLower(), keyText, action};
    for (const FieldChange& c : changes) {
        const std::pair<QString, QString> texts{text(*c.field, c.before), text(*c.field, c.after)};
        if (!differs(texts))
            continue;
        fields << (fields.isEmpty() ? QStringLiteral("SELECT ? AS s, ? AS f, ? AS o, ? AS n")
                                    : QStringLiteral("SELECT ?, ?, ?, ?"));
        params << qlonglong(fields.size()) << c.field->field << nullable(texts.first)
               << nullable(texts.second);
    }
    if (fields.isEmpty())
        return std::nullopt;
    // The change's number is taken once for all its fields, by the statement itself: the
    // save sends it without waiting for a number first. A sequence's number is handed out
    // without waiting for other saves; a file has one writer at a time.
    const QString number = EngineDialect::of(sql).changeNumbersFromSequence
                               ? QStringLiteral("(SELECT nextval('tarvo_history_change'))")
                               : QStringLiteral("(SELECT COALESCE(MAX(iChange), 0) + 1 FROM "
                                                "tarvo_history)");
    return Statement{
        QStringLiteral("INSERT INTO tarvo_history (iChange, iSeq, dWhen, cField, cOldValue, "
                       "cNewValue, cUserId, cSessionUser, cArchive, cKeyValue, cAction) SELECT "
                       "%1, v.s, %2, v.f, v.o, v.n, ?, ?, ?, ?, ? FROM (%3) AS v")
            .arg(number, nowExpression(sql), fields.join(QStringLiteral(" UNION ALL "))),
        params};
}

void ChangeHistory::recordAll(const QString& archive, const QString& userId,
                              const QVector<RecordChange>& records) {
    // Rows per statement: eleven values each, within what either engine takes in one statement.
    constexpr int kRowsPerStatement = 1000;
    QVector<QVector<std::pair<QString, QString>>> texts;
    texts.reserve(records.size());
    int numbered = 0;
    for (const RecordChange& r : records) {
        QVector<std::pair<QString, QString>> fields;
        for (const FieldChange& c : r.changes)
            fields.push_back({text(*c.field, c.before), text(*c.field, c.after)});
        if (std::any_of(fields.cbegin(), fields.cend(), [](const auto& f) { return differs(f); }))
            ++numbered;
        texts.push_back(std::move(fields));
    }
    if (numbered == 0)
        return;
    SqlBackend& sql = m_db.sql();
    const ChangeNumbers numbers = takeNumbers(sql, numbered);
    const QString session = sessionAccount(sql);
    QStringList rows;
    QVariantList params;
    const auto write = [&] {
        if (rows.isEmpty())
            return;
        sql.exec(QStringLiteral("INSERT INTO tarvo_history (iChange, iSeq, dWhen, cUserId, "
                                "cSessionUser, cArchive, cKeyValue, cAction, cField, cOldValue, "
                                "cNewValue) VALUES %1")
                     .arg(rows.join(u", ")),
                 params);
        rows.clear();
        params.clear();
    };
    int next = 0;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const RecordChange& r = records[i];
        int seq = 0;
        for (qsizetype f = 0; f < r.changes.size(); ++f) {
            const auto& [before, after] = texts[i][f];
            if (!differs(texts[i][f]))
                continue;
            const qlonglong change = numbers.numbers[seq == 0 ? next++ : next - 1];
            rows << QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            params << change << ++seq << numbers.when << userId << session << archive.toLower()
                   << r.keyText << r.action << r.changes[f].field->field << nullable(before)
                   << nullable(after);
            if (rows.size() == kRowsPerStatement)
                write();
        }
    }
    write();
}

QVector<HistoryEntry> ChangeHistory::read(const QString& archive,
                                          const std::optional<QString>& key) {
    QString sql = QStringLiteral(
        "SELECT h.dWhen, h.cUserId, u.cUser_Name, h.cSessionUser, h.cAction, h.cKeyValue, "
        "h.cField, h.cOldValue, h.cNewValue FROM tarvo_history h LEFT JOIN tarvo_user u ON "
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
                           row[6].toString(), row[7].toString(), row[8].toString()});
    return entries;
}

} // namespace tarvo::suite
