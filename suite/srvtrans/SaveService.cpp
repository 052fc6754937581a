#include "SaveService.h"

#include "AccountDatabase.h"
#include "ChangeHistory.h"
#include "DecimalText.h"
#include "RecordChecks.h"
#include "SaveXml.h"
#include "SessionRights.h"
#include "SqlDialect.h"
#include "StoredFacts.h"
#include "SuiteContext.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QRegularExpression>

namespace tarvo::suite {

namespace {

/// numeric(19,4): nineteen digits in all, the scale of them after the point.
constexpr int kAmountPrecision = 19;

/// Columns that other archives point at: a row still pointed at cannot be deleted.
struct Reference {
    const char* table;
    const char* column;
    const char* byTable;
    const char* byColumn;
    const char* byLabel;
};
constexpr Reference kReferences[] = {
    {"aa_bank", "cBankCode", "bank", "cBankCode",
     QT_TRANSLATE_NOOP("tarvo::suite::SaveService", "本单位开户银行")},
    {"Department", "cDepCode", "Person", "cDepCode",
     QT_TRANSLATE_NOOP("tarvo::suite::SaveService", "业务员")},
};

/// The value the save XML brings for a column, or nothing when it does not bring the column.
std::optional<QVariant> given(const QVector<const DictField*>& columns, const QVariantList& values,
                              QStringView field) {
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i]->field.size() == field.size() &&
            columns[i]->field.compare(field, Qt::CaseInsensitive) == 0)
            return values[i];
    return std::nullopt;
}

/// The field's caption in the session's language, for the reasons given to the user.
QString label(const DictField& f) {
    const QString& caption =
        sessionLanguage() == u"en-US" && !f.captionEn.isEmpty() ? f.captionEn : f.captionZh;
    return caption.isEmpty() ? f.field : caption;
}

std::optional<QDate> parseDate(const QString& text) {
    const QString s = text.trimmed();
    // The form the programs write, read without the general date parser.
    const auto digits = [&](qsizetype from, qsizetype n) {
        int v = 0;
        for (qsizetype i = from; i < from + n; ++i) {
            if (s[i] < u'0' || s[i] > u'9')
                return -1;
            v = v * 10 + (s[i].unicode() - u'0');
        }
        return v;
    };
    if (s.size() == 10 && s[4] == u'-' && s[7] == u'-') {
        const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
        if (y >= 0 && m >= 0 && d >= 0 && QDate(y, m, d).isValid())
            return QDate(y, m, d);
    }
    for (const char* fmt : {"yyyy-MM-dd", "yyyy-M-d", "yyyy/M/d", "yyyy.M.d", "yyyyMMdd"}) {
        const QDate d = QDate::fromString(s, QString::fromLatin1(fmt));
        if (d.isValid())
            return d;
    }
    for (const char* fmt : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy/M/d H:mm:ss"}) {
        const QDateTime dt = QDateTime::fromString(s, QString::fromLatin1(fmt));
        if (dt.isValid())
            return dt.date();
    }
    return std::nullopt;
}

} // namespace

std::optional<QVariant> storedValue(const DictField& f, const QString& text, QString& error) {
    const QString t = text.trimmed();
    if (f.type == u"varchar") {
        if (text.size() > f.size) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”最多 %2 个字符，输入了 %3 个")
                        .arg(label(f))
                        .arg(f.size)
                        .arg(text.size());
            return std::nullopt;
        }
        for (const QChar c : text) {
            if (c.category() == QChar::Other_Control) {
                error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”中含有控制字符").arg(label(f));
                return std::nullopt;
            }
        }
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    if (t.isEmpty())
        return QVariant();
    if (f.type == u"bit") {
        const QString l = t.toLower();
        if (l == u"1" || l == u"true")
            return QVariant(1);
        if (l == u"0" || l == u"false")
            return QVariant(0);
        error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”只能是 0 或 1，不能是“%2”").arg(label(f), t);
        return std::nullopt;
    }
    if (f.type == u"smallint" || f.type == u"integer") {
        bool ok = false;
        const qlonglong v = t.toLongLong(&ok);
        const qlonglong limit = f.type == u"smallint" ? 32767 : 2147483647LL;
        if (!ok || v > limit || v < -limit - 1) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”必须是整数，不能是“%2”").arg(label(f), t);
            return std::nullopt;
        }
        return QVariant(v);
    }
    if (f.type == u"money") {
        // Amounts come back the way the card displays them, with group separators; they stay
        // decimal text all the way to the database.
        const auto amount = DecimalText::parse(t);
        if (!amount) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”必须是数字，不能是“%2”").arg(label(f), t);
            return std::nullopt;
        }
        if (!amount->fits(kAmountPrecision - f.scale, f.scale)) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”的数值“%2”超出范围：最多 %3 位整数、%4 位小数")
                        .arg(label(f), t, QString::number(kAmountPrecision - f.scale),
                             QString::number(f.scale));
            return std::nullopt;
        }
        return QVariant(amount->plain());
    }
    if (f.type == u"date") {
        const auto d = parseDate(t);
        if (!d) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”不是有效的日期：“%2”").arg(label(f), t);
            return std::nullopt;
        }
        return QVariant(d->toString(Qt::ISODate));
    }
    error = QCoreApplication::translate("tarvo::suite::SaveService", "字段“%1”的类型“%2”无法保存").arg(f.field, f.type);
    return std::nullopt;
}

bool SaveService::engineKeepsExactly(const DictField& f, const QVariant& value,
                                     QString& error) const {
    // The embedded engine stores a numeric column as a double: past 15 significant digits it
    // would round the amount without a word.
    const int exactDigits = EngineDialect::of(m_db.sql()).exactMoneyDigits;
    if (f.type != u"money" || value.isNull() || exactDigits == 0)
        return true;
    const auto amount = DecimalText::parse(value.toString());
    if (amount && amount->significantDigits() <= exactDigits)
        return true;
    error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”的数值“%2”有效数字超过 %3 位，本地账套数据库无法精确保存，"
                           "请改用服务器账套或减少位数")
                .arg(label(f), value.toString(), QString::number(exactDigits));
    return false;
}

SaveService::SaveService(AccountDatabase& db, QString userId)
    : m_db(db), m_userId(std::move(userId)) {}

bool SaveService::add(const QString& xml, const QString& archive, QString& error) {
    return save(xml, archive, Mode::Add, error);
}

bool SaveService::modify(const QString& xml, const QString& archive, QString& error) {
    return save(xml, archive, Mode::Modify, error);
}

bool SaveService::save(const QString& xml, const QString& archive, Mode mode, QString& error) {
    const DataDictionary& dict = m_db.dictionary();
    const DictField* key = dict.keyField(archive);
    if (!key) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "没有提供档案“%1”的保存服务").arg(archive);
        return false;
    }
    const auto rec = parseSaveXml(xml, error);
    if (!rec)
        return false;
    const auto checked = prepare(*rec, archive, mode, error);
    if (!checked)
        return false;
    const QVector<const DictField*>& columns = checked->columns;
    const QVariantList& values = checked->values;
    const QString& keyText = checked->keyText;

    SqlBackend& sql = m_db.sql();
    try {
        Transaction tx(sql);
        DatabaseFacts facts(m_db);
        // What the checks ask, the write and what the history needs go together, the write
        // behind the checks' questions: a check that refuses rolls the write back. On a server
        // that is one round trip, and the commit with the history and the audit the second.
        QVector<Statement> batch;
        const QStringList fields = [&] {
            QStringList names;
            for (const DictField* f : dict.fields(archive))
                names << f->field;
            return names;
        }();
        facts.askRecord(batch, archive, fields, keyText, mode == Mode::Modify);
        askAhead(*checked, archive, facts, batch);
        if (Statement write = writeStatement(*checked, archive, mode); !write.sql.isEmpty())
            batch.push_back(std::move(write));
        const int afterAt = int(batch.size());
        if (mode == Mode::Add)
            batch.push_back({QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                 .arg(fields.join(u", "), archive.toLower(), key->field),
                             {keyText}});
        const BatchResult answers = sql.queryBatch(batch);
        facts.keepAnswers(answers);
        if (!checkStored(*checked, archive, mode, facts, error))
            return false;
        if (!answers.ok())
            throw DbError(answers.error);

        QVector<FieldChange> changes;
        if (mode == Mode::Modify) {
            QStringList names;
            for (const DictField* f : columns)
                names << f->field;
            const auto before = facts.stored(archive, names, keyText);
            for (int i = 0; before && i < columns.size(); ++i)
                if (columns[i] != key)
                    changes.push_back({columns[i], before->at(i), values[i]});
        } else if (const auto& after = answers.results[afterAt].rows; !after.isEmpty()) {
            // What the new record holds, the columns the database filled in included.
            const QVector<const DictField*> all = dict.fields(archive);
            for (int i = 0; i < all.size(); ++i)
                changes.push_back({all[i], QVariant(), after[0][i]});
        }
        const QString action = mode == Mode::Add ? QStringLiteral("Add") : QStringLiteral("Modify");
        auditLater(archive, action, keyText, xml, m_userId);
        if (const auto history =
                ChangeHistory(m_db).recordStatement(archive, action, keyText, m_userId, changes))
            sql.execLater(history->sql, history->params);
        tx.commit();
    } catch (const DbError& e) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "保存失败：%1").arg(e.text());
        return false;
    }
    return true;
}

void SaveService::askAhead(const CheckedRecord& record, const QString& archive,
                           DatabaseFacts& facts, QVector<Statement>& batch) const {
    if (archive.compare(u"bank", Qt::CaseInsensitive) == 0) {
        if (const auto number = given(record.columns, record.values, u"cBAccount"))
            facts.askNumberHolder(batch, comparedNumber(number->toString()), record.keyText);
    }
    for (const RowNamed& named : namedRows(archive, record.columns, record.values))
        facts.askLookUp(batch, *named.row, named.value);
}

Statement SaveService::writeStatement(const CheckedRecord& record, const QString& archive,
                                      Mode mode) const {
    const DictField* key = m_db.dictionary().keyField(archive);
    QStringList names;
    for (const DictField* f : record.columns)
        names << f->field;
    if (mode == Mode::Add) {
        QStringList marks;
        for (int i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        return {QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(archive.toLower(), names.join(u", "), marks.join(u", ")),
                record.values};
    }
    QStringList sets;
    QVariantList params;
    for (int i = 0; i < record.columns.size(); ++i) {
        if (record.columns[i] == key)
            continue;
        sets << QStringLiteral("%1 = ?").arg(record.columns[i]->field);
        params << record.values[i];
    }
    if (sets.isEmpty())
        return {};
    params << record.keyText;
    return {QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                .arg(archive.toLower(), sets.join(u", "), key->field),
            params};
}

std::optional<CheckedRecord> SaveService::prepare(const SaveRecord& rec, const QString& archive,
                                                  Mode mode, QString& error) const {
    const DataDictionary& dict = m_db.dictionary();
    const DictField* key = dict.keyField(archive);
    if (rec.root.compare(archive, Qt::CaseInsensitive) != 0) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "保存的数据属于“%1”，不是档案“%2”").arg(rec.root, archive);
        return std::nullopt;
    }
    CheckedRecord checked;
    bool hasKey = false;
    for (const auto& [name, text] : rec.fields) {
        const DictField* f = dict.find(archive, name);
        if (!f) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", "档案“%1”中没有字段“%2”").arg(archive, name);
            return std::nullopt;
        }
        if (f->required && text.trimmed().isEmpty()) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”不能为空").arg(label(*f));
            return std::nullopt;
        }
        const auto v = storedValue(*f, text, error);
        if (!v || !engineKeepsExactly(*f, *v, error))
            return std::nullopt;
        if (f == key) {
            hasKey = true;
            checked.keyText = text;
        }
        checked.columns.push_back(f);
        checked.values.push_back(*v);
    }
    if (!hasKey) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "保存的数据中缺少“%1”").arg(label(*key));
        return std::nullopt;
    }
    if (mode == Mode::Add) {
        for (const DictField* f : dict.fields(archive)) {
            if (f->required && !checked.columns.contains(f)) {
                error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”不能为空").arg(label(*f));
                return std::nullopt;
            }
        }
    }
    return checked;
}

bool SaveService::checkStored(const CheckedRecord& record, const QString& archive, Mode mode,
                              StoredFacts& facts, QString& error) const {
    const DictField* key = m_db.dictionary().keyField(archive);
    const bool exists = facts.stored(archive, {key->field}, record.keyText).has_value();
    if (mode == Mode::Add && exists) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "%1“%2”已存在，不能重复增加").arg(label(*key), record.keyText);
        return false;
    }
    if (mode == Mode::Modify && !exists) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "%1为“%2”的记录不存在，可能已被其他用户删除")
                    .arg(label(*key), record.keyText);
        return false;
    }
    return accountNumberIsFree(archive, record, facts, error) &&
           companyLengthIsSet(archive, record, facts, error) &&
           referencesExist(facts, archive, record.columns, record.values, error) &&
           systemBankKeepsItsName(facts, archive, record.columns, record.values, record.keyText,
                                  error);
}

bool SaveService::fillsNotNull(const CheckedRecord& record, const QSet<QString>& notNull,
                               QString& error) {
    for (int i = 0; i < record.columns.size(); ++i) {
        if (record.values[i].isNull() && notNull.contains(record.columns[i]->field.toLower())) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”不能为空")
                        .arg(label(*record.columns[i]));
            return false;
        }
    }
    return true;
}

bool SaveService::accountNumberIsFree(const QString& archive, const CheckedRecord& record,
                                      StoredFacts& facts, QString& error) {
    if (archive.compare(u"bank", Qt::CaseInsensitive) != 0)
        return true;
    const auto number = given(record.columns, record.values, u"cBAccount");
    if (!number)
        return true;
    const QString holder = facts.numberHolder(comparedNumber(number->toString()), record.keyText);
    if (holder.isEmpty())
        return true;
    error = QCoreApplication::translate("tarvo::suite::SaveService", "银行账号“%1”已被编码为“%2”的账户使用，同一账号不能重复录入")
                .arg(number->toString(), holder);
    return false;
}

bool SaveService::companyLengthIsSet(const QString& archive, const CheckedRecord& record,
                                     StoredFacts& facts, QString& error) {
    if (archive.compare(u"aa_bank", Qt::CaseInsensitive) != 0)
        return true;
    // A modify may bring only one of the two; the stored row holds the other.
    const auto stored = facts.stored(
        archive, {QStringLiteral("bComdFixLen"), QStringLiteral("iComAccNoLen")}, record.keyText);
    const QVariant fixed = given(record.columns, record.values, u"bComdFixLen")
                               .value_or(stored ? stored->at(0) : QVariant(0));
    const QVariant length = given(record.columns, record.values, u"iComAccNoLen")
                                .value_or(stored ? stored->at(1) : QVariant());
    if (fixed.toInt() != 1 || (!length.isNull() && length.toInt() >= 1 && length.toInt() <= 40))
        return true;
    error = QCoreApplication::translate("tarvo::suite::SaveService", "企业账号定长时，企业账号长度必须是 1 到 40 之间的整数");
    return false;
}

bool SaveService::checkDelete(const QString& table, const DictField& key, const QString& keyText,
                              QString& error) {
    SqlBackend& sql = m_db.sql();
    if (sql.query(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(table.toLower(), key.field),
                  {keyText})
            .rows.isEmpty()) {
        error = QCoreApplication::translate("tarvo::suite::SaveService",
                                            "%1为“%2”的记录不存在，可能已被其他用户删除")
                    .arg(label(key), keyText);
        return false;
    }
    if (m_db.dictionary().find(table, QStringLiteral("bSysData"))) {
        const auto r = sql.query(
            QStringLiteral("SELECT bSysData FROM %1 WHERE %2 = ?").arg(table.toLower(), key.field),
            {keyText});
        if (!r.rows.isEmpty() && r.rows[0][0].toInt() != 0) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”是系统预置数据，不能删除").arg(keyText);
            return false;
        }
    }
    for (const Reference& ref : kReferences) {
        if (table.compare(QLatin1String(ref.table), Qt::CaseInsensitive) != 0 ||
            key.field.compare(QLatin1String(ref.column), Qt::CaseInsensitive) != 0)
            continue;
        const auto r = sql.query(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ?")
                                     .arg(QLatin1String(ref.byTable), QLatin1String(ref.byColumn)),
                                 {keyText});
        const int uses = r.rows.value(0).value(0).toInt();
        if (uses > 0) {
            error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”已被 %2 个%3使用，不能删除")
                        .arg(keyText)
                        .arg(uses)
                        .arg(QCoreApplication::translate("tarvo::suite::SaveService", ref.byLabel));
            return false;
        }
    }
    return true;
}

const DictField* SaveService::deleteKey(const QString& keyField, const QString& archive,
                                        QString& error) {
    const DictField* k = m_db.dictionary().keyField(archive);
    if (!k) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "没有提供档案“%1”的删除服务").arg(archive);
        return nullptr;
    }
    if (keyField.compare(k->field, Qt::CaseInsensitive) != 0) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "“%1”不是档案“%2”的关键字段").arg(keyField, archive);
        return nullptr;
    }
    return k;
}

bool SaveService::remove(const QVariant& key, const QString& keyField, const QString& archive,
                         QString& error, const QString& userId) {
    const DictField* k = deleteKey(keyField, archive, error);
    if (!k)
        return false;
    const QString keyText = key.toString();
    SqlBackend& sql = m_db.sql();
    try {
        Transaction tx(sql);
        if (!checkDelete(archive, *k, keyText, error))
            return false;
        // The history keeps what the record held, so that a deleted record can still be told.
        ChangeHistory history(m_db);
        const QVector<const DictField*> fields = m_db.dictionary().fields(archive);
        const auto before = history.storedValues(archive, fields, keyText);
        QVector<FieldChange> changes;
        for (int i = 0; before && i < fields.size(); ++i)
            changes.push_back({fields[i], before->at(i), QVariant()});
        sql.exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(archive.toLower(), k->field),
                 {keyText});
        const QString who = userId.isEmpty() ? m_userId : userId;
        audit(archive, QStringLiteral("Delete"), keyText, QString(), who);
        history.record(archive, QStringLiteral("Delete"), keyText, who, changes);
        tx.commit();
    } catch (const DbError& e) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "删除失败：%1").arg(e.text());
        return false;
    }
    return true;
}

void SaveService::audit(const QString& table, const QString& action, const QString& key,
                        const QString& detail, const QString& userId) {
    const Statement row = auditRow(table, action, key, detail, userId);
    m_db.sql().exec(row.sql, row.params);
}

void SaveService::auditLater(const QString& table, const QString& action, const QString& key,
                             const QString& detail, const QString& userId) {
    const Statement row = auditRow(table, action, key, detail, userId);
    m_db.sql().execLater(row.sql, row.params);
}

Statement SaveService::auditRow(const QString& table, const QString& action, const QString& key,
                                const QString& detail, const QString& userId) {
    SqlBackend& sql = m_db.sql();
    return {QStringLiteral("INSERT INTO tarvo_audit (dWhen, cUserId, cSessionUser, cArchive, "
                           "cAction, cKeyValue, cDetail) VALUES (?, ?, ?, ?, ?, ?, ?)"),
            {QDateTime::currentDateTime().toString(Qt::ISODateWithMs), userId, sessionAccount(sql),
             table.toLower(), action, key, detail}};
}

} // namespace tarvo::suite
