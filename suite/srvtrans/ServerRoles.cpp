#include "ServerRoles.h"

#include "SqlDialect.h"

#include <QCoreApplication>

namespace tarvo::suite {

namespace {

/// A role's rights beyond reading: table and what it may do there. A right left out here is
/// withheld by the server, whatever program the role's clerk runs.
struct Grant {
    const char* role;
    const char* privileges;
    const char* tables;
};

const Grant kGrants[] = {
    // Every session keeps its own column layouts, options and page set-ups, a reader too.
    {"tarvo_reader", "INSERT, UPDATE, DELETE",
     "tarvo_colset_layout, tarvo_colset_option, tarvo_option, tarvo_print_style"},
    // History and audit only grow: no role gets UPDATE or DELETE on them.
    {"tarvo_clerk", "INSERT", "tarvo_history, tarvo_audit"},
    {"tarvo_clerk", "INSERT, UPDATE", "bank"},
    {"tarvo_clerk", "INSERT, UPDATE, DELETE", "tarvo_lock, tarvo_commit"},
    {"tarvo_manager", "DELETE", "bank"},
    {"tarvo_manager", "INSERT, UPDATE, DELETE", "aa_bank"},
};

} // namespace

void grantServerRoles(SqlBackend& db) {
    if (!EngineDialect::of(db).loginRoles)
        throw DbError(QCoreApplication::translate("tarvo::suite::DbError",
                                                  "只有数据库服务器上的账套才有登录角色和权限"));
    Transaction tx(db);
    // Each role takes in the one below it, so that a manager's clerk rights need no second grant.
    // Roles belong to the whole server: the tool may run for two databases at once, and the
    // one that comes second finds the role or membership made.
    const auto once = [&db](const QString& statement) {
        db.execScript(QStringLiteral("DO $$ BEGIN %1; EXCEPTION WHEN duplicate_object OR "
                                     "unique_violation THEN NULL; END $$")
                          .arg(statement));
    };
    QString below;
    for (const QString& role : kServerRoles) {
        once(QStringLiteral("CREATE ROLE %1 NOLOGIN").arg(role));
        if (!below.isEmpty())
            once(QStringLiteral("GRANT %1 TO %2").arg(below, role));
        below = role;
    }
    db.execScript(QStringLiteral("GRANT CONNECT ON DATABASE %1 TO tarvo_reader")
                      .arg(db.query(QStringLiteral("SELECT quote_ident(current_database())"))
                               .rows[0][0]
                               .toString()));
    db.execScript(QStringLiteral("GRANT USAGE ON SCHEMA %1 TO tarvo_reader; "
                                 "GRANT SELECT ON ALL TABLES IN SCHEMA %1 TO tarvo_reader")
                      .arg(db.query(QStringLiteral("SELECT quote_ident(current_schema())"))
                               .rows[0][0]
                               .toString()));
    for (const Grant& g : kGrants)
        db.execScript(QStringLiteral("GRANT %1 ON %2 TO %3")
                          .arg(QLatin1String(g.privileges), QLatin1String(g.tables),
                               QLatin1String(g.role)));
    db.execScript(QStringLiteral("GRANT USAGE ON SEQUENCE tarvo_history_change TO tarvo_clerk"));
    tx.commit();
}

} // namespace tarvo::suite
