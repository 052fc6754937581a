#pragma once

#include "AccountDatabase.h"
#include "ILogin.h"

namespace tarvo::suite {

struct LoginInfo {
    QString dbName;
    QString userId;
    QString userName;
    QString accId;
    QString year;
    QDate curDate;
    QString systemDb;
    QString password;
};

/// The suite's login object: who is logged in to which account database, for which year.
class Login : public ILogin {
public:
    /// connection, when given, is kept and offered to the session's objects on this thread.
    explicit Login(LoginInfo info, AccountDatabasePtr connection = {});

    /// Logs a user in to an account database: checks the user exists there and takes the
    /// user's name from it. Null with the reason in error when the user cannot log in. A
    /// database met for the first time is created with what seed says.
    static std::shared_ptr<Login>
    logIn(const QString& dbName, const QString& userId, QString& error,
          AccountDatabase::Seed seed = AccountDatabase::Seed::WithDemo);

    QString MoxDbName() const override { return m_info.dbName; }
    QString cUserId() const override { return m_info.userId; }
    QString cUserName() const override { return m_info.userName; }
    QString cacc_id() const override { return m_info.accId; }
    QString cIYear() const override { return m_info.year; }
    QDate CurDate() const override { return m_info.curDate; }
    QString MoxSystemDb() const override { return m_info.systemDb; }
    QString SysPassword() const override { return m_info.password; }

private:
    LoginInfo m_info;
    AccountDatabasePtr m_connection;
};

} // namespace tarvo::suite
