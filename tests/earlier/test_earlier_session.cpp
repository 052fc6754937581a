// The public class of the earlier build: Show alone, and a session that each Show sets up
// and gives back whole.
#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "ComponentApp.h"
#include "ComponentHarness.h"
#include "FrmMain.h"
#include "ITarvoArchive.h"
#include "TypeLibrary.h"

#include <QMetaObject>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

bool show(ComponentHarness& h, const QString& archive, ComVar* seen = nullptr) {
    bool shown = false;
    auto watch = whenListWindowShown([&](FrmMain& w) {
        shown = true;
        if (seen)
            *seen = *w.comVar();
    });
    ITarvoArchive component;
    component.Show(h.login, archive, QString());
    return shown;
}

} // namespace

TEST(EarlierBuild, ThePublicClassOffersShowAloneAndNoPortalRoad) {
    const QMetaObject& meta = ITarvoArchive::staticMetaObject;
    EXPECT_GE(meta.indexOfMethod("Show(tarvo::LoginPtr,QString,QString)"), 0);
    for (const char* member :
         {"ShowModeless(QString,QString,QString,QString)", "Login(tarvo::LoginPtr)", "LogOff()",
          "ILoginable_Login()", "ILoginable_LogOff()",
          "ILoginable_CallFunction(QString,QString,QString,QString)"})
        EXPECT_EQ(meta.indexOfMethod(member), -1) << member;
    EXPECT_EQ(meta.indexOfProperty("Business"), -1);
    ITarvoArchive component;
    EXPECT_FALSE(QMetaObject::invokeMethod(&component, "ShowModeless", Q_ARG(QString, "AA53"),
                                           Q_ARG(QString, ""), Q_ARG(QString, ""),
                                           Q_ARG(QString, "")));

    EXPECT_EQ(ITarvoArchive::memberName(DISPID_Show), "Show");
    for (unsigned id : {DISPID_Business, DISPID_ShowModeless, DISPID_Login, DISPID_LogOff})
        EXPECT_TRUE(ITarvoArchive::memberName(id).isEmpty()) << id;
    EXPECT_TRUE(
        ITarvoArchive::answersInterface(QUuid::fromString(QLatin1String(kEarlierInterfaceId))));
    EXPECT_FALSE(ITarvoArchive::answersInterface(QUuid::fromString(QLatin1String(kInterfaceId))));
    EXPECT_EQ(ComponentApp()->property("version").toString(), "1.0");
}

TEST(EarlierBuild, ThePersonArchiveHasItsTreeAndTheBankArchivesNone) {
    ComponentHarness h;
    ComVar person;
    ASSERT_TRUE(show(h, "Person", &person));
    EXPECT_EQ(person.m_ArchiveEnName, "person");
    EXPECT_TRUE(h.sql.contains("select cDepCode,cDepName from Department order by cDepcode asc"));
    const QStringList people = h.sql.filter("from person", Qt::CaseInsensitive);
    ASSERT_FALSE(people.isEmpty());
    EXPECT_TRUE(
        people.last().contains(" LEFT JOIN Department ON Person.cDepCode = Department.cDepCode "));

    for (const char* archive : {"aa_bank", "bank"}) {
        bool treeShown = true;
        auto watch = whenListWindowShown([&](FrmMain& w) {
            treeShown = w.findChild<QWidget*>("Trv")->isVisible() ||
                        w.findChild<QWidget*>("PicSeparate")->isVisible();
            EXPECT_TRUE(w.findChild<QAction*>("Tlb_Add")->isVisible()) << archive;
        });
        ITarvoArchive component;
        component.Show(h.login, QString::fromLatin1(archive), QString());
        EXPECT_FALSE(treeShown) << archive;
    }
}

TEST(EarlierBuild, EveryShowSetsUpItsObjectsAndLockAndGivesThemBack) {
    ComponentHarness h;
    // Only the earlier column-set ProgID is there: the build must ask for that one.
    h.unregister("TarvoColumnSet.clsColSet");
    ArchiveSession& s = ArchiveSession::current();
    s.oPub = createObject<IPub>("TarvoPub.IPub");
    const PubPtr existing = s.oPub;
    h.events.clear();
    ASSERT_TRUE(show(h, "aa_bank"));
    EXPECT_EQ(h.events.mid(0, 6),
              QStringList({"create SrvDB", "SrvDB.Init", "create RowAuth", "RowAuth.Init demo",
                           "create ColSet", "ColSet.Init demo"}))
        << "created although the thread had its public services";
    EXPECT_TRUE(h.events.contains("release SrvDB"));
    EXPECT_EQ(h.pubCalls().filter("IsLockFun("),
              QStringList({"IsLockFun(db,demo,aa_bank,1)", "IsLockFun(db,demo,aa_bank,-1)"}));
    EXPECT_EQ(s.oPub, existing) << "what the thread had before is put back";
    EXPECT_EQ(s.SrvDB, nullptr);
    s = ArchiveSession();
}

TEST(EarlierBuild, ARefusedLockShowsNothingAndReleasesNoLockItNeverGot) {
    ComponentHarness h;
    h.configurePub = [](RecordingPub& p) { p.refusedLockModes = {1}; };
    EXPECT_FALSE(show(h, "person"));
    EXPECT_TRUE(h.pubCalls().filter("MsgBox(").isEmpty());
    EXPECT_EQ(h.pubCalls().filter("IsLockFun("), QStringList({"IsLockFun(db,demo,person,1)"}));
    EXPECT_EQ(ArchiveSession::current().oPub, nullptr);
    EXPECT_TRUE(h.events.contains("release SrvDB"));
}

TEST(EarlierBuild, AShowInsideAnOpenListLeavesThatListItsSession) {
    ComponentHarness h;
    bool innerShown = false;
    PubPtr outerPub;
    ClsCommonPtr outerDb;
    auto outer = whenListWindowShown([&](FrmMain&) {
        ArchiveSession& s = ArchiveSession::current();
        outerPub = s.oPub;
        outerDb = s.SrvDB;
        auto inner = whenListWindowShown([&](FrmMain&) { innerShown = true; });
        ITarvoArchive second;
        second.Show(h.login, "bank", QString());
        EXPECT_EQ(s.oPub, outerPub);
        EXPECT_EQ(s.SrvDB, outerDb);
        EXPECT_NE(s.oColSet, nullptr);
    });
    ITarvoArchive first;
    first.Show(h.login, "person", QString());
    EXPECT_TRUE(innerShown);
    EXPECT_EQ(h.events.filter("create SrvDB").size(), 2) << "each Show has its own";
    EXPECT_EQ(ArchiveSession::current().oPub, nullptr);
}
