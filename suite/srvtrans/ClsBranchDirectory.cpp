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

/// What work makes of the directory on the connection of db, in use by it alone meanwhile;
/// otherwise without a connection or when the directory cannot be read: a directory that
/// cannot be read helps nobody, and the card works as without one.
template <typename T>
T readTable(const ClsCommonPtr& db, T otherwise, const std::function<T(BranchTable&)>& work) {
    AccountDatabase* database = databaseOf(db);
    if (!database)
        return otherwise;
    const std::lock_guard use(database->inUse());
    try {
        BranchTable table(*database);
        return work(table);
    } catch (const DbError&) {
        return otherwise;
    }
}

} // namespace

bool ClsBranchDirectory::Present(ClsCommonPtr& db) {
    return readTable<bool>(db, false, [](BranchTable& table) { return table.present(); });
}

bool ClsBranchDirectory::Find(ClsCommonPtr& db, const QString& code, BranchEntry& entry) {
    return readTable<bool>(db, false,
                           [&](BranchTable& table) { return table.find(code, entry); });
}

void ClsBranchDirectory::ExpectAccount(ClsCommonPtr& db, const QString& account) {
    readTable<bool>(db, false, [&](BranchTable& table) {
        table.expectAccount(account);
        return true;
    });
}

bool ClsBranchDirectory::FindForAccount(ClsCommonPtr& db, const QString& account,
                                        const QString& code, BranchEntry& entry) {
    return readTable<bool>(db, false, [&](BranchTable& table) {
        return table.findForAccount(account, code, entry);
    });
}

QString ClsBranchDirectory::Mark(ClsCommonPtr& db) {
    return readTable<QString>(db, {}, [](BranchTable& table) { return table.mark(); });
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
