#pragma once

#include <QHash>
#include <QString>
#include <QVariantList>

namespace tarvo::suite {

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
