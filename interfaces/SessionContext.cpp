#include "SessionContext.h"

namespace tarvo {

SessionContext& SessionContext::current() {
    thread_local SessionContext session;
    return session;
}

SessionScope::SessionScope(SessionContext session)
    : m_before(std::exchange(SessionContext::current(), std::move(session))) {}

SessionScope::~SessionScope() {
    SessionContext::current() = std::move(m_before);
}

} // namespace tarvo
