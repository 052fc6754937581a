#include "SqlDialect.h"
#include "SqlBackend.h"

#include <QRegularExpression>

#include <algorithm>

namespace tarvo::suite {

namespace {

/// The statement with every string literal, quoted name and comment blanked out, character for
/// character, so that searches for keywords and marks only see the statement's own words and
/// their positions still fit the original text.
QString codeOnly(const QString& sql) {
    QString out = sql;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    const auto blank = [&](qsizetype from, qsizetype to) {
        for (qsizetype k = from; k < to && k < n; ++k)
            out[k] = u' ';
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"') {
            qsizetype j = i + 1;
            // A doubled quote stands for itself inside the literal or name.
            while (j < n && !(sql[j] == c && (j + 1 >= n || sql[j + 1] != c)))
                j += sql[j] == c ? 2 : 1;
            blank(i, j + 1);
            i = j + 1;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            qsizetype j = sql.indexOf(u'\n', i);
            j = j < 0 ? n : j;
            blank(i, j);
            i = j;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            qsizetype j = sql.indexOf(QStringLiteral("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            blank(i, j);
            i = j;
        } else {
            ++i;
        }
    }
    return out;
}

QString limitTop(const QString& sql) {
    static const QRegularExpression top(
        QStringLiteral("^(\\s*select\\s+(?:distinct\\s+)?)top\\s+(\\d+)\\s+"),
        QRegularExpression::CaseInsensitiveOption);
    QString text = sql.trimmed();
    while (text.endsWith(u';'))
        text = text.chopped(1).trimmed();
    const auto m = top.match(text);
    if (!m.hasMatch())
        return text;
    return m.captured(1) + text.mid(m.capturedEnd(0)) + QStringLiteral(" LIMIT ") + m.captured(2);
}

} // namespace

const EngineDialect& EngineDialect::of(const SqlBackend& sql) {
    static const EngineDialect file{
        .engine = QStringLiteral("sqlite"),
        .loginRoles = false,
        .sessionLocks = false,
        .sortsBeforeFirstRow = false,
        .costlyRoundTrips = false,
        .enforcesVarcharLength = false,
        .changeNumbersFromSequence = false,
        .lockingRead = {},
        // A numeric column is stored as a double, which gives back any 15 digits unchanged.
        .exactMoneyDigits = 15,
        .compatScript = {},
        .nowExpression = QStringLiteral("strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime')"),
        .ownTriggersQuery = QStringLiteral(
            "SELECT 1 FROM sqlite_master WHERE type = 'trigger' AND lower(tbl_name) = ?"),
        .notNullColumnsQuery =
            QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE \"notnull\" = 1"),
        .columnExistsQuery =
            QStringLiteral("SELECT 1 FROM pragma_table_info(?) WHERE lower(name) = ?"),
        .inTextList = {},
        .tableListedQuery =
            QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND lower(name) = ?"),
    };
    static const EngineDialect server{
        .engine = QStringLiteral("postgresql"),
        .loginRoles = true,
        .sessionLocks = true,
        .sortsBeforeFirstRow = true,
        .costlyRoundTrips = true,
        .enforcesVarcharLength = true,
        .changeNumbersFromSequence = true,
        .lockingRead = QStringLiteral(" FOR UPDATE"),
        .exactMoneyDigits = 0,
        .compatScript = QStringLiteral(":/suite/data/postgres_compat.sql"),
        .nowExpression = QStringLiteral("to_char(now(), 'YYYY-MM-DD HH24:MI:SS.MS')"),
        .ownTriggersQuery = QStringLiteral(
            "SELECT 1 FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid WHERE c.relname = ? "
            "AND NOT t.tgisinternal AND pg_table_is_visible(c.oid)"),
        .notNullColumnsQuery = QStringLiteral(
            // Cast, the answer names no column of a table: the catalog views are not among the
            // tables learned when connecting, and looking one up costs a round trip of its own.
            "SELECT column_name::text FROM information_schema.columns WHERE table_schema = "
            "current_schema() AND table_name = ? AND is_nullable = 'NO'"),
        .columnExistsQuery = QStringLiteral(
            "SELECT 1 FROM information_schema.columns WHERE table_schema = current_schema() AND "
            "table_name = ? AND column_name = ?"),
        .inTextList = QStringLiteral("= ANY (CAST(? AS text[]))"),
        // The catalog read like any table: a name lookup (to_regclass) may answer from this
        // connection's cache, which does not know a table another connection has just made.
        .tableListedQuery = QStringLiteral("SELECT 1 FROM pg_catalog.pg_tables WHERE schemaname "
                                           "= current_schema() AND tablename = ?"),
    };
    return sql.kind() == server.engine ? server : file;
}

QVariant textList(const QStringList& texts) {
    // An array literal with every element quoted: no text, however odd, is read as a NULL or
    // splits in two.
    QString out;
    qsizetype size = 2;
    for (const QString& t : texts)
        size += t.size() + 3;
    out.reserve(size);
    out += u'{';
    for (const QString& t : texts) {
        if (out.size() > 1)
            out += u',';
        out += u'"';
        for (const QChar c : t) {
            if (c == u'"' || c == u'\\')
                out += u'\\';
            out += c;
        }
        out += u'"';
    }
    out += u'}';
    return out;
}

QString translateQuery(const QString& sql, const QString& engine) {
    QString text = limitTop(sql);
    if (engine != u"postgresql")
        return text;
    static const QRegularExpression like(QStringLiteral("\\blike\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString code = codeOnly(text);
    QList<qsizetype> at;
    for (auto it = like.globalMatch(code); it.hasNext();)
        at.prepend(it.next().capturedStart());
    for (const qsizetype pos : at)
        text.replace(pos, 4, QStringLiteral("ILIKE"));
    return text;
}

QString firstRowsQuery(const QString& sql, int rows) {
    static const QRegularExpression select(
        QStringLiteral("^(\\s*select\\s+(?:distinct\\s+)?+)(?!top\\s)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = select.match(sql);
    if (!m.hasMatch())
        return {};
    return m.captured(1) + QStringLiteral("top %1 ").arg(rows) + sql.mid(m.capturedEnd(0));
}

QString numberPlaceholders(const QString& sql) {
    const QString code = codeOnly(sql);
    QString out;
    out.reserve(sql.size() + 16);
    int n = 0;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (code[i] == u'?')
            out += u'$' + QString::number(++n);
        else
            out += sql[i];
    }
    return out;
}

LiftedQuery liftLiterals(const QString& sql) {
    static const QRegularExpression select(QStringLiteral("^\\s*select\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression where(QStringLiteral("\\bwhere\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QString code = codeOnly(sql);
    const auto w = where.match(code);
    if (!select.match(code).hasMatch() || !w.hasMatch() || code.contains(u'?'))
        return {sql, {}};
    LiftedQuery lifted{sql.left(w.capturedEnd()), {}};
    const qsizetype n = sql.size();
    qsizetype i = w.capturedEnd();
    while (i < n) {
        const QChar c = sql[i];
        // Literals with a prefix (N'…', E'…') and literals in comments or names stay as written.
        const bool prefixed = i > 0 && (sql[i - 1].isLetterOrNumber() || sql[i - 1] == u'_');
        if (c == u'\'' && code[i] == u' ' && !prefixed) {
            QString value;
            qsizetype j = i + 1;
            for (; j < n; ++j) {
                if (sql[j] == u'\'') {
                    if (j + 1 < n && sql[j + 1] == u'\'') {
                        value += u'\'';
                        ++j;
                        continue;
                    }
                    break;
                }
                value += sql[j];
            }
            if (j >= n)
                return {sql, {}};
            lifted.sql += u'?';
            lifted.values << value;
            i = j + 1;
            continue;
        }
        // Everything else is copied; a quoted literal that stays is copied whole.
        qsizetype j = i + 1;
        if (c == u'\'' || c == u'"') {
            while (j < n && !(sql[j] == c && (j + 1 >= n || sql[j + 1] != c)))
                j += sql[j] == c ? 2 : 1;
            j = std::min(j + 1, n);
        } else if (c == u'-' && j < n && sql[j] == u'-') {
            j = sql.indexOf(u'\n', i);
            j = j < 0 ? n : j;
        } else if (c == u'/' && j < n && sql[j] == u'*') {
            j = sql.indexOf(QStringLiteral("*/"), i + 2);
            j = j < 0 ? n : j + 2;
        }
        lifted.sql += QStringView(sql).mid(i, j - i);
        i = j;
    }
    return lifted;
}

QHash<QString, QString> writtenNames(const QString& sql) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z_][A-Za-z0-9_]*"));
    QHash<QString, QString> names;
    for (auto it = word.globalMatch(codeOnly(sql)); it.hasNext();) {
        const QString w = it.next().captured();
        const QString folded = w.toLower();
        if (!names.contains(folded))
            names.insert(folded, w);
    }
    return names;
}

} // namespace tarvo::suite
