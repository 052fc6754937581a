#include "Login.h"

#include "AccountDatabase.h"
#include "SuiteContext.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tarvo::suite {

Login::Login(LoginInfo info) : m_info(std::move(info)) {
    setCurrentUser(m_info.userId);
}

std::shared_ptr<Login> Login::logIn(const QString& dbName, const QString& userId, QString& error) {
    try {
        auto db = AccountDatabase::open(dbName);
        const auto r = db->sql().query(
            QStringLiteral("SELECT cUser_Name FROM tarvo_user WHERE cUser_Id = ?"), {userId});
        if (r.rows.isEmpty()) {
            error = QCoreApplication::translate("tarvo::suite::Login", "用户“%1”不是本账套的操作员")
                        .arg(userId);
            return nullptr;
        }
        LoginInfo info;
        info.dbName = dbName;
        info.userId = userId;
        info.userName = r.rows[0][0].toString();
        info.accId = QFileInfo(dbName).completeBaseName();
        info.curDate = QDate::currentDate();
        info.year = QString::number(info.curDate.year());
        info.systemDb = dbName;
        return std::make_shared<Login>(info);
    } catch (const DbError& e) {
        error =
            e.text().contains(dbName)
                ? e.text()
                : QCoreApplication::translate("tarvo::suite::Login", "无法打开账套数据库“%1”：%2")
                      .arg(dbName, e.text());
        return nullptr;
    }
}

} // namespace tarvo::suite
