#include "ComponentHarness.h"

#include "AccountDatabase.h"
#include "ClassRegistry.h"
#include "ClsBranchDirectory.h"
#include "ClsColSet.h"
#include "ClsCommon.h"
#include "ClsHistory.h"
#include "ClsRowAuth.h"
#include "ComponentRegistration.h"
#include "FrmMain.h"
#include "Login.h"
#include "PrintControl.h"
#include "TableReader.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tarvo;

namespace {

/// The suite's server transaction object, logging its creation, set-up and release.
class LoggedClsCommon : public suite::ClsCommon {
public:
    LoggedClsCommon(QStringList& log, QStringList& sql, QStringList& backgroundSql)
        : m_log(log), m_sql(sql), m_backgroundSql(backgroundSql) {
        m_log << "create SrvDB";
    }
    ~LoggedClsCommon() override { m_log << "release SrvDB"; }
    void Init(const QString& name) override {
        m_log << "SrvDB.Init";
        ClsCommon::Init(name);
    }
    RecordsetPtr OpenX(QString& sql) override {
        m_sql << sql;
        return ClsCommon::OpenX(sql);
    }
    RecordsetPtr OpenXBound(QString& sql, const QVariantList& params) override {
        m_sql << sql;
        return ClsCommon::OpenXBound(sql, params);
    }
    RowLoadPtr OpenXInBackground(QString& sql, std::function<void()> ended) override {
        m_sql << sql;
        m_backgroundSql << sql;
        return ClsCommon::OpenXInBackground(sql, std::move(ended));
    }

private:
    QStringList& m_log;
    QStringList& m_sql;
    QStringList& m_backgroundSql;
};

class LoggedRowAuth : public suite::ClsRowAuth {
public:
    explicit LoggedRowAuth(QStringList& log) : m_log(log) { m_log << "create RowAuth"; }
    ~LoggedRowAuth() override { m_log << "release RowAuth"; }
    void Init(const QString& db, const QString& user) override {
        m_log << "RowAuth.Init " + user;
        ClsRowAuth::Init(db, user);
    }

private:
    QStringList& m_log;
};

class LoggedColSet : public suite::ClsColSet {
public:
    explicit LoggedColSet(QStringList& log) : m_log(log) { m_log << "create ColSet"; }
    ~LoggedColSet() override { m_log << "release ColSet"; }
    void Init(const QString& db, const QString& user) override {
        m_log << "ColSet.Init " + user;
        ClsColSet::Init(db, user);
    }

private:
    QStringList& m_log;
};

class LoggedLogin : public suite::Login {
public:
    LoggedLogin(suite::LoginInfo info, QStringList& log) : Login(std::move(info)), m_log(log) {}
    ~LoggedLogin() override { m_log << "release Login"; }

private:
    QStringList& m_log;
};

} // namespace

ComponentHarness::ComponentHarness() {
    tarvoArchiveRegisterClasses();
    auto& reg = ClassRegistry::instance();
    reg.registerClass("TarvoPub.IPub", [this]() -> HostObjectPtr {
        auto pub = std::make_shared<RecordingPub>();
        auto record = std::make_shared<PubRecord>();
        record->pub = pub;
        m_pubs.push_back(record);
        events << "create Pub";
        pub->onDestroyed = [this, record](const RecordingPub& gone) {
            record->callsWhenReleased = gone.calls;
            events << "release Pub";
        };
        if (configurePub)
            configurePub(*pub);
        m_pub = pub;
        return pub;
    });
    reg.registerClass("TarvoSrvTrans.IClsCommon", [this] {
        return std::make_shared<LoggedClsCommon>(events, sql, backgroundSql);
    });
    reg.registerClass("TarvoRowAuthsvr.clsRowAuth",
                      [this] { return std::make_shared<LoggedRowAuth>(events); });
    // The earlier build asks for the column-set object by its older ProgID.
    for (const char* progId : {"TarvoColumnSet.clsColSet", "Tarvocolset.clsColSet"})
        reg.registerClass(QString::fromLatin1(progId),
                          [this] { return std::make_shared<LoggedColSet>(events); });
    reg.registerClass("PRINTCONTROLLib.PrintControl",
                      [] { return std::make_shared<suite::PrintControl>(); });
    reg.registerClass("TarvoSrvTrans.IHistory",
                      [] { return std::make_shared<suite::ClsHistory>(); });
    reg.registerClass("TarvoPrint.TableReader",
                      [] { return std::make_shared<suite::TableReader>(); });
    reg.registerClass("TarvoSrvTrans.IBranchDirectory",
                      [] { return std::make_shared<suite::ClsBranchDirectory>(); });
    suite::LoginInfo info;
    info.dbName = db.name();
    info.userId = "demo";
    info.userName = "演示用户";
    info.accId = "001";
    info.year = "2026";
    info.curDate = QDate(2026, 12, 8);
    login = std::make_shared<LoggedLogin>(info, events);
}

ComponentHarness::~ComponentHarness() {
    for (auto* id : {"TarvoPub.IPub", "TarvoSrvTrans.IClsCommon", "TarvoRowAuthsvr.clsRowAuth",
                     "TarvoColumnSet.clsColSet", "Tarvocolset.clsColSet",
                     "PRINTCONTROLLib.PrintControl", "TarvoSrvTrans.IHistory",
                     "TarvoPrint.TableReader", "TarvoSrvTrans.IBranchDirectory"})
        ClassRegistry::instance().unregisterClass(QString::fromLatin1(id));
    // The logged objects write into events: none may outlive it.
    for (auto& r : m_pubs)
        if (auto p = r->pub.lock())
            p->onDestroyed = nullptr;
}

QStringList ComponentHarness::pubCalls() const {
    QStringList all;
    for (const auto& r : m_pubs) {
        const auto p = r->pub.lock();
        all << (p ? p->calls : r->callsWhenReleased);
    }
    return all;
}

void ComponentHarness::unregister(const QString& progId) {
    ClassRegistry::instance().unregisterClass(progId);
}

void ComponentHarness::exec(const QString& statement, const QVariantList& params) {
    suite::AccountDatabase::open(db.name())->sql().exec(statement, params);
}

QVariant ComponentHarness::scalar(const QString& query, const QVariantList& params) {
    const auto r = suite::AccountDatabase::open(db.name())->sql().query(query, params);
    return r.rows.isEmpty() ? QVariant() : r.rows[0].value(0);
}

bool settled(const FrmMain& list) {
    return list.isLoaded() && !list.isReading();
}

void refreshList(FrmMain& list, const QString& condition) {
    // Long enough for the slowest list a test reads; the wait ends with the signal.
    constexpr int kReadWithin = 60000; // ms
    QSignalSpy shown(&list, &FrmMain::rowsShown);
    list.DataRefresh(condition);
    EXPECT_TRUE(!shown.isEmpty() || shown.wait(kReadWithin))
        << "the list never showed the rows of \"" << condition.toStdString() << '"';
}

std::shared_ptr<QObject> whenListWindowShown(std::function<void(FrmMain&)> inspect) {
    // A list open already is not the one to come, even while the next one opens.
    QList<QPointer<FrmMain>> openAlready;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* list = qobject_cast<FrmMain*>(w))
            openAlready << list;
    auto timer = std::make_shared<QTimer>();
    timer->setInterval(20);
    QObject::connect(timer.get(), &QTimer::timeout, [t = timer.get(), inspect, openAlready] {
        // The modal list window on top is the one opened last.
        QWidgetList candidates = QApplication::topLevelWidgets();
        if (auto* top = qobject_cast<FrmMain*>(QApplication::activeModalWidget())) {
            // It reads its rows once shown: the list under it is not the one to take meanwhile.
            if (top->isVisible() && !settled(*top))
                return;
            candidates.prepend(top);
        }
        for (QWidget* w : candidates) {
            auto* list = qobject_cast<FrmMain*>(w);
            if (list && !openAlready.contains(list) && list->isVisible() && settled(*list)) {
                t->stop();
                inspect(*list);
                list->close();
                return;
            }
        }
    });
    timer->start();
    return timer;
}

std::shared_ptr<QObject> captureNextMessageBox(std::shared_ptr<CapturedBox> box) {
    auto timer = std::make_shared<QTimer>();
    timer->setInterval(20);
    QObject::connect(timer.get(), &QTimer::timeout, [t = timer.get(), box] {
        auto* mb = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!mb)
            return;
        t->stop();
        box->title = mb->windowTitle();
        box->text = mb->text();
        box->seen = true;
        mb->done(QMessageBox::Ok);
    });
    timer->start();
    return timer;
}
