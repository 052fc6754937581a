#pragma once

#include <memory>

namespace tarvo {

/// Base of every object the class registry hands out. Host interfaces derive from it so that
/// one factory signature serves every ProgID and a caller can ask for the interface it needs.
class HostObject {
public:
    virtual ~HostObject() = default;
};

using HostObjectPtr = std::shared_ptr<HostObject>;

} // namespace tarvo
