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

Statement operatorQuestion(SqlBackend& sql, const QString& userId) {
    return {onServer(sql)
                ? QStringLiteral("SELECT cUser_Name, session_user::text, tarvo_session_is_owner(), "
                                 "cDbRole = session_user::text FROM tarvo_user WHERE cUser_Id = ?")
                : QStringLiteral("SELECT cUser_Name FROM tarvo_user WHERE cUser_Id = ?"),
            {userId}};
}

OperatorCheck checkOperator(SqlBackend& sql, const QString& userId) {
    const bool server = onServer(sql);
    const Statement asked = operatorQuestion(sql, userId);
    const auto r = sql.query(asked.sql, asked.params);
    if (r.rows.isEmpty())
        return {};
    const auto& row = r.rows[0];
    OperatorCheck found{true, row[0].toString(), {}};
    if (server && !row.value(2).toBool() && !row.value(3).toBool())
        found.refusal = tr("数据库登录角色“%1”不能以操作员“%2”的身份工作：该操作员没有指定给这个角色，"
                           "请数据库管理员在操作员表中为其指定登录角色")
                            .arg(row.value(1).toString(), userId);
    return found;
}

Statement recordRightsQuestion(SqlBackend& sql, const QString& table) {
    if (!onServer(sql))
        return {};
    // One question for the three actions, with the role to name in a refusal: each costs a
    // round trip to the server. Beside the record itself a save writes its history, its audit
    // row and the edit lock.
    return {QStringLiteral("SELECT has_table_privilege(?, 'INSERT'), "
                           "has_table_privilege(?, 'UPDATE'), "
                           "has_table_privilege(?, 'DELETE'), "
                           "has_table_privilege('tarvo_history', 'INSERT') AND "
                           "has_table_privilege('tarvo_audit', 'INSERT') AND ") +
                kLockRights + QStringLiteral(", session_user::text"),
            {table.toLower(), table.toLower(), table.toLower()}};
}

std::array<QString, 3> recordActionRefusals(SqlBackend& sql, const QString& table) {
    if (!onServer(sql))
        return {};
    const Statement asked = recordRightsQuestion(sql, table);
    const auto row = sql.query(asked.sql, asked.params).rows.value(0);
    const bool besides = row.value(3).toBool();
    const QString role = row.value(4).toString();
    const auto refusal = [&](RecordAction action, const char* text) {
        return besides && row.value(int(action)).toBool() ? QString() : tr(text).arg(role);
    };
    return {refusal(RecordAction::Add, "数据库登录角色“%1”没有添加记录的权限"),
            refusal(RecordAction::Modify, "数据库登录角色“%1”没有修改记录的权限"),
            refusal(RecordAction::Delete, "数据库登录角色“%1”没有删除记录的权限")};
}

QString lockRowRights() {
    return kLockRights;
}

bool maySaveLockRows(SqlBackend& sql) {
    return !onServer(sql) ||
           sql.query(QStringLiteral("SELECT ") + kLockRights)
               .rows.value(0)
               .value(0)
               .toBool();
}

} // namespace tarvo::suite
