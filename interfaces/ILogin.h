#pragma once

#include "HostObject.h"

#include <QDate>
#include <QString>

namespace tarvo {

/// The suite's login object, handed in by the host (or the portal) for the logged-in user.
class ILogin : public HostObject {
public:
    virtual QString MoxDbName() const = 0;
    virtual QString cUserId() const = 0;
    virtual QString cUserName() const = 0;
    virtual QString cacc_id() const = 0;
    virtual QString cIYear() const = 0;
    virtual QDate CurDate() const = 0;
    virtual QString MoxSystemDb() const = 0;
    virtual QString SysPassword() const = 0;
};

using LoginPtr = std::shared_ptr<ILogin>;

} // namespace tarvo
