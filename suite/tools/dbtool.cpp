// Creates and seeds an accounting database, or reports what one holds.
//   tarvo-dbtool DBNAME            create when new, then print the row counts
//   tarvo-dbtool --roles DBNAME    also create the server's three group roles and grant them
// DBNAME is an SQLite file or a PostgreSQL URL (postgresql://user@host:port/dbname); a database
// missing on the server is created there first.
#include "AccountDatabase.h"
#include "PostgresDatabases.h"
#include "ServerRoles.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace tarvo::suite;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    QStringList args = app.arguments();
    const bool roles = args.removeAll(QStringLiteral("--roles")) > 0;
    const char* usage = "用法：tarvo-dbtool [--roles] 数据库文件|postgresql://用户@主机:端口/数据库\n";
    if (args.size() == 2 && (args[1] == u"--help" || args[1] == u"-h")) {
        out << usage;
        return 0;
    }
    // Anything else that looks like an option is one we do not know, never a file to create.
    if (args.size() != 2 || args[1].startsWith(u'-')) {
        err << usage;
        return 2;
    }
    const QString dbName = args[1];
    try {
        if (isPostgresUrl(dbName) && createDatabase(dbName))
            out << "已在服务器上创建数据库 " << databaseOf(dbName) << '\n';
        auto db = AccountDatabase::open(dbName, AccountDatabase::Seed::ReferenceOnly);
        if (roles) {
            grantServerRoles(db->sql());
            out << "已建立并授权角色 " << kServerRoles.join(u", ") << '\n';
        }
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
