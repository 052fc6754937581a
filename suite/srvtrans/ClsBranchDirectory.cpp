#include "ClsBranchDirectory.h"

#include "BranchTable.h"
#include "ClsCommon.h"

#include <QCoreApplication>

#include <functional>
#include <mutex>

namespace tarvo::suite {

namespace {

AccountDatabase* databaseOf(const ClsCommonPtr& db) {
    auto* common = dynamic_cast<ClsCommon*>(db.get());
    return common ? common->database() : nullptr;
}

/// Runs work on the connection of db, in use by it alone meanwhile; false with the reason in
/// errText, worded by failed from the engine's own words, when it cannot.
bool onConnection(const ClsCommonPtr& db, QString& errText,
                  const std::function<QString(const QString&)>& failed,
                  const std::function<void(BranchTable&)>& work) {
    AccountDatabase* database = databaseOf(db);
    if (!database) {
        errText = QCoreApplication::translate("tarvo::suite::DbError", "没有连接账套数据库");
        return false;
    }
    const std::lock_guard use(database->inUse());
    try {
        BranchTable table(*database);
        work(table);
    } catch (const DbError& e) {
        errText = failed(e.text());
        return false;
    }
    return true;
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
    return onConnection(
        db, errText,
        [](const QString& why) {
            return QCoreApplication::translate("tarvo::suite::DbError", "读取联行号目录失败：%1")
                .arg(why);
        },
        [&](BranchTable& table) { table.forEach(each); });
}

bool ClsBranchDirectory::Store(ClsCommonPtr& db, const QVector<BranchEntry>& listed,
                               const QStringList& retire, const QDate& retiredOn,
                               QString& errText) {
    return onConnection(
        db, errText,
        [](const QString& why) {
            return QCoreApplication::translate("tarvo::suite::DbError", "保存联行号目录失败：%1")
                .arg(why);
        },
        [&](BranchTable& table) { table.store(listed, retire, retiredOn); });
}

} // namespace tarvo::suite
