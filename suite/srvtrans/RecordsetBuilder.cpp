#include "RecordsetBuilder.h"

#include "AdoTypes.h"
#include "DataDictionary.h"
#include "SqlBackend.h"

#include <QDate>
#include <QDateTime>

namespace tarvo::suite {

namespace {

FieldInfo inferField(const QString& name, const QueryResult& result, int column) {
    for (const auto& row : result.rows) {
        const QVariant& v = row[column];
        if (v.isNull())
            continue;
        if (v.typeId() == QMetaType::LongLong)
            return {name, ado::adInteger, 4};
        if (v.typeId() == QMetaType::Double)
            return {name, ado::adDouble, 8};
        break;
    }
    return {name, ado::adVarWChar, 255};
}

QVariant convert(const QVariant& v, int type) {
    if (v.isNull())
        return {};
    switch (type) {
    case ado::adBoolean:
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            return s == u"true" || s == u"t" || (s != u"false" && s != u"f" && s.toInt() != 0);
        }
        return v.toLongLong() != 0;
    case ado::adSmallInt:
    case ado::adInteger:
        return v.toInt();
    case ado::adCurrency:
        // An amount the server gave as decimal text keeps every digit; FormatNum shows it.
        return v.typeId() == QMetaType::QString ? v : QVariant(v.toDouble());
    case ado::adDouble:
        return v.toDouble();
    case ado::adDBTimeStamp: {
        const QString s = v.toString().trimmed();
        const QDate d = QDate::fromString(s.left(10), Qt::ISODate);
        if (s.size() <= 10 || s.mid(10).trimmed().startsWith(u"00:00:00"))
            return d.isValid() ? QVariant(d) : QVariant(s);
        const QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
        return dt.isValid() ? QVariant(dt) : QVariant(s);
    }
    default:
        return v.typeId() == QMetaType::QString ? v : QVariant(v.toString());
    }
}

} // namespace

RecordsetPtr buildRecordset(QueryResult&& result, const DataDictionary& dict) {
    QVector<FieldInfo> fields;
    fields.reserve(result.columns.size());
    for (int c = 0; c < result.columns.size(); ++c) {
        const ResultColumn& col = result.columns[c];
        const DictField* f =
            col.originTable.isEmpty() ? nullptr : dict.find(col.originTable, col.originColumn);
        if (f) {
            // Engines that fold identifiers give "cbankcode"; callers expect the column's
            // own spelling, which the dictionary keeps.
            const QString name =
                col.name.compare(f->field, Qt::CaseInsensitive) == 0 ? f->field : col.name;
            fields.push_back({name, f->adoType(), f->definedSize()});
        } else {
            fields.push_back(inferField(col.name, result, c));
        }
    }
    auto rs = std::make_shared<Recordset>(fields);
    // Convert in place and hand the rows over: a long result is never held twice.
    for (auto& row : result.rows) {
        for (int c = 0; c < row.size(); ++c)
            row[c] = convert(row[c], fields[c].type);
        rs->appendRow(std::move(row));
    }
    result.rows.clear();
    return rs;
}

} // namespace tarvo::suite
