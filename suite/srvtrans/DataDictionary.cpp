#include "DataDictionary.h"

#include "AdoTypes.h"
#include "SqlBackend.h"

#include <atomic>

namespace tarvo::suite {

int DictField::adoType() const {
    if (type == u"bit")
        return ado::adBoolean;
    if (type == u"smallint")
        return ado::adSmallInt;
    if (type == u"integer")
        return ado::adInteger;
    if (type == u"money")
        return ado::adCurrency;
    if (type == u"date")
        return ado::adDBTimeStamp;
    return ado::adVarWChar;
}

int DictField::definedSize() const {
    switch (adoType()) {
    case ado::adBoolean:
    case ado::adSmallInt:
        return 2;
    case ado::adInteger:
        return 4;
    case ado::adCurrency:
        return 8;
    case ado::adDBTimeStamp:
        return 16;
    default:
        return size;
    }
}

QString DictField::caption(const QString& language) const {
    return language.startsWith(u"en", Qt::CaseInsensitive) && !captionEn.isEmpty() ? captionEn
                                                                                   : captionZh;
}

Statement DataDictionary::loadQuestion() {
    return {QStringLiteral("SELECT cTable, cField, cType, iSize, iScale, bKey, bRequired, "
                           "cCaptionZh, cCaptionEn FROM tarvo_datadict ORDER BY cTable, iOrder"),
            {}};
}

void DataDictionary::load(SqlBackend& db) {
    m_fields.clear();
    m_byTable.clear();
    m_byName.clear();
    const Statement asked = loadQuestion();
    const QueryResult r = db.query(asked.sql, asked.params);
    static std::atomic<quint64> readings{0};
    m_reading = ++readings;
    for (const auto& row : r.rows) {
        DictField f;
        f.table = row[0].toString();
        f.field = row[1].toString();
        f.type = row[2].toString().toLower();
        f.size = row[3].toInt();
        f.scale = row[4].toInt();
        f.key = row[5].toInt() != 0;
        f.required = row[6].toInt() != 0;
        f.captionZh = row[7].toString();
        f.captionEn = row[8].toString();
        m_byTable[f.table.toLower()].push_back(int(m_fields.size()));
        QHash<QString, int>& byName = m_byName[f.table.toLower()];
        if (!byName.contains(f.field))
            byName.insert(f.field, int(m_fields.size()));
        m_fields.push_back(f);
    }
}

const QVector<int>* DataDictionary::indexes(const QString& table) const {
    // Callers mostly name the table in lower case already: no new string per look-up then.
    auto it = m_byTable.constFind(table);
    if (it == m_byTable.constEnd())
        it = m_byTable.constFind(table.toLower());
    return it == m_byTable.constEnd() ? nullptr : &*it;
}

const DictField* DataDictionary::find(const QString& table, const QString& field) const {
    const QVector<int>* it = indexes(table);
    if (!it)
        return nullptr;
    auto named = m_byName.constFind(table);
    if (named == m_byName.constEnd())
        named = m_byName.constFind(table.toLower());
    if (const auto exact = named->constFind(field); exact != named->constEnd())
        return &m_fields[*exact];
    for (const int i : *it) {
        if (m_fields[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return &m_fields[i];
    }
    return nullptr;
}

QVector<const DictField*> DataDictionary::fields(const QString& table) const {
    QVector<const DictField*> out;
    if (const QVector<int>* it = indexes(table))
        for (const int i : *it)
            out.push_back(&m_fields[i]);
    return out;
}

const DictField* DataDictionary::keyField(const QString& table) const {
    if (const QVector<int>* it = indexes(table))
        for (const int i : *it)
            if (m_fields[i].key)
                return &m_fields[i];
    return nullptr;
}

bool DataDictionary::hasTable(const QString& table) const {
    return m_byTable.contains(table.toLower());
}

} // namespace tarvo::suite
