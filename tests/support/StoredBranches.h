#pragma once

#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "IBranchDirectory.h"

#include <gtest/gtest.h>

/// A made-up branch of the directory, its head bank and city taken from its code.
inline tarvo::BranchEntry madeUpBranch(const QString& code, const QString& name,
                                       const QString& province, const QString& city) {
    tarvo::BranchEntry e;
    e.code = code;
    e.name = name;
    e.bankCode = code.left(3);
    e.bankName = QStringLiteral("示例银行");
    e.cityCode = code.mid(3, 4);
    e.city = city;
    e.province = province;
    return e;
}

/// Stores a directory through the session's connection as its import does: the branches
/// listed, then those retired as a later file leaves them out, on retiredOn.
inline void storeBranches(const QVector<tarvo::BranchEntry>& listed,
                          const QVector<tarvo::BranchEntry>& retired, const QDate& retiredOn) {
    auto directory = tarvo::createObject<tarvo::IBranchDirectory>(
        QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
    ASSERT_NE(directory, nullptr);
    tarvo::ClsCommonPtr db = tarvo::ArchiveSession::current().SrvDB;
    QString error;
    ASSERT_TRUE(directory->Store(db, listed + retired, {}, retiredOn.addMonths(-1), error))
        << error.toStdString();
    QStringList gone;
    for (const tarvo::BranchEntry& e : retired)
        gone << e.code;
    if (!gone.isEmpty()) {
        ASSERT_TRUE(directory->Store(db, {}, gone, retiredOn, error)) << error.toStdString();
    }
}
