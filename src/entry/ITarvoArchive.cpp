#include "ITarvoArchive.h"

#include "ArchiveDescriptor.h"
#include "AccountSettings.h"
#include "ArchiveSession.h"
#include "BuildVariant.h"
#include "ClassRegistry.h"
#include "ComponentLanguage.h"
#include "ErrorHandling.h"
#include "FrmMain.h"
#include "TypeLibrary.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

namespace tarvo {

namespace {

QString res(const char* key) {
    return ArchiveSession::current().oPub->GetResString(QString::fromLatin1(key));
}

std::shared_ptr<FrmMain> newListWindow() {
    // The window may still be referenced by queued events when the session drops it, and a
    // portal that hosted it may have destroyed it already: only a live window is deleted.
    auto* window = new FrmMain;
    return std::shared_ptr<FrmMain>(window, [alive = QPointer<FrmMain>(window)](FrmMain*) {
        if (alive)
            alive->deleteLater();
    });
}

/// The list window of the session: the one StartSession made.
std::shared_ptr<FrmMain> sessionList() {
    return std::static_pointer_cast<FrmMain>(ArchiveSession::current().ListWindow);
}

} // namespace

struct ITarvoArchive::SavedSession {
    ArchiveSession session;
    bool locked = false; ///< this Show got the function lock, so gives it back
};

ITarvoArchive::ITarvoArchive(QObject* parent) : QObject(parent) {
    setObjectName(QString::fromLatin1(kProgId));
}

ITarvoArchive::~ITarvoArchive() = default;

bool ITarvoArchive::answersInterface(const QUuid& iid) {
    if (iid == QUuid::fromString(QLatin1String(kEarlierInterfaceId)))
        return true;
    return !kEarlierBuild && iid == QUuid::fromString(QLatin1String(kInterfaceId));
}

QByteArray ITarvoArchive::memberName(unsigned dispId) {
    if (kEarlierBuild)
        return dispId == DISPID_Show ? QByteArray("Show") : QByteArray();
    switch (dispId) {
    case DISPID_Show:
        return "Show";
    case DISPID_Business:
        return "Business";
    case DISPID_ShowModeless:
        return "ShowModeless";
    case DISPID_Login:
        return "Login";
    case DISPID_LogOff:
        return "LogOff";
    default:
        return {};
    }
}

bool ITarvoArchive::StartSession(LoginPtr& oLogin, const QString& ArchiveName, const QString& SysId,
                                 bool withList, bool lockArchive,
                                 const std::function<void(const ComVar&)>& expect) {
    ArchiveSession& s = ArchiveSession::current();
    auto fail = [this] {
        EndSession();
        return false;
    };
    if (kEarlierBuild)
        m_saved.reset(new SavedSession{s});

    skipErrors([&] {
        m_ComVar = std::make_shared<ComVar>();
        if (!withList)
            return;
        const std::shared_ptr<FrmMain> list = newListWindow();
        s.ListWindow = list;
        list->Init(m_ComVar);
    });
    if (s.oPub) {
        m_bOwnSession = false;
    } else {
        s.oPub = createObject<IPub>(QStringLiteral("TarvoPub.IPub"));
        m_bOwnSession = true;
    }
    if (!s.oPub) {
        QMessageBox::information(nullptr, QStringLiteral("Information"),
                                 QStringLiteral("not find tarvopub.dll"));
        return fail();
    }
    skipErrors([&] { useComponentLanguage(s.oPub->M_LocaleId()); });
    s.oLogin = oLogin;
    if (!s.oLogin) {
        ShowInfo(res("Tarvo.AA.ARCHIVE.COMMON.nologin"));
        return fail();
    }
    s.sSysId = SysId.toUpper();
    m_ComVar->m_ArchiveEnName = ArchiveName.toLower();
    if (!ChooseArchiveDescriptor(*m_ComVar, s.sSysId, *s.oPub)) {
        ShowInfo(QCoreApplication::translate("tarvo::Messages", "不提供ArchiveName服务！"));
        return fail();
    }
    if (kEarlierBuild) {
        // This build has no owning instance: each Show sets up its own data objects and lock
        // and gives them up when its list closes.
        m_bOwnSession = true;
    } else if (!m_bOwnSession) {
        return true;
    }
    if (!CreateDataObjects(oLogin))
        return fail();
    skipErrors([&] { ExpectStart(withList, expect); });
    if (lockArchive && s.oPub->IsLockFun(s.SrvDB, s.oLogin, m_ComVar->m_ArchiveEnName, 1))
        return fail();
    if (m_saved)
        m_saved->locked = true;
    return true;
}

bool ITarvoArchive::CreateDataObjects(LoginPtr& oLogin) {
    ArchiveSession& s = ArchiveSession::current();
    s.SrvDB = createObject<IClsCommon>(QStringLiteral("TarvoSrvTrans.IClsCommon"));
    if (!s.SrvDB) {
        ShowInfo(res("Tarvo.AA.ARCHIVE.COMMON.loadsrvdbfail"));
        return false;
    }
    const QString dbName = oLogin->MoxDbName();
    const QString userId = oLogin->cUserId();
    s.SrvDB->Init(dbName);
    if (!s.SrvDB->Status()) {
        ShowInfo(res("Tarvo.AA.ARCHIVE.COMMON.dbconnectfail"));
        return false;
    }
    s.oRowAuth = createObject<IRowAuth>(QStringLiteral("TarvoRowAuthsvr.clsRowAuth"));
    if (!s.oRowAuth) {
        ShowInfo(res("Tarvo.AA.ARCHIVE.COMMON.loadrowauthsvrfail"));
        return false;
    }
    s.oRowAuth->Init(dbName, userId);
    s.oColSet = createObject<IColSet>(kEarlierBuild ? QStringLiteral("Tarvocolset.clsColSet")
                                                    : QStringLiteral("TarvoColumnSet.clsColSet"));
    if (!s.oColSet) {
        ShowInfo(res("Tarvo.AA.ARCHIVE.COMMON.loadcolsetclientfail"));
        return false;
    }
    s.oColSet->Init(dbName, userId);
    return true;
}

void ITarvoArchive::ExpectStart(bool withList,
                                const std::function<void(const ComVar&)>& expect) {
    ArchiveSession& s = ArchiveSession::current();
    s.SrvDB->ExpectStart(m_ComVar->m_ArchiveEnName, {AccountSettingsSql()});
    if (expect)
        expect(*m_ComVar);
    if (!withList)
        return;
    s.oColSet->ExpectColMode(m_ComVar->m_ColSetArchiveEnName);
    s.oPub->ExpectFrmLoadInit(s.oLogin, s.SrvDB);
}

void ITarvoArchive::EndSession() {
    ArchiveSession& s = ArchiveSession::current();
    if (m_bOwnSession) {
        // A Show of the earlier build gives back only a lock it got.
        const bool locked = !kEarlierBuild || (m_saved && m_saved->locked);
        skipErrors([&] {
            if (locked && s.oPub && m_ComVar)
                s.oPub->IsLockFun(s.SrvDB, s.oLogin, m_ComVar->m_ArchiveEnName, -1);
        });
        s.oColSet.reset();
        s.oPub.reset();
        s.oRowAuth.reset();
        s.oLogin.reset();
        s.SrvDB.reset();
        s.ListWindow.reset();
        m_bOwnSession = false;
    }
    if (m_saved) {
        // A Show made while another list of this thread is open leaves that list its session.
        s = m_saved->session;
        m_saved.reset();
    }
    m_ComVar.reset();
}

void ITarvoArchive::Show(LoginPtr oLogin, const QString& ArchiveName, const QString& SysId) {
    if (!StartSession(oLogin, ArchiveName, SysId))
        return;
    // Keep our window alive through the modal show even if another start-up in this thread
    // replaces the session's list window meanwhile.
    const std::shared_ptr<FrmMain> window = sessionList();
    window->showModal();
    EndSession();
}

bool ITarvoArchive::RunWithoutWindow(LoginPtr oLogin, const QString& ArchiveName,
                                     const QString& SysId,
                                     const std::function<bool(ComVar&)>& job, bool onlyReads,
                                     const std::function<void(const ComVar&)>& expect) {
    if (!StartSession(oLogin, ArchiveName, SysId, false, !onlyReads, expect))
        return false;
    bool done = false;
    reportErrors([&] { done = job(*m_ComVar); });
    EndSession();
    return done;
}

#ifndef TARVOARCHIVE_EARLIER_BUILD
QString ITarvoArchive::menuArchive(const QString& cMenuId) {
    if (cMenuId == u"AA53")
        return QStringLiteral("AA_Bank");
    if (cMenuId == u"AA54")
        return QStringLiteral("Bank");
    return {};
}

void ITarvoArchive::ShowModeless(const QString& cMenuId, const QString&, const QString&,
                                 const QString&) {
    const QString archive = menuArchive(cMenuId);
    if (archive.isEmpty()) {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                        cMenuId + QStringLiteral(" is error!"), QMessageBox::Ok);
        box.exec();
        return;
    }
    if (!m_Business)
        throw ArchiveError(
            QCoreApplication::translate("tarvo::Messages", "对象变量未设置：门户没有提供业务对象"));
    LoginPtr login = m_Business->GetVBclsLogin();
    if (!StartSession(login, archive, QString()))
        return;
    ArchiveSession& s = ArchiveSession::current();
    const std::shared_ptr<FrmMain> window = sessionList();
    QWidget* hosted = window.get();
    m_Business->ShowForm(hosted, QStringLiteral("AA"), QStringLiteral("FrmMain_key"), true, false);
    if (hosted != window.get())
        s.ListWindow.reset();
    EndSession();
}

bool ITarvoArchive::Login(LoginPtr) {
    return true;
}

bool ITarvoArchive::LogOff() {
    return true;
}

bool ITarvoArchive::ILoginable_Login() {
    return true;
}

bool ITarvoArchive::ILoginable_LogOff() {
    return true;
}

qint32 ITarvoArchive::ILoginable_CallFunction(const QString& cMenuId, const QString& cMenuName,
                                              const QString& cAuthId, const QString& cCmdLine) {
    ShowModeless(cMenuId, cMenuName, cAuthId, cCmdLine);
    return 0;
}

#endif

} // namespace tarvo
