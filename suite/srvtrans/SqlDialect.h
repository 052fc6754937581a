#pragma once

#include <QHash>
#include <QString>
#include <QVariantList>

namespace tarvo::suite {

class SqlBackend;

/// What the suite writes and does differently on the embedded engine (a file) and on a
/// PostgreSQL server. It is the one place that tells the two apart: the rest asks for what it
/// needs by its name, never by the engine's.
struct EngineDialect {
    /// "sqlite" or "postgresql", as translateQuery takes it.
    QString engine;
    /// Login roles with their rights: the operator is the one the role is tied to, and a save
    /// asks the server what the role may do; a file knows only the operating-system account.
    bool loginRoles = false;
    /// Edit locks are the session's advisory locks, gone with a dropped connection and taken
    /// again once it is made anew; a file keeps them as rows with a lease.
    bool sessionLocks = false;
    /// A long result is sorted whole before its first row comes: its first rows are asked for
    /// apart, to show meanwhile.
    bool sortsBeforeFirstRow = false;
    /// Every statement costs a round trip: many rows are changed by one statement.
    bool costlyRoundTrips = false;
    /// A varchar's length is enforced, so a wider column takes an ALTER.
    bool enforcesVarcharLength = false;
    /// Change numbers come from a sequence, so that saves of other records do not wait for each
    /// other; a file has one writer at a time and counts on from the highest stored.
    bool changeNumbersFromSequence = false;
    /// Follows a select of rows to lock them against other writers until the transaction
    /// ends; empty where a write transaction keeps every other writer out anyway.
    QString lockingRead;
    /// Significant digits of a money value the engine keeps exactly; 0: any number of them.
    int exactMoneyDigits = 0;
    /// Run before the schema scripts, for what they take for granted; empty: nothing.
    QString compatScript;
    /// The database's clock as local time with milliseconds.
    QString nowExpression;
    /// One row when the table (parameter: its name in lower case) has triggers of its own.
    QString ownTriggersQuery;
    /// The table's (parameter: its name in lower case) NOT NULL columns, one name a row.
    QString notNullColumnsQuery;
    /// One row when the table has the column (parameters: both names in lower case).
    QString columnExistsQuery;
    /// Follows a column to ask whether its text is one of a list bound as one parameter, the
    /// list made by textList(); empty when the engine takes one parameter per value.
    QString inTextList;
    /// One row when the database has the table (parameter: its name in lower case); a
    /// question that never fails, so that it may go ahead with others.
    QString tableListedQuery;

    /// The dialect of the engine a connection runs on.
    static const EngineDialect& of(const SqlBackend& sql);
};

/// A list of texts as one parameter of EngineDialect::inTextList.
QVariant textList(const QStringList& texts);

/// Rewrites the server dialect the component writes its queries in into what the engine
/// (SqlBackend::kind()) understands: "select top N ..." becomes "select ... LIMIT N" on both;
/// on PostgreSQL "like" becomes "ILIKE", since the component relies on the case-insensitive
/// matching of the server it was written for (SQLite's LIKE already ignores ASCII case).
QString translateQuery(const QString& sql, const QString& engine);

/// The same select cut to its first rows ("select top N ..."), to show while the whole is read;
/// empty when the statement is not a plain select or already says how many rows it wants.
QString firstRowsQuery(const QString& sql, int rows);

/// Numbers the positional parameters: each "?" outside literals, quoted names and comments
/// becomes $1, $2, ... in order.
QString numberPlaceholders(const QString& sql);

/// A query with quoted texts taken out as parameters.
struct LiftedQuery {
    QString sql;
    QVariantList values;
};

/// Takes the quoted texts after the where of a select statement out as parameters ('x' becomes
/// "?" with the value x), so that queries that differ only in such values, such as a record read
/// by its key, share one prepared statement. Statements with parameters of their own, and
/// anything but a select with a where, come back whole with no values.
LiftedQuery liftLiterals(const QString& sql);

/// The words of the statement by their lower case, each as first written, so that a name the
/// engine folded ("n" of "count(*) as N") can be given back in the caller's spelling.
QHash<QString, QString> writtenNames(const QString& sql);

} // namespace tarvo::suite
