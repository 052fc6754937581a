#pragma once

#include "IArchiveList.h"
#include "IClsCommon.h"
#include "IColSet.h"
#include "ILogin.h"
#include "IPub.h"
#include "IRowAuth.h"

#include <QScopeGuard>
#include <QStringList>

#include <utility>

namespace tarvo {

/// The session state of one thread: the suite's objects, the list window shown last, and the
/// texts and numbers loaded for it. Two instances of the public class in one thread share it.
struct ArchiveSession {
    ClsCommonPtr SrvDB;
    LoginPtr oLogin;
    PubPtr oPub;
    RowAuthPtr oRowAuth;
    ColSetPtr oColSet;
    QString sSysId;
    std::shared_ptr<IArchiveList> ListWindow;
    qint16 iBalanceDecimals = 2;
    /// Values for the next formatted message; element 0 is value 1.
    ResParamList ResParams;
    QStringList YesNoText;    ///< 0: no, 1: yes
    QStringList SignFlagText; ///< 0: isignflag0 text, 1: isignflag1 text
    QStringList AccPropertyText; ///< the account property's texts, by its stored value 0, 1, 2

    /// The calling thread's session.
    static ArchiveSession& current();
};

/// Work to hand to another thread, taking the calling thread's archive session along: called
/// there, it runs in that session and leaves the thread's own as it was. The calling thread
/// must not use the suite's objects until the work is done.
template <typename Work> auto carryingArchiveSession(Work work) {
    return [session = ArchiveSession::current(), work = std::move(work)](auto&&... args) mutable {
        ArchiveSession& own = ArchiveSession::current();
        const auto restore = qScopeGuard([&own, before = std::exchange(own, session)]() mutable {
            own = std::move(before);
        });
        return work(std::forward<decltype(args)>(args)...);
    };
}

} // namespace tarvo
