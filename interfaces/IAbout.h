#pragma once

#include "HostObject.h"

class QObject;

namespace tarvo {

/// The suite's about box.
class IAbout : public HostObject {
public:
    /// Shows the box modally; owner may be null.
    virtual void Show(QObject* owner) = 0;
};

} // namespace tarvo
