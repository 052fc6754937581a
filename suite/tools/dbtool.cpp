// Creates and seeds an accounting database, or reports what one holds.
//   tarvo-dbtool DBNAME            create when new, then print the row counts
// DBNAME is an SQLite file or a PostgreSQL URL (postgresql://user@host:port/dbname); a database
// missing on the server is created there first.
#include "AccountDatabase.h"
#include "PostgresDatabases.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace tarvo::suite;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "用法：tarvo-dbtool 数据库文件|postgresql://用户@主机:端口/数据库\n";
        return 2;
    }
    const QString dbName = args[1];
    try {
        if (isPostgresUrl(dbName) && createDatabase(dbName))
            out << "已在服务器上创建数据库 " << databaseOf(dbName) << '\n';
        auto db = AccountDatabase::open(dbName, AccountDatabase::Seed::ReferenceOnly);
        for (const char* table : {"aa_bank", "bank", "code", "foreigncurrency", "hr_ct007",
                                  "AccInformation", "tarvo_datadict", "tarvo_colset_default"}) {
            const auto r = db->sql().query(
                QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)));
            out << table << '\t' << r.rows[0][0].toLongLong() << '\n';
        }
    } catch (const DbError& e) {
        err << e.text() << '\n';
        return 1;
    }
    return 0;
}
