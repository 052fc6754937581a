#include "BatchSave.h"

#include "AccountDatabase.h"
#include "DecimalText.h"
#include "SaveService.h"
#include "SaveXml.h"

#include <QCoreApplication>

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

} // namespace

BatchSave::BatchSave(AccountDatabase& db, QString userId) : m_db(db), m_userId(std::move(userId)) {}

BatchVerdict::Kind BatchSave::classify(const SaveRecord& record, const QString& archive) {
    const DataDictionary& dict = m_db.dictionary();
    const DictField* key = dict.keyField(archive);
    QVector<const DictField*> fields;
    QStringList texts;
    QString keyText;
    for (const auto& [name, text] : record.fields) {
        const DictField* f = dict.find(archive, name);
        if (!f)
            return BatchVerdict::Modified; // the save service explains the unknown column
        if (f == key)
            keyText = text;
        fields << f;
        texts << text;
    }
    QStringList names;
    for (const DictField* f : fields)
        names << f->field;
    const auto r = m_db.sql().query(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                        .arg(names.join(u", "), archive.toLower(), key->field),
                                    {keyText});
    if (r.rows.isEmpty())
        return BatchVerdict::Added;
    for (int i = 0; i < fields.size(); ++i)
        if (!storesAs(*fields[i], r.rows[0][i], texts[i]))
            return BatchVerdict::Modified;
    return BatchVerdict::Unchanged;
}

bool BatchSave::run(const QStringList& xmls, const QString& archive, bool store,
                    QVector<BatchVerdict>& verdicts, QString& error) {
    verdicts.clear();
    error.clear();
    if (!m_db.dictionary().keyField(archive)) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "没有提供档案“%1”的保存服务").arg(archive);
        return false;
    }
    SaveService service(m_db, m_userId);
    try {
        Transaction tx(m_db.sql());
        for (int i = 0; i < xmls.size(); ++i) {
            BatchVerdict v;
            const auto record = parseSaveXml(xmls[i], v.reason);
            bool accepted = false;
            if (record) {
                v.kind = classify(*record, archive);
                accepted =
                    v.kind == BatchVerdict::Unchanged ||
                    (v.kind == BatchVerdict::Added ? service.add(xmls[i], archive, v.reason)
                                                   : service.modify(xmls[i], archive, v.reason));
            }
            if (!accepted) {
                v.kind = BatchVerdict::Refused;
                if (store) {
                    error = QCoreApplication::translate("tarvo::suite::SaveService", "第 %1 条记录未能保存，全部记录均未导入：%2")
                                .arg(i + 1)
                                .arg(v.reason);
                    verdicts << v;
                    return false;
                }
            }
            verdicts << v;
        }
        if (store)
            tx.commit();
    } catch (const DbError& e) {
        error = QCoreApplication::translate("tarvo::suite::SaveService", "数据库出错，全部记录均未导入：%1").arg(e.text());
        return false;
    }
    return true;
}

} // namespace tarvo::suite
