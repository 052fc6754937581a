#pragma once

#include "IHistory.h"

namespace tarvo::suite {

/// The history service "TarvoSrvTrans.IHistory" over the connection of a ClsCommon.
class ClsHistory : public IHistory {
public:
    RecordsetPtr History(ClsCommonPtr& db, const QString& archive, const QVariant& key,
                         QString& errText) override;
};

} // namespace tarvo::suite
