#include "BatchWriter.h"

#include "AccountDatabase.h"
#include "ChangeHistory.h"
#include "SessionRights.h"
#include "SqlDialect.h"

#include <QDateTime>

#include <algorithm>

namespace tarvo::suite {

namespace {

/// Records per statement: the widest archive's columns times this stay well within the
/// parameters either engine takes in one statement.
constexpr int kRecordsPerStatement = 200;

QString names(const QVector<const DictField*>& columns) {
    QStringList out;
    for (const DictField* f : columns)
        out << f->field;
    return out.join(u", ");
}

QString tuple(qsizetype n) {
    QStringList marks;
    for (qsizetype i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return u'(' + marks.join(u", ") + u')';
}

/// The server's type of a dictionary type, for values that come through a VALUES list.
QString serverType(const DictField& f) {
    if (f.type == u"money")
        return QStringLiteral("numeric");
    if (f.type == u"date" || f.type == u"integer")
        return f.type;
    if (f.type == u"varchar")
        return QStringLiteral("varchar");
    return QStringLiteral("smallint");
}

} // namespace

BatchWriter::BatchWriter(AccountDatabase& db, const QString& archive, QString userId)
    : m_db(db), m_table(archive.toLower()), m_userId(std::move(userId)) {}

void BatchWriter::add(CheckedRecord record, const QString& xml) {
    queue({SaveService::Mode::Add, std::move(record), {}, xml});
}

void BatchWriter::modify(CheckedRecord record, QVariantList before, const QString& xml) {
    queue({SaveService::Mode::Modify, std::move(record), std::move(before), xml});
}

void BatchWriter::queue(Pending p) {
    m_pending << std::move(p);
    if (m_pending.size() == kRecordsPerStatement)
        flush();
}

void BatchWriter::flush() {
    if (m_pending.isEmpty())
        return;
    // A record is modified only once it is stored, so the adds may all go first.
    const auto added = insertAdded();
    updateModified();
    audit();
    history(added);
    m_pending.clear();
}

QHash<QString, QVariantList> BatchWriter::insertAdded() {
    QHash<QString, QVariantList> added;
    const QVector<const DictField*> fields = m_db.dictionary().fields(m_table);
    const auto keyAt = fields.indexOf(m_db.dictionary().keyField(m_table));
    // Records that bring the same columns share a statement.
    QHash<QString, QVector<const Pending*>> byColumns;
    QStringList order;
    for (const Pending& p : std::as_const(m_pending)) {
        if (p.mode != SaveService::Mode::Add)
            continue;
        const QString columns = names(p.record.columns);
        if (!byColumns.contains(columns))
            order << columns;
        byColumns[columns] << &p;
    }
    for (const QString& columns : std::as_const(order)) {
        const auto& group = byColumns[columns];
        QStringList rows;
        QVariantList params;
        for (const Pending* p : group) {
            rows << tuple(p->record.values.size());
            params << p->record.values;
        }
        // What the new records hold, the columns the database filled in included.
        const auto r = m_db.sql().query(QStringLiteral("INSERT INTO %1 (%2) VALUES %3 RETURNING %4")
                                            .arg(m_table, columns, rows.join(u", "), names(fields)),
                                        params);
        for (const auto& row : r.rows)
            added.insert(row[keyAt].toString(), QVariantList(row.cbegin(), row.cend()));
    }
    return added;
}

void BatchWriter::updateModified() {
    SqlBackend& sql = m_db.sql();
    const DictField* key = m_db.dictionary().keyField(m_table);
    const bool server = EngineDialect::of(sql).costlyRoundTrips;
    QVector<const Pending*> run;
    const auto write = [&] {
        if (run.isEmpty())
            return;
        QVector<const DictField*> columns;
        for (const DictField* f : run.first()->record.columns)
            if (f != key)
                columns << f;
        if (columns.isEmpty()) {
            run.clear();
            return;
        }
        QStringList sets;
        QStringList rows;
        QVariantList params;
        for (const Pending* p : std::as_const(run)) {
            rows << tuple(columns.size() + 1);
            params << p->record.keyText;
            for (int c = 0; c < p->record.columns.size(); ++c)
                if (p->record.columns[c] != key)
                    params << p->record.values[c];
        }
        QStringList valueNames{QStringLiteral("k")};
        for (int c = 0; c < columns.size(); ++c) {
            valueNames << QStringLiteral("c%1").arg(c);
            sets << (server ? QStringLiteral("%1 = CAST(v.c%2 AS %3)")
                                  .arg(columns[c]->field)
                                  .arg(c)
                                  .arg(serverType(*columns[c]))
                            : QStringLiteral("%1 = ?").arg(columns[c]->field));
        }
        if (server) {
            sql.exec(QStringLiteral("UPDATE %1 AS t SET %2 FROM (VALUES %3) AS v(%4) "
                                    "WHERE t.%5 = v.k")
                         .arg(m_table, sets.join(u", "), rows.join(u", "),
                              valueNames.join(u", "), key->field),
                     params);
        } else {
            // The embedded engine has no round trips to save: one prepared statement per
            // record is as quick.
            const QString text = QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                     .arg(m_table, sets.join(u", "), key->field);
            const qsizetype width = columns.size() + 1;
            for (qsizetype at = 0; at < params.size(); at += width) {
                QVariantList one = params.mid(at + 1, width - 1);
                one << params[at];
                sql.exec(text, one);
            }
        }
        run.clear();
    };
    for (const Pending& p : std::as_const(m_pending)) {
        if (p.mode != SaveService::Mode::Modify)
            continue;
        // One statement changes a row once: a record modified again waits for the next.
        const bool again = std::any_of(run.cbegin(), run.cend(), [&](const Pending* q) {
            return q->record.keyText == p.record.keyText;
        });
        if (!run.isEmpty() && (again || run.first()->record.columns != p.record.columns))
            write();
        run << &p;
    }
    write();
}

void BatchWriter::audit() {
    QStringList rows;
    QVariantList params;
    const QString when = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    const QString session = sessionAccount(m_db.sql());
    for (const Pending& p : std::as_const(m_pending)) {
        rows << tuple(7);
        params << when << m_userId << session << m_table
               << (p.mode == SaveService::Mode::Add ? QStringLiteral("Add")
                                                    : QStringLiteral("Modify"))
               << p.record.keyText << p.xml;
    }
    m_db.sql().exec(QStringLiteral("INSERT INTO tarvo_audit (dWhen, cUserId, cSessionUser, "
                                   "cArchive, cAction, cKeyValue, cDetail) VALUES %1")
                        .arg(rows.join(u", ")),
                    params);
}

void BatchWriter::history(const QHash<QString, QVariantList>& added) {
    const QVector<const DictField*> fields = m_db.dictionary().fields(m_table);
    const DictField* key = m_db.dictionary().keyField(m_table);
    QVector<RecordChange> changes;
    changes.reserve(m_pending.size());
    for (const Pending& p : std::as_const(m_pending)) {
        RecordChange change;
        change.keyText = p.record.keyText;
        if (p.mode == SaveService::Mode::Add) {
            change.action = QStringLiteral("Add");
            const QVariantList after = added.value(p.record.keyText);
            for (int i = 0; i < after.size(); ++i)
                change.changes.push_back({fields[i], QVariant(), after[i]});
        } else {
            change.action = QStringLiteral("Modify");
            for (int c = 0; c < p.record.columns.size(); ++c) {
                const DictField* f = p.record.columns[c];
                if (f != key)
                    change.changes.push_back(
                        {f, p.before.value(int(fields.indexOf(f))), p.record.values[c]});
            }
        }
        changes << change;
    }
    ChangeHistory(m_db).recordAll(m_table, m_userId, changes);
}

} // namespace tarvo::suite
