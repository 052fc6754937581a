#include "BranchTable.h"

#include "AccountDatabase.h"
#include "SqlDialect.h"

namespace tarvo::suite {

namespace {

const QString kTable = QStringLiteral("tarvo_branch");

// Casts: a table made after the connection learnt the catalog is not among the tables whose
// columns it knows, and a result naming its columns would ask the server for them.
QString columns(const QString& prefix = {}) {
    return QStringLiteral("CAST(%1cBranchNo AS varchar(12)), CAST(%1cBranchName AS varchar(120)), "
                          "CAST(%1cHeadBankNo AS varchar(12)), "
                          "CAST(%1cHeadBankName AS varchar(120)), "
                          "CAST(%1cCityCode AS varchar(10)), CAST(%1cCityName AS varchar(60)), "
                          "CAST(%1cProvinceName AS varchar(60)), CAST(%1dRetired AS varchar(10))")
        .arg(prefix);
}
const QString kColumns = columns();

/// Rows per statement of a store: seven values each, under the engines' limits of values.
constexpr int kRowsPerWrite = 100;
constexpr int kCodesPerRetire = 500;
/// Rows a read of the whole directory hands on at a time.
constexpr int kRowsPerChunk = 1000;

/// The branch of the row, in columns() from the column first on.
BranchEntry entryOf(const ColumnStore& cells, int row, int first = 0) {
    BranchEntry e;
    e.code = cells.text(row, first);
    e.name = cells.text(row, first + 1);
    e.bankCode = cells.text(row, first + 2);
    e.bankName = cells.text(row, first + 3);
    e.cityCode = cells.text(row, first + 4);
    e.city = cells.text(row, first + 5);
    e.province = cells.text(row, first + 6);
    if (cells.kind(row, first + 7) != ColumnStore::Kind::Null)
        e.retiredOn = QDate::fromString(cells.text(row, first + 7), Qt::ISODate);
    return e;
}

/// A text as the table keeps it: a field the file left out is empty, never null.
QVariant stored(const QString& text) {
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

/// An upsert that writes a row only where it differs from the stored one, so that importing
/// the same file again changes nothing (and takes no time writing).
QString upsert(int rows) {
    QString sql = QStringLiteral("INSERT INTO tarvo_branch (cBranchNo, cBranchName, cHeadBankNo, "
                                 "cHeadBankName, cCityCode, cCityName, cProvinceName) VALUES ");
    for (int i = 0; i < rows; ++i)
        sql += i == 0 ? QStringLiteral("(?, ?, ?, ?, ?, ?, ?)")
                      : QStringLiteral(", (?, ?, ?, ?, ?, ?, ?)");
    sql += QStringLiteral(
        " ON CONFLICT (cBranchNo) DO UPDATE SET cBranchName = excluded.cBranchName, "
        "cHeadBankNo = excluded.cHeadBankNo, cHeadBankName = excluded.cHeadBankName, "
        "cCityCode = excluded.cCityCode, cCityName = excluded.cCityName, "
        "cProvinceName = excluded.cProvinceName, dRetired = NULL WHERE "
        "tarvo_branch.cBranchName <> excluded.cBranchName OR "
        "tarvo_branch.cHeadBankNo <> excluded.cHeadBankNo OR "
        "tarvo_branch.cHeadBankName <> excluded.cHeadBankName OR "
        "tarvo_branch.cCityCode <> excluded.cCityCode OR "
        "tarvo_branch.cCityName <> excluded.cCityName OR "
        "tarvo_branch.cProvinceName <> excluded.cProvinceName OR "
        "tarvo_branch.dRetired IS NOT NULL");
    return sql;
}

/// Marks listed branches retired; one retired already keeps the day it went.
QString retired(int codes) {
    QString sql = QStringLiteral(
        "UPDATE tarvo_branch SET dRetired = ? WHERE dRetired IS NULL AND cBranchNo IN (");
    for (int i = 0; i < codes; ++i)
        sql += i == 0 ? QStringLiteral("?") : QStringLiteral(", ?");
    return sql + u')';
}

} // namespace

Statement BranchTable::presentQuestion(const SqlBackend& sql) {
    return {EngineDialect::of(sql).tableListedQuery, {kTable}};
}

bool BranchTable::present() {
    if (const std::optional<bool> known = m_db.knownBranchDirectory())
        return *known;
    SqlBackend& sql = m_db.sql();
    const Statement q = presentQuestion(sql);
    // A table made while the question was out is heard of after it: the answer then counts for
    // the generation before, and is asked again.
    const int generation = m_db.schemaGeneration();
    const bool answer = !sql.query(q.sql, q.params).rows.isEmpty();
    if (EngineDialect::of(sql).costlyRoundTrips)
        m_db.knowBranchDirectory(answer, generation);
    return answer;
}

bool BranchTable::find(const QString& code, BranchEntry& entry) {
    if (!present())
        return false;
    const StoredResult found = m_db.sql().queryStored(
        QStringLiteral("SELECT %1 FROM tarvo_branch WHERE cBranchNo = ?").arg(kColumns), {code});
    if (found.cells.rowCount() == 0)
        return false;
    entry = entryOf(found.cells, 0);
    return true;
}

Statement BranchTable::accountQuestion(const QString& account) {
    // The account's code comes along: what the answer says is of the code the account held.
    return {QStringLiteral("SELECT CAST(a.cUnionBankNo AS varchar(30)), %1 FROM bank a "
                           "LEFT JOIN tarvo_branch b ON b.cBranchNo = a.cUnionBankNo "
                           "WHERE a.cBCode = ?")
                .arg(columns(QStringLiteral("b."))),
            {account}};
}

void BranchTable::expectAccount(const QString& account) {
    if (m_db.knownBranchDirectory() == true)
        m_db.sql().askAhead({accountQuestion(account)});
}

bool BranchTable::findForAccount(const QString& account, const QString& code,
                                 BranchEntry& entry) {
    // A file answers each question at once: the code is looked up as the clerk types it.
    if (!EngineDialect::of(m_db.sql()).costlyRoundTrips || !present())
        return find(code, entry);
    const Statement q = accountQuestion(account);
    const StoredResult found = m_db.sql().queryStored(q.sql, q.params);
    // The account was given another code, or deleted, between the two reads.
    if (found.cells.rowCount() != 1 || found.cells.kind(0, 0) == ColumnStore::Kind::Null ||
        found.cells.text(0, 0) != code)
        return find(code, entry);
    if (found.cells.kind(0, 1) == ColumnStore::Kind::Null)
        return false;
    entry = entryOf(found.cells, 0, 1);
    return true;
}

QString BranchTable::mark() {
    return m_db.branchDirectoryMark();
}

void BranchTable::forEach(const std::function<bool(const BranchEntry&)>& each) {
    if (!present())
        return;
    bool going = true;
    const auto handOn = [&](const ColumnStore& cells) {
        for (int row = 0; going && row < cells.rowCount(); ++row)
            going = each(entryOf(cells, row));
    };
    const StoredResult rest = m_db.sql().queryStored(
        QStringLiteral("SELECT %1 FROM tarvo_branch ORDER BY cBranchNo").arg(kColumns), {},
        [&](StoredResult& r) {
            if (r.cells.rowCount() >= kRowsPerChunk)
                handOn(std::exchange(r.cells, ColumnStore(r.cells.columnCount())));
            return going;
        });
    if (going)
        handOn(rest.cells);
}

void BranchTable::createTable() {
    SqlBackend& sql = m_db.sql();
    // Every text is kept, empty rather than null, so that a stored row and a listed one
    // compare field by field alike on both engines.
    sql.execScript(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS tarvo_branch (cBranchNo varchar(12) NOT NULL PRIMARY KEY, "
        "cBranchName varchar(120) NOT NULL, cHeadBankNo varchar(12) NOT NULL DEFAULT '', "
        "cHeadBankName varchar(120) NOT NULL DEFAULT '', "
        "cCityCode varchar(10) NOT NULL DEFAULT '', cCityName varchar(60) NOT NULL DEFAULT '', "
        "cProvinceName varchar(60) NOT NULL DEFAULT '', dRetired varchar(10))"));
    // The sessions already running learn of the new table when this one commits.
    sql.announceSchemaChange();
    if (EngineDialect::of(sql).loginRoles)
        // Every session reads the directory; whoever may write the bank archive may import it. A
        // server whose roles were never set up has nobody to grant to.
        sql.execScript(QStringLiteral("DO $$ BEGIN GRANT SELECT ON tarvo_branch TO tarvo_reader; "
                                      "GRANT INSERT, UPDATE ON tarvo_branch TO tarvo_manager; "
                                      "EXCEPTION WHEN undefined_object THEN NULL; END $$"));
}

void BranchTable::store(const QVector<BranchEntry>& listed, const QStringList& retire,
                        const QDate& retiredOn) {
    if (listed.isEmpty() && retire.isEmpty())
        return;
    SqlBackend& sql = m_db.sql();
    // Whatever happens next, what this connection knew of the directory may be wrong.
    m_db.knowBranchDirectory(std::nullopt, m_db.schemaGeneration());
    m_db.branchDirectoryStored();
    Transaction tx(sql);
    // Asked first: making a table, even one that is there, takes a right on the schema that
    // the roles that keep the directory need not have.
    if (!sql.tableExists(kTable)) {
        // Nothing to retire either: no directory is made empty.
        if (listed.isEmpty())
            return;
        createTable();
    }
    // A server gets the writes together, with the commit, in one round trip.
    for (qsizetype from = 0; from < listed.size(); from += kRowsPerWrite) {
        const qsizetype rows = std::min<qsizetype>(kRowsPerWrite, listed.size() - from);
        QVariantList values;
        values.reserve(rows * 7);
        for (qsizetype i = from; i < from + rows; ++i) {
            const BranchEntry& e = listed[i];
            for (const QString* text :
                 {&e.code, &e.name, &e.bankCode, &e.bankName, &e.cityCode, &e.city, &e.province})
                values << stored(*text);
        }
        sql.execLater(upsert(int(rows)), values);
    }
    const QString day = retiredOn.toString(Qt::ISODate);
    for (qsizetype from = 0; from < retire.size(); from += kCodesPerRetire) {
        const QStringList part = retire.mid(from, kCodesPerRetire);
        QVariantList values{day};
        for (const QString& code : part)
            values << code;
        sql.execLater(retired(int(part.size())), values);
    }
    // The other sessions drop what they made of the directory before (a pick list's index).
    sql.announceChange(kTable);
    tx.commit();
    m_db.knowBranchDirectory(true, m_db.schemaGeneration());
}

} // namespace tarvo::suite
