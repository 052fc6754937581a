#include "Login.h"
#include "SuiteLogin.h"

#include "DatabaseName.h"
#include "PostgresDatabases.h"
#include "SessionRights.h"
#include "SuiteContext.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tarvo::suite {

Login::Login(LoginInfo info, AccountDatabasePtr connection)
    : m_info(std::move(info)), m_connection(std::move(connection)) {
    setCurrentUser(m_info.userId);
    if (m_connection)
        AccountDatabase::share(m_connection);
}

std::shared_ptr<Login> Login::logIn(const QString& dbName, const QString& userId, QString& error,
                                    AccountDatabase::Seed seed) {
    try {
        auto db = AccountDatabase::open(dbName, seed, [&userId](SqlBackend& sql) {
            return QVector<Statement>{operatorQuestion(sql, userId)};
        });
        const OperatorCheck user = checkOperator(db->sql(), userId);
        if (!user.known) {
            error = QCoreApplication::translate("tarvo::suite::Login", "用户“%1”不是本账套的操作员")
                        .arg(userId);
            return nullptr;
        }
        if (!user.refusal.isEmpty()) {
            error = user.refusal;
            return nullptr;
        }
        LoginInfo info;
        info.dbName = dbName;
        info.userId = userId;
        info.userName = user.name;
        // The account's name goes on every printed page: a server's database name, never the
        // rest of its URL.
        info.accId =
            isPostgresUrl(dbName) ? databaseOf(dbName) : QFileInfo(dbName).completeBaseName();
        info.curDate = QDate::currentDate();
        info.year = QString::number(info.curDate.year());
        info.systemDb = dbName;
        // The session that follows works on the connection the login checked the user on.
        return std::make_shared<Login>(info, db);
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
