#pragma once

#include "RecordsetBuilder.h"
#include "SqlBackend.h"

#include <QHash>
#include <QString>

#include <mutex>

namespace tarvo::suite {

class DataDictionary;

/// The small tables a session shows in pick lists and names (currencies, banks, regions, ledger
/// accounts), read whole once per connection and kept while nothing says they changed. Kept
/// rows are dropped when the connection is made anew, when the engine says another connection
/// changed the table (a server's notification, heard without a round trip; a file's data
/// version), and when this session saves the table itself (forget()). A table with more than
/// kMostRows rows is not kept: its callers ask the database per key.
///
/// Used from the connection's thread; a save on a thread of its own may forget() meanwhile.
class ReferenceCache {
public:
    static constexpr int kMostRows = 20000;

    ReferenceCache(SqlBackend& sql, const DataDictionary& dict);

    /// Whether the table is one of those kept.
    static bool keeps(const QString& table);

    /// Asks for the tables to be read along with the next statement run through
    /// queryWithReads(), rather than in a round trip of their own when first looked at.
    void want();
    /// Whether want() was asked and the tables wait to be read.
    bool wanted();
    /// Runs the statement together with the reads wanted (in one round trip on a server) and
    /// keeps what they bring; returns the statement's result. Outside a transaction only.
    StoredResult queryWithReads(const QString& sql, const QVariantList& params);

    /// The table's rows in the order of its key, as a record set of their own; null when the
    /// table is not kept or has too many rows. Reads the tables not in memory, all at once.
    RecordsetPtr rows(const QString& table);
    /// The stored rows of the kept table whose column holds the value (compared in upper case
    /// when anyCase), by an index made once per copy; all gets the copy they are rows of.
    /// False when the table is not kept or has no such column.
    bool rowsWhere(const QString& table, const QString& column, const QString& value, bool anyCase,
                   RecordsetPtr& all, QVector<int>& rows);
    /// What a query of the table alone reads (in the engine's dialect), kept under its text
    /// along with the table; null when the table is not kept.
    RecordsetPtr rowsOf(const QString& table, const QString& sql);

    /// Drops what is kept of the table: this session has changed it.
    void forget(const QString& table);

private:
    struct Kept {
        /// Null when the table has too many rows to keep.
        RecordsetPtr all;
        QHash<QString, RecordsetPtr> byQuery;
        /// Column (lower case, "^" before it for upper-case values) -> value -> stored rows.
        QHash<QString, QMultiHash<QString, int>> indexes;
    };
    SqlBackend& m_sql;
    const DataDictionary& m_dict;
    RecordsetBuilder m_builder;
    std::mutex m_mutex;
    QHash<QString, Kept> m_tables; ///< by lower-case name
    int m_generation = -1;
    bool m_hearing = false;
    bool m_wanted = false;

    /// Drops what may have changed since the tables were read. Under the mutex.
    void dropStale();
    /// The statements that read the tables not kept yet, after the one that makes the
    /// connection hear of changes when it does not yet. Under the mutex.
    QVector<SqlStatement> reads(QStringList& tables);
    /// Keeps what reads() brought. Under the mutex.
    void keep(const QStringList& tables, std::vector<StoredResult>& results);
    QString keyOrder(const QString& table) const;
    RecordsetPtr shared(const RecordsetPtr& rows) const;
};

} // namespace tarvo::suite
