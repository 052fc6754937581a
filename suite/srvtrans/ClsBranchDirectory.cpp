#include "ClsBranchDirectory.h"

#include "BranchTable.h"
#include "ClsCommon.h"

#include <QCoreApplication>

#include <mutex>

namespace tarvo::suite {

namespace {

AccountDatabase* databaseOf(const ClsCommonPtr& db) {
    auto* common = dynamic_cast<ClsCommon*>(db.get());
    return common ? common->database() : nullptr;
}

QString noConnection() {
    return QCoreApplication::translate("tarvo::suite::DbError", "没有连接账套数据库");
}

} // namespace

bool ClsBranchDirectory::Present(ClsCommonPtr& db) {
    AccountDatabase* database = databaseOf(db);
    if (!database)
        return false;
    const std::lock_guard use(database->inUse());
    try {
        return BranchTable(*database).present();
    } catch (const DbError&) {
        // A directory that cannot be read helps nobody: the card works as without one.
        return false;
    }
}

bool ClsBranchDirectory::Find(ClsCommonPtr& db, const QString& code, BranchEntry& entry) {
    AccountDatabase* database = databaseOf(db);
    if (!database)
        return false;
    const std::lock_guard use(database->inUse());
    try {
        return BranchTable(*database).find(code, entry);
    } catch (const DbError&) {
        return false;
    }
}

bool ClsBranchDirectory::ForEach(ClsCommonPtr& db,
                                 const std::function<bool(const BranchEntry&)>& each,
                                 QString& errText) {
    AccountDatabase* database = databaseOf(db);
    if (!database) {
        errText = noConnection();
        return false;
    }
    const std::lock_guard use(database->inUse());
    try {
        BranchTable(*database).forEach(each);
    } catch (const DbError& e) {
        errText = QCoreApplication::translate("tarvo::suite::DbError", "读取联行号目录失败：%1")
                      .arg(e.text());
        return false;
    }
    return true;
}

bool ClsBranchDirectory::Store(ClsCommonPtr& db, const QVector<BranchEntry>& listed,
                               const QStringList& retire, const QDate& retiredOn,
                               QString& errText) {
    AccountDatabase* database = databaseOf(db);
    if (!database) {
        errText = noConnection();
        return false;
    }
    const std::lock_guard use(database->inUse());
    try {
        BranchTable(*database).store(listed, retire, retiredOn);
    } catch (const DbError& e) {
        errText = QCoreApplication::translate("tarvo::suite::DbError", "保存联行号目录失败：%1")
                      .arg(e.text());
        return false;
    }
    return true;
}

} // namespace tarvo::suite
