#include "ArchiveSession.h"

namespace tarvo {

ArchiveSession& ArchiveSession::current() {
    thread_local ArchiveSession session;
    return session;
}

} // namespace tarvo
