#include "DictionaryShape.h"

#include "DataDictionary.h"

#include <QRegularExpression>

namespace tarvo::suite {

namespace {

RecordsetPtr allColumns(const QStringList& tables, const DataDictionary& dict,
                        const std::function<bool(const QString&)>& shown) {
    QVector<FieldInfo> fields;
    for (const QString& table : tables) {
        const QVector<const DictField*> known = dict.fields(table);
        if (known.isEmpty() || !shown(table))
            return nullptr;
        for (const DictField* f : known)
            fields.push_back({f->field, f->adoType(), f->definedSize()});
    }
    return std::make_shared<Recordset>(std::move(fields));
}

RecordsetPtr namedColumns(const QStringList& columns, const QStringList& tables,
                          const DataDictionary& dict,
                          const std::function<bool(const QString&)>& shown) {
    for (const QString& table : tables)
        if (dict.fields(table).isEmpty() || !shown(table))
            return nullptr;
    QVector<FieldInfo> fields;
    for (const QString& column : columns) {
        const qsizetype dot = column.indexOf(u'.');
        const DictField* found = nullptr;
        if (dot >= 0) {
            const QString table = column.left(dot);
            if (!tables.contains(table, Qt::CaseInsensitive))
                return nullptr;
            found = dict.find(table, column.mid(dot + 1));
        } else {
            for (const QString& table : tables) {
                const DictField* f = dict.find(table, column);
                if (f && found)
                    return nullptr;
                if (f)
                    found = f;
            }
        }
        if (!found)
            return nullptr;
        fields.push_back({found->field, found->adoType(), found->definedSize()});
    }
    return std::make_shared<Recordset>(std::move(fields));
}

} // namespace

RecordsetPtr dictionaryShape(const QString& sql, const DataDictionary& dict,
                             const std::function<bool(const QString&)>& shown) {
    static const QRegularExpression star(
        QStringLiteral(R"(^\s*select\s+top\s+0\s+\*\s+from\s+(\w+(?:\s*,\s*\w+)*)\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression named(
        QStringLiteral(R"(^\s*select\s+top\s+0\s+(\w+(?:\.\w+)?(?:\s*,\s*\w+(?:\.\w+)?)*)\s+)"
                       R"(from\s+(\w+)((?:\s+left\s+join\s+\w+\s+on\s+\w+\.\w+\s*=\s*\w+\.\w+)*))"
                       R"(\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression joined(QStringLiteral(R"(\bjoin\s+(\w+))"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = star.match(sql); m.hasMatch()) {
        QStringList tables;
        for (const QString& table : m.captured(1).split(u','))
            tables << table.trimmed();
        return allColumns(tables, dict, shown);
    }
    const QRegularExpressionMatch m = named.match(sql);
    if (!m.hasMatch())
        return nullptr;
    QStringList tables{m.captured(2)};
    for (auto it = joined.globalMatch(m.captured(3)); it.hasNext();)
        tables << it.next().captured(1);
    QStringList columns;
    for (const QString& column : m.captured(1).split(u','))
        columns << column.trimmed();
    return namedColumns(columns, tables, dict, shown);
}

} // namespace tarvo::suite
