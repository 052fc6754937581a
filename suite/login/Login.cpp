#include "Login.h"
#include "SuiteLogin.h"

#include "DatabaseName.h"
#include "PostgresDatabases.h"
#include "SessionRights.h"
#include "SuiteContext.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tarvo::suite {

Login::Login(LoginInfo info) : m_info(std::move(info)) {
    setCurrentUser(m_info.userId);
}

std::shared_ptr<Login> Login::logIn(const QString& dbName, const QString& userId, QString& error,
                                    AccountDatabase::Seed seed) {
    try {
        auto db = AccountDatabase::open(dbName, seed);
        const auto r = db->sql().query(
            QStringLiteral("SELECT cUser_Name FROM tarvo_user WHERE cUser_Id = ?"), {userId});
        if (r.rows.isEmpty()) {
            error = QCoreApplication::translate("tarvo::suite::Login", "用户“%1”不是本账套的操作员")
                        .arg(userId);
            return nullptr;
        }
        if (const QString refusal = operatorRefusal(db->sql(), userId); !refusal.isEmpty()) {
            error = refusal;
            return nullptr;
        }
        LoginInfo info;
        info.dbName = dbName;
        info.userId = userId;
        info.userName = r.rows[0][0].toString();
        // The account's name goes on every printed page: a server's database name, never the
        // rest of its URL.
        info.accId =
            isPostgresUrl(dbName) ? databaseOf(dbName) : QFileInfo(dbName).completeBaseName();
        info.curDate = QDate::currentDate();
        info.year = QString::number(info.curDate.year());
        info.systemDb = dbName;
        return std::make_shared<Login>(info);
    } catch (const DbError& e) {
        const QString shown = shownDatabaseName(dbName);
        const QString text = withoutSecrets(e.text(), dbName);
        error = text.contains(shown) ? text
                                     : QCoreApplication::translate("tarvo::suite::Login",
                                                                   "无法打开账套数据库“%1”：%2")
                                           .arg(shown, text);
        return nullptr;
    }
}

LoginPtr logIn(const QString& dbName, const QString& userId, QString& error) {
    return Login::logIn(dbName, userId, error, AccountDatabase::Seed::ReferenceOnly);
}

} // namespace tarvo::suite
