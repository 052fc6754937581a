#include "ArchiveSession.h"

#include "FrmMain.h"

namespace tarvo {

ArchiveSession& ArchiveSession::current() {
    thread_local ArchiveSession session;
    return session;
}

} // namespace tarvo
