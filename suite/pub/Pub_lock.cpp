// Function and edit locks of the public-services object.
#include "FunctionLock.h"
#include "Pub.h"

#include <QCoreApplication>

namespace tarvo::suite {

namespace {

QString archiveTitle(Pub& pub, const QString& archive) {
    const QString a = archive.toLower();
    if (a == u"aa_bank")
        return pub.GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.aa_bankarch"));
    if (a == u"bank")
        return pub.GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.bankarch"));
    return archive;
}

QString lostText(Pub& pub, const QString& title, const LockHolder& taker, bool withConnection) {
    if (withConnection)
        return taker.userId.isEmpty()
                   ? pub.GetResFormatString(QStringLiteral("Tarvo.SUITE.lock.lostOutage"), {title})
                   : pub.GetResFormatString(QStringLiteral("Tarvo.SUITE.lock.takenOutage"),
                                            {title, taker.userName, taker.userId, taker.host});
    if (taker.userId.isEmpty())
        return pub.GetResFormatString(QStringLiteral("Tarvo.SUITE.lock.expired"), {title});
    return pub.GetResFormatString(QStringLiteral("Tarvo.SUITE.lock.lost"),
                                  {title, taker.userName, taker.userId, taker.host});
}

} // namespace

FunctionLock* Pub::existingLocks() {
    const std::lock_guard made(m_locksMade);
    return m_locks.get();
}

FunctionLock* Pub::locksFor(const LoginPtr& login) {
    // Asked beside the window as well as from it.
    const std::lock_guard made(m_locksMade);
    if (!m_locks || m_locksDb != login->MoxDbName()) {
        // Locks ride on the session's connection, which lasts as long as they do: on a server
        // they end with it.
        m_locks = std::make_unique<FunctionLock>(
            AccountDatabase::openShared(login->MoxDbName()),
            LockHolder::thisProcess(login->cUserId(), login->cUserName()));
        m_locksDb = login->MoxDbName();
    }
    return m_locks.get();
}

bool Pub::IsLockFun(ClsCommonPtr& db, LoginPtr& login, const QString& archive, int mode) {
    if (mode == -1 || mode == -2) {
        LockRefusal(db, login, archive, mode);
        return false;
    }
    if ((mode != 1 && mode != 2) || !login)
        return true;
    QString text = LockRefusal(db, login, archive, mode);
    if (text.isEmpty())
        return false;
    MsgBox(text, 64, GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.information")));
    return true;
}

QString Pub::LockRefusal(ClsCommonPtr&, LoginPtr& login, const QString& archive, int mode) {
    const QString key = archive.toLower();
    if (mode == -1 || mode == -2) {
        if (FunctionLock* locks = existingLocks()) {
            try {
                locks->release(key, LockKind(-mode));
            } catch (const DbError&) {
                // A lock that cannot be given back ends with our connection or its lease.
            }
        }
        return {};
    }
    if ((mode != 1 && mode != 2) || !login)
        return QCoreApplication::translate("tarvo::suite::Pub", "无法取得%1的使用权")
            .arg(archiveTitle(*this, archive));
    try {
        LockHolder heldBy;
        FunctionLock* locks = locksFor(login);
        if (locks->acquire(key, LockKind(mode), heldBy))
            return {};
        return locks->takenOver(key, LockKind(mode))
                   ? lostText(*this, archiveTitle(*this, archive), heldBy,
                              locks->lostWithConnection(key, LockKind(mode)))
               : mode == 1 ? GetResFormatString(QStringLiteral("Tarvo.SUITE.lock.sameuser"),
                                                {heldBy.host, archiveTitle(*this, archive)})
                           : GetResFormatString(QStringLiteral("Tarvo.SUITE.lock.held"),
                                                {archiveTitle(*this, archive), heldBy.userName,
                                                 heldBy.userId, heldBy.host});
    } catch (const DbError& e) {
        return QCoreApplication::translate("tarvo::suite::Pub", "无法取得%1的使用权：%2")
            .arg(archiveTitle(*this, archive), e.text());
    }
}

} // namespace tarvo::suite
