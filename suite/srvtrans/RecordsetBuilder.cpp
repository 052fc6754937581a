#include "RecordsetBuilder.h"

#include "AdoTypes.h"
#include "DataDictionary.h"
#include "SqlDialect.h"

#include <algorithm>

namespace tarvo::suite {

namespace {

constexpr size_t kRemembered = 16;

FieldInfo inferField(const ResultColumn& column, const ColumnStore& cells, int col) {
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

const RecordsetBuilder::Typed& RecordsetBuilder::typedFor(const QVector<ResultColumn>& columns) {
    if (m_typedBy != m_dict.reading()) {
        m_typed.clear();
        m_typedBy = m_dict.reading();
    }
    for (auto it = m_typed.begin(); it != m_typed.end(); ++it) {
        if (it->columns.constData() != columns.constData() || it->columns.size() != columns.size())
            continue;
        if (it + 1 != m_typed.end())
            std::rotate(it, it + 1, m_typed.end());
        return m_typed.back();
    }
    Typed typed{columns, {}, {}};
    typed.fields.reserve(columns.size());
    for (int c = 0; c < columns.size(); ++c) {
        const ResultColumn& col = columns[c];
        const DictField* f =
            col.originTable.isEmpty() ? nullptr : m_dict.find(col.originTable, col.originColumn);
        if (f) {
            // Engines that fold identifiers give "cbankcode"; callers expect the column's
            // own spelling, which the dictionary keeps.
            const QString name =
                col.name == f->field || col.name.compare(f->field, Qt::CaseInsensitive) == 0
                    ? f->field
                    : col.name;
            typed.fields.push_back({name, f->adoType(), f->definedSize()});
        } else if (col.decimal) {
            typed.fields.push_back({col.name, ado::adDouble, 8});
        } else {
            typed.fields.push_back({col.name, ado::adVarWChar, 255});
            typed.inferred.push_back(c);
        }
    }
    if (m_typed.size() == kRemembered)
        m_typed.erase(m_typed.begin());
    m_typed.push_back(std::move(typed));
    return m_typed.back();
}

RecordsetPtr RecordsetBuilder::build(StoredResult&& result) {
    const Typed& typed = typedFor(result.columns);
    QVector<FieldInfo> fields = typed.fields;
    for (const int c : typed.inferred)
        fields[c] = inferField(result.columns[c], result.cells, c);
    // The cells stay as the engine gave them; the record set reads them in its fields' types.
    return std::make_shared<Recordset>(std::move(fields), std::move(result.cells));
}

Statement recordsetQuestion(const QString& text, const QVariantList& params) {
    LiftedQuery lifted = params.isEmpty() ? liftLiterals(text) : LiftedQuery{};
    if (lifted.values.isEmpty())
        return {text, params};
    return {std::move(lifted.sql), std::move(lifted.values)};
}

RecordsetPtr queryRecordset(SqlBackend& db, RecordsetBuilder& builder, const QString& text,
                            const QVariantList& params, const RowWatch& watch) {
    const LiftedQuery lifted = params.isEmpty() ? liftLiterals(text) : LiftedQuery{};
    if (!lifted.values.isEmpty()) {
        bool rowsCame = false;
        try {
            return builder.build(db.queryStored(lifted.sql, lifted.values, [&](StoredResult& r) {
                rowsCame = true;
                return !watch || watch(r);
            }));
        } catch (const DbError&) {
            // A text the engine reads differently as a parameter (a typed literal such as
            // interval '1 day') fails before its first row: the statement as written decides.
            // A failure amid the rows is the connection's, and running again would not help.
            if (rowsCame)
                throw;
        }
    }
    return builder.build(db.queryStored(text, params, watch));
}

} // namespace tarvo::suite
