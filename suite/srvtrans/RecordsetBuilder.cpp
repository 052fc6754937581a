#include "RecordsetBuilder.h"

#include "AdoTypes.h"
#include "DataDictionary.h"
#include "SqlBackend.h"

namespace tarvo::suite {

namespace {

FieldInfo inferField(const ResultColumn& column, const ColumnStore& cells, int col) {
    if (column.decimal)
        return {column.name, ado::adDouble, 8};
    for (int row = 0; row < cells.rowCount(); ++row) {
        switch (cells.kind(row, col)) {
        case ColumnStore::Kind::Null:
            continue;
        case ColumnStore::Kind::Integer:
            return {column.name, ado::adInteger, 4};
        case ColumnStore::Kind::Real:
            return {column.name, ado::adDouble, 8};
        case ColumnStore::Kind::Text:
            break;
        }
        break;
    }
    return {column.name, ado::adVarWChar, 255};
}

} // namespace

RecordsetPtr buildRecordset(StoredResult&& result, const DataDictionary& dict) {
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
                col.name == f->field || col.name.compare(f->field, Qt::CaseInsensitive) == 0
                    ? f->field
                    : col.name;
            fields.push_back({name, f->adoType(), f->definedSize()});
        } else {
            fields.push_back(inferField(col, result.cells, c));
        }
    }
    // The cells stay as the engine gave them; the record set reads them in its fields' types.
    return std::make_shared<Recordset>(std::move(fields), std::move(result.cells));
}

} // namespace tarvo::suite
