#pragma once

#include "IClsCommon.h"
#include "Recordset.h"

#include <QString>
#include <QVariant>

namespace tarvo {

/// The suite's history service "TarvoSrvTrans.IHistory": the changes of the archives' records
/// as the save service recorded them, field by field.
class IHistory : public HostObject {
public:
    /// The changes of one record (key given) or of the whole archive (key null) over the
    /// connection of db, newest change first. Fields: dWhen, cUserId, cUserName, cSessionUser
    /// (the login role a server authenticated, or the operating-system account that wrote a
    /// file), cAction (Add, Modify, Delete), cKeyValue, cField (the column's caption in the
    /// session language), cFieldName (the column's name), cOldValue, cNewValue (as stored,
    /// flags as yes or no), all texts. Null, with the reason in errText, when they cannot be
    /// read.
    virtual RecordsetPtr History(ClsCommonPtr& db, const QString& archive, const QVariant& key,
                                 QString& errText) = 0;
};

using HistoryPtr = std::shared_ptr<IHistory>;

} // namespace tarvo
