#pragma once

#include "ILogin.h"
#include "Recordset.h"

namespace tarvo {

/// The suite's reference client: a pick list over the rows of a table.
class IReferClient : public HostObject {
public:
    /// Prepares the pick list of a table, limited by a condition (SQL, no "where"); False when
    /// it cannot be prepared (unknown table, a condition the database refuses).
    virtual bool EnumRefInit(LoginPtr& login, qint16 mode, bool flag, QString& table,
                             QString& condition) = 0;
    /// Shows the pick list modally.
    virtual void Show() = 0;
    /// The rows offered, with a Filter that selects the chosen ones; null when the user
    /// chose nothing.
    virtual RecordsetPtr recmx() const = 0;
};

} // namespace tarvo
