#pragma once

#include "HostObject.h"

#include <QString>

namespace tarvo {

/// The suite's row-authority object; the component only creates and initialises it.
class IRowAuth : public HostObject {
public:
    virtual void Init(const QString& dbName, const QString& userId) = 0;
};

using RowAuthPtr = std::shared_ptr<IRowAuth>;

} // namespace tarvo
