#pragma once

#include "Recordset.h"
#include "SqlBackend.h"

#include <vector>

namespace tarvo::suite {

class DataDictionary;

/// Turns stored query results into record sets whose field types and defined sizes come from
/// the data dictionary, so that values read as the column's type (bit columns as Booleans,
/// dates as dates). Columns that no table column stands behind are typed from their values.
///
/// A prepared statement run again hands back the very column list it gave before; the builder
/// remembers how it typed the last few lists, so that the card's record read by key, say, is
/// typed without a walk through the dictionary.
class RecordsetBuilder {
public:
    explicit RecordsetBuilder(const DataDictionary& dict) : m_dict(dict) {}

    RecordsetPtr build(StoredResult&& result);

private:
    struct Typed {
        QVector<ResultColumn> columns; ///< held, so that the list's storage is never reused
        QVector<FieldInfo> fields;
        QVector<int> inferred; ///< columns typed from the values of each result
    };
    const DataDictionary& m_dict;
    std::vector<Typed> m_typed; ///< the most recently used last
    /// The reading of the dictionary m_typed was typed by.
    quint64 m_typedBy = 0;

    const Typed& typedFor(const QVector<ResultColumn>& columns);
};

/// The statement queryRecordset sends first for the text and values (its literals lifted into
/// values), for a start that asks it ahead.
Statement recordsetQuestion(const QString& text, const QVariantList& params = {});

/// Runs a query in the engine's dialect into a record set. Literals of a text given without
/// parameters become parameters, so that the engine reuses one prepared statement for texts that
/// differ only in them; a text the engine reads differently so is run as written.
RecordsetPtr queryRecordset(SqlBackend& db, RecordsetBuilder& builder, const QString& text,
                            const QVariantList& params, const RowWatch& watch = {});

} // namespace tarvo::suite
