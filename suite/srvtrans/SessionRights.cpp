#include "SessionRights.h"

#include "SqlDialect.h"

#include <QCoreApplication>

#include <pwd.h>
#include <unistd.h>

namespace tarvo::suite {

namespace {

bool onServer(SqlBackend& sql) {
    return EngineDialect::of(sql).loginRoles;
}

QString tr(const char* text) {
    return QCoreApplication::translate("tarvo::suite::SessionRights", text);
}

/// The rights a session needs to write the edit lock's rows.
constexpr QLatin1StringView kLockRights(
    "has_table_privilege('tarvo_lock', 'INSERT') AND has_table_privilege('tarvo_lock', 'UPDATE') "
    "AND has_table_privilege('tarvo_lock', 'DELETE')");

} // namespace

QString osAccount() {
    // The password database, not $USER: the environment is the caller's to set. Looked up once
    // a process: every save names the account twice, and each look-up opens and reads the
    // password file.
    static const QString account = [] {
        if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
            return QString::fromLocal8Bit(pw->pw_name);
        return QString::number(::geteuid());
    }();
    return account;
}

QString sessionAccount(SqlBackend& sql) {
    return onServer(sql) ? sql.loginRole() : osAccount();
}

QString operatorRefusal(SqlBackend& sql, const QString& userId) {
    if (!onServer(sql))
        return {};
    const auto r = sql.query(
        QStringLiteral("SELECT session_user::text, tarvo_session_is_owner(), EXISTS (SELECT 1 "
                       "FROM tarvo_user WHERE cUser_Id = ? AND cDbRole = session_user::text)"),
        {userId});
    const auto& row = r.rows.value(0);
    if (row.value(1).toBool() || row.value(2).toBool())
        return {};
    return tr("数据库登录角色“%1”不能以操作员“%2”的身份工作：该操作员没有指定给这个角色，"
              "请数据库管理员在操作员表中为其指定登录角色")
        .arg(row.value(0).toString(), userId);
}

QString recordActionRefusal(SqlBackend& sql, const QString& table, RecordAction action) {
    if (!onServer(sql))
        return {};
    const char* privilege = action == RecordAction::Add      ? "INSERT"
                            : action == RecordAction::Modify ? "UPDATE"
                                                             : "DELETE";
    // One question, with the role to name in a refusal: each costs a round trip to the server.
    // Beside the record itself a save writes its history, its audit row and the edit lock.
    const auto row = sql.query(QStringLiteral("SELECT has_table_privilege(?, ?) AND "
                                              "has_table_privilege('tarvo_history', 'INSERT') AND "
                                              "has_table_privilege('tarvo_audit', 'INSERT') AND ") +
                                   kLockRights + QStringLiteral(", session_user::text"),
                               {table.toLower(), QLatin1String(privilege)})
                         .rows.value(0);
    if (row.value(0).toBool())
        return {};
    const QString role = row.value(1).toString();
    switch (action) {
    case RecordAction::Add:
        return tr("数据库登录角色“%1”没有添加记录的权限").arg(role);
    case RecordAction::Modify:
        return tr("数据库登录角色“%1”没有修改记录的权限").arg(role);
    case RecordAction::Delete:
        break;
    }
    return tr("数据库登录角色“%1”没有删除记录的权限").arg(role);
}

bool maySaveLockRows(SqlBackend& sql) {
    return !onServer(sql) ||
           sql.query(QStringLiteral("SELECT ") + kLockRights)
               .rows.value(0)
               .value(0)
               .toBool();
}

} // namespace tarvo::suite
