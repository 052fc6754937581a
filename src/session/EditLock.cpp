#include "EditLock.h"

#include "ArchiveSession.h"
#include "ErrorHandling.h"

namespace tarvo {

bool takeEditLock(const QString& archive) {
    ArchiveSession& s = ArchiveSession::current();
    return !s.oPub->IsLockFun(s.SrvDB, s.oLogin, archive, 2);
}

EditLockRelease::~EditLockRelease() {
    ArchiveSession& s = ArchiveSession::current();
    skipErrors([&] {
        if (s.oPub)
            s.oPub->IsLockFun(s.SrvDB, s.oLogin, m_archive, -2);
    });
}

} // namespace tarvo
