#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "ComponentHarness.h"
#include "FrmMain.h"
#include "ITarvoArchive.h"
#include "Login.h"
#include "PortalBusiness.h"
#include "TypeLibrary.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

struct Shown {
    bool shown = false;
    ComVar comVar;
    QString sysId;
};

/// Shows an archive through the classic road and reports what the list window was given.
Shown showArchive(ComponentHarness& h, const QString& name, const QString& sysId) {
    auto shown = std::make_shared<Shown>();
    auto watch = whenListWindowShown([shown](FrmMain& w) {
        shown->shown = true;
        shown->comVar = *w.comVar();
        shown->sysId = ArchiveSession::current().sSysId;
    });
    ITarvoArchive archive;
    archive.Show(h.login, name, sysId);
    return *shown;
}

} // namespace

TEST(Session, ArchiveNameAndSystemIdAreComparedAfterChangingCase) {
    ComponentHarness h;
    const Shown bank = showArchive(h, "AA_BANK", "");
    ASSERT_TRUE(bank.shown);
    EXPECT_EQ(bank.comVar.m_ArchiveEnName, "aa_bank");
    EXPECT_EQ(bank.comVar.m_ColSetArchiveEnName, "aa_bank");
    EXPECT_EQ(bank.comVar.m_KeyFldName, "cBankCode");
    EXPECT_EQ(bank.comVar.m_ArchiveChName, "res:Tarvo.AA.ARCHIVE.aa_bankarch");
    EXPECT_EQ(bank.comVar.m_ArchiveChName_Const, "银行档案");

    const Shown nb = showArchive(h, "Bank", "nb");
    ASSERT_TRUE(nb.shown);
    EXPECT_EQ(nb.comVar.m_ColSetArchiveEnName, "Bank_NB");
    EXPECT_EQ(nb.comVar.m_ArchiveChName, "res:Tarvo.AA.ARCHIVE.bankaccarch");
    EXPECT_EQ(nb.comVar.m_ArchiveChName_Const, "银行账号");
    EXPECT_EQ(nb.sysId, "NB");

    const Shown plain = showArchive(h, "bank", "");
    EXPECT_EQ(plain.comVar.m_ColSetArchiveEnName, "bank");
    EXPECT_EQ(plain.comVar.m_ArchiveChName_Const, "本单位开户银行");
    EXPECT_EQ(plain.comVar.m_KeyFldName, "cBCode");
}

TEST(Session, AnArchiveNotServedIsRefusedWithItsMessageAndNoWindow) {
    ComponentHarness h;
    const Shown person = showArchive(h, "person", "");
    EXPECT_FALSE(person.shown);
    const QStringList boxes = h.pubCalls().filter("MsgBox(");
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0],
              "MsgBox(不提供ArchiveName服务！,64,res:Tarvo.AA.ARCHIVE.COMMON.information)");
    EXPECT_FALSE(h.events.contains("create SrvDB"));
    EXPECT_EQ(h.pubCalls().filter("IsLockFun(").join(";"), "IsLockFun(nodb,demo,person,-1)")
        << "a failed start-up still releases the lock it may hold";
    EXPECT_EQ(ArchiveSession::current().oPub, nullptr);
}

TEST(Session, HostObjectsAreCreatedAndReleasedInTheirOrder) {
    ComponentHarness h;
    ASSERT_TRUE(showArchive(h, "aa_bank", "").shown);
    EXPECT_EQ(h.events.mid(0, 7),
              QStringList({"create Pub", "create SrvDB", "SrvDB.Init", "create RowAuth",
                           "RowAuth.Init demo", "create ColSet", "ColSet.Init demo"}));
    const auto at = [&](const char* e) { return h.events.indexOf(QString::fromLatin1(e)); };
    EXPECT_LT(at("release ColSet"), at("release Pub"));
    EXPECT_LT(at("release Pub"), at("release RowAuth"));
    EXPECT_LT(at("release RowAuth"), at("release SrvDB"));
    const QStringList locks = h.pubCalls().filter("IsLockFun(");
    EXPECT_EQ(locks,
              QStringList({"IsLockFun(db,demo,aa_bank,1)", "IsLockFun(db,demo,aa_bank,-1)"}));
    EXPECT_EQ(ArchiveSession::current().SrvDB, nullptr);
    EXPECT_EQ(ArchiveSession::current().ListWindow, nullptr);
}

TEST(Session, ARefusedFunctionLockShowsNothingAndStillReleases) {
    ComponentHarness h;
    h.configurePub = [](RecordingPub& p) { p.refusedLockModes = {1}; };
    const Shown s = showArchive(h, "aa_bank", "");
    EXPECT_FALSE(s.shown);
    EXPECT_TRUE(h.pubCalls().filter("MsgBox(").isEmpty());
    EXPECT_EQ(h.pubCalls().filter("IsLockFun("),
              QStringList({"IsLockFun(db,demo,aa_bank,1)", "IsLockFun(db,demo,aa_bank,-1)"}));
}

TEST(Session, MissingSuiteObjectsStopTheStartWithTheirMessages) {
    const std::pair<const char*, const char*> cases[] = {
        {"TarvoSrvTrans.IClsCommon", "loadsrvdbfail"},
        {"TarvoRowAuthsvr.clsRowAuth", "loadrowauthsvrfail"},
        {"TarvoColumnSet.clsColSet", "loadcolsetclientfail"},
    };
    for (const auto& [progId, key] : cases) {
        ComponentHarness h;
        h.unregister(QString::fromLatin1(progId));
        EXPECT_FALSE(showArchive(h, "bank", "").shown) << progId;
        EXPECT_EQ(h.pubCalls().filter("MsgBox("),
                  QStringList("MsgBox(res:Tarvo.AA.ARCHIVE.COMMON." + QString::fromLatin1(key) +
                              ",64,res:Tarvo.AA.ARCHIVE.COMMON.information)"));
    }
}

TEST(Session, ADeadDatabaseStopsTheStartWithTheConnectMessage) {
    ComponentHarness h;
    auto info = tarvo::suite::LoginInfo{};
    info.dbName = "/proc/no/such/account.db";
    info.userId = "demo";
    ITarvoArchive archive;
    archive.Show(std::make_shared<tarvo::suite::Login>(info), "aa_bank", "");
    EXPECT_EQ(h.pubCalls().filter("MsgBox("),
              QStringList("MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.dbconnectfail,64,"
                          "res:Tarvo.AA.ARCHIVE.COMMON.information)"));
}

TEST(Session, NoLoginObjectIsRefused) {
    ComponentHarness h;
    ITarvoArchive archive;
    archive.Show(nullptr, "aa_bank", "");
    EXPECT_EQ(h.pubCalls().filter("MsgBox("),
              QStringList("MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.nologin,64,"
                          "res:Tarvo.AA.ARCHIVE.COMMON.information)"));
}

TEST(Session, WithoutPublicServicesTheSystemBoxSaysSo) {
    ComponentHarness h;
    h.unregister("TarvoPub.IPub");
    auto box = std::make_shared<CapturedBox>();
    auto boxWatch = captureNextMessageBox(box);
    ITarvoArchive archive;
    archive.Show(h.login, "aa_bank", "");
    ASSERT_TRUE(box->seen);
    EXPECT_EQ(box->title, "Information");
    EXPECT_EQ(box->text, "not find tarvopub.dll");
    EXPECT_FALSE(h.events.contains("create SrvDB"));
}

TEST(Session, ASecondShowInTheSameThreadReusesTheSession) {
    ComponentHarness h;
    QStringList innerEvents;
    QStringList innerLocks;
    bool innerShown = false;
    auto watch = whenListWindowShown([&](FrmMain&) {
        const int before = h.events.size();
        const int locksBefore = h.pub()->callsOf("IsLockFun").size();
        auto watch = whenListWindowShown([&](FrmMain& inner) {
            innerShown = true;
            EXPECT_EQ(inner.comVar()->m_ArchiveEnName, "bank");
        });
        ITarvoArchive second;
        second.Show(h.login, "bank", "NB");
        innerEvents = h.events.mid(before);
        innerLocks = h.pub()->callsOf("IsLockFun").mid(locksBefore);
        EXPECT_NE(ArchiveSession::current().SrvDB, nullptr)
            << "the first session keeps its objects";
        EXPECT_NE(ArchiveSession::current().oPub, nullptr);
    });
    ITarvoArchive first;
    first.Show(h.login, "aa_bank", "");
    EXPECT_TRUE(innerShown);
    EXPECT_TRUE(innerEvents.isEmpty()) << innerEvents.join(", ").toStdString();
    EXPECT_TRUE(innerLocks.isEmpty());
    EXPECT_EQ(ArchiveSession::current().oPub, nullptr) << "the owner's end releases everything";
}

TEST(Session, LoginAndLogOffAnswerTrueAndChangeNothing) {
    ComponentHarness h;
    auto watch = whenListWindowShown([&](FrmMain&) {
        ITarvoArchive other;
        const auto pubBefore = ArchiveSession::current().oPub;
        EXPECT_TRUE(other.Login(h.login));
        EXPECT_TRUE(other.LogOff());
        EXPECT_TRUE(other.ILoginable_Login());
        EXPECT_TRUE(other.ILoginable_LogOff());
        EXPECT_EQ(ArchiveSession::current().oPub, pubBefore);
        EXPECT_NE(ArchiveSession::current().ListWindow, nullptr);
    });
    ITarvoArchive archive;
    archive.Show(h.login, "aa_bank", "");
}

TEST(Session, ThePortalRoadOpensTheOrdinaryBankAccountsAndRefusesOtherMenus) {
    ComponentHarness h;
    auto portal = std::make_shared<tarvo::suite::PortalBusiness>(h.login);
    QString hostedArchive, status;
    portal->onShown = [&](QWidget* portalWindow) {
        auto* list = portalWindow->findChild<FrmMain*>();
        ASSERT_NE(list, nullptr);
        hostedArchive = list->comVar()->m_ColSetArchiveEnName;
        // The list names its archive in its title once loaded; the portal follows it.
        list->setWindowTitle("银行账号");
        status = portalWindow->findChild<QLabel*>("PortalStatus")->text();
        list->close();
    };
    ITarvoArchive archive;
    archive.setBusiness(portal);
    EXPECT_EQ(archive.ILoginable_CallFunction("AA54", "", "", ""), 0);
    EXPECT_EQ(hostedArchive, "bank");
    EXPECT_TRUE(status.contains(h.login->cUserName())) << status.toStdString();
    EXPECT_TRUE(status.contains("档案：银行账号")) << status.toStdString();
    EXPECT_FALSE(status.contains("FrmMain_key")) << "no internal key";
    EXPECT_EQ(h.pubCalls().filter("IsLockFun(").last(), "IsLockFun(db,demo,bank,-1)");

    auto box = std::make_shared<CapturedBox>();
    auto boxWatch = captureNextMessageBox(box);
    EXPECT_EQ(archive.ILoginable_CallFunction("aa53", "", "", ""), 0);
    ASSERT_TRUE(box->seen);
    EXPECT_EQ(box->text, "aa53 is error!");
}

TEST(Session, MembersAreReachableByNameAndByDispatchId) {
    ComponentHarness h;
    ITarvoArchive archive;
    bool result = false;
    ASSERT_TRUE(QMetaObject::invokeMethod(&archive, "LogOff", Q_RETURN_ARG(bool, result)));
    EXPECT_TRUE(result);
    EXPECT_EQ(ITarvoArchive::memberName(DISPID_Show), "Show");
    EXPECT_EQ(ITarvoArchive::memberName(DISPID_ShowModeless), "ShowModeless");
    EXPECT_TRUE(ITarvoArchive::memberName(0x1234).isEmpty());
    EXPECT_TRUE(ITarvoArchive::answersInterface(QUuid::fromString(QLatin1String(kInterfaceId))));
    EXPECT_TRUE(
        ITarvoArchive::answersInterface(QUuid::fromString(QLatin1String(kEarlierInterfaceId))));
    EXPECT_FALSE(ITarvoArchive::answersInterface(QUuid::createUuid()));

    bool shown = false;
    auto watch = whenListWindowShown([&](FrmMain&) { shown = true; });
    ASSERT_TRUE(QMetaObject::invokeMethod(&archive, "Show", Q_ARG(tarvo::LoginPtr, h.login),
                                          Q_ARG(QString, "aa_bank"), Q_ARG(QString, "")));
    EXPECT_TRUE(shown);
    auto created = createObject<ITarvoArchive>(QString::fromLatin1(kProgId));
    EXPECT_NE(created, nullptr);
}
