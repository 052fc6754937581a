#pragma once

#include "IBranchDirectory.h"

namespace tarvo::suite {

/// The branch directory "TarvoSrvTrans.IBranchDirectory" over the connection of a ClsCommon.
class ClsBranchDirectory : public IBranchDirectory {
public:
    bool Present(ClsCommonPtr& db) override;
    bool Find(ClsCommonPtr& db, const QString& code, BranchEntry& entry) override;
    void ExpectAccount(ClsCommonPtr& db, const QString& account) override;
    bool FindForAccount(ClsCommonPtr& db, const QString& account, const QString& code,
                        BranchEntry& entry) override;
    QString Mark(ClsCommonPtr& db) override;
    bool ForEach(ClsCommonPtr& db, const std::function<bool(const BranchEntry&)>& each,
                 QString& errText) override;
    bool Store(ClsCommonPtr& db, const QVector<BranchEntry>& listed, const QStringList& retire,
               const QDate& retiredOn, QString& errText) override;
};

} // namespace tarvo::suite
