#pragma once

#include "IArchiveList.h"
#include "IClsCommon.h"
#include "IColSet.h"
#include "ILogin.h"
#include "IPub.h"
#include "IRowAuth.h"

#include <QStringList>

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

} // namespace tarvo
