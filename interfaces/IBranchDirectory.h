#pragma once

#include "IClsCommon.h"

#include <QCoreApplication>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace tarvo {

/// One bank branch of the directory: its 12-digit interbank code (联行号) and where it is.
struct BranchEntry {
    QString code;     ///< 行号: twelve digits
    QString name;     ///< 行名: the branch's full name
    QString bankCode; ///< 所属银行行号: the head bank's three-digit code, as in the bank archive
    QString bankName; ///< 所属银行名称, as the directory's file gives it
    QString cityCode; ///< 城市代码
    QString city;     ///< 城市
    QString province; ///< 省份
    /// The day the branch was first missing from an imported file; null while it is listed.
    QDate retiredOn;
};

/// The suite's branch directory "TarvoSrvTrans.IBranchDirectory", kept in the accounting
/// database beside the archives and filled from the files banks hand their customers. A
/// database into which no directory was ever imported has none: every member then answers as
/// for an empty directory and asks nothing that could fail.
class IBranchDirectory : public HostObject {
public:
    /// Whether the database of db holds a directory with at least one branch.
    virtual bool Present(ClsCommonPtr& db) = 0;
    /// The branch with the code, retired or not; False when there is none.
    virtual bool Find(ClsCommonPtr& db, const QString& code, BranchEntry& entry) = 0;
    /// Just before the bank account's record is read on db's connection: asks for the branch
    /// under the code it stores, so that a server answers both in one round trip.
    virtual void ExpectAccount(ClsCommonPtr& db, const QString& account) {
        (void)db;
        (void)account;
    }
    /// Find for the code read from the account's record: the answer ExpectAccount brought
    /// serves when the account held the same code then.
    virtual bool FindForAccount(ClsCommonPtr& db, const QString& account, const QString& code,
                                BranchEntry& entry) {
        (void)account;
        return Find(db, code, entry);
    }
    /// A mark of what db's connection knows of the directory: it moves whenever the directory
    /// may have changed since it was taken (an import through this connection, another
    /// program's as the database tells it), asks nothing of a server, and differs between
    /// connections. Empty when it cannot be told: whatever was made of the directory before
    /// is then not to be trusted.
    virtual QString Mark(ClsCommonPtr& db) {
        (void)db;
        return {};
    }
    /// Hands every branch to each in the order of its code, retired ones too, until each
    /// returns False. False, with the reason in errText, when the directory cannot be read.
    virtual bool ForEach(ClsCommonPtr& db, const std::function<bool(const BranchEntry&)>& each,
                         QString& errText) = 0;
    /// In one transaction: writes the listed branches, valid ones each listed once, where they
    /// differ from the stored ones (a retired one is listed again), and marks those of retire
    /// still listed retired on retiredOn. False, with the reason in errText, having stored
    /// nothing. Branches are written, never deleted: a database gets no directory from a store
    /// that lists none.
    virtual bool Store(ClsCommonPtr& db, const QVector<BranchEntry>& listed,
                       const QStringList& retire, const QDate& retiredOn, QString& errText) {
        (void)db;
        (void)listed;
        (void)retire;
        (void)retiredOn;
        errText = QCoreApplication::translate("tarvo::suite::DbError", "这个联行号目录不能保存");
        return false;
    }
};

using BranchDirectoryPtr = std::shared_ptr<IBranchDirectory>;

} // namespace tarvo
