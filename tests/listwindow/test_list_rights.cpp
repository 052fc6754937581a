#include "ClassRegistry.h"
#include "FrmBranchImport.h"
#include "ListWindowFixture.h"
#include "Login.h"
#include "PrintControl.h"
#include "RoleLogins.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>

using namespace tarvo;

namespace {

/// The list of one of the test's login roles, logged in as the operator tied to it.
struct ListRightsTest : ListWindowTest {
    std::unique_ptr<RoleLogins> roles;
    QTemporaryDir dir;

    ListRightsTest() {
        h.configurePub = [](RecordingPub& p) { p.realPrinting = true; };
    }

    void SetUp() override {
        if (!h.db.onServer())
            GTEST_SKIP() << "login roles and rights are a server's";
        roles = std::make_unique<RoleLogins>(h.db.name());
    }
    ~ListRightsTest() override { suite::setUnattendedExportPath({}); }

    void logInAs(RoleLogins::Group g) {
        QString error;
        h.login = suite::Login::logIn(roles->url(g), RoleLogins::operatorOf(g), error);
        ASSERT_TRUE(h.login) << error.toStdString();
    }

    /// Whether the command is offered, by its menu item and its toolbar button, and the reason
    /// given on them when not.
    static std::pair<bool, QString> offered(FrmMain& w, const char* menuItem, const char* key) {
        QAction* item = w.findChild<QAction*>(QString::fromLatin1(menuItem));
        QAction* button = nullptr;
        for (QAction* a : w.findChild<QToolBar*>("Tlb")->actions())
            if (a->property("key").toString() == QLatin1String(key))
                button = a;
        EXPECT_TRUE(item && button) << key;
        if (!item || !button)
            return {false, {}};
        EXPECT_EQ(item->isEnabled(), button->isEnabled()) << key;
        return {item->isEnabled(), item->isEnabled() ? QString() : item->statusTip()};
    }
};

} // namespace

TEST_F(ListRightsTest, AReaderListsAndExportsWithEveryEditCommandDisabledAndSaidWhy) {
    logInAs(RoleLogins::Reader);
    const QString file = dir.filePath("banks.csv");
    suite::setUnattendedExportPath(file);
    withList("aa_bank", "", [&](FrmMain& w) {
        EXPECT_GT(w.grid()->Rows(), 1);
        for (const auto& [item, key] : {std::pair{"mAdd", "Add"}, std::pair{"mModify", "Modify"},
                                        std::pair{"mDelete", "Delete"},
                                        std::pair{"mImport", "Import"}}) {
            const auto [enabled, reason] = offered(w, item, key);
            EXPECT_FALSE(enabled) << key;
            EXPECT_TRUE(reason.contains(roles->role(RoleLogins::Reader))) << reason.toStdString();
        }
        EXPECT_TRUE(w.findChild<suite::StatusBar*>()->PanelText(4).contains("只读"));
        // The keys are refused with the reason, before any lock or card.
        const int m = mark();
        w.DoCommand("Add");
        const QStringList calls = callsSince(m);
        EXPECT_TRUE(calls.filter("IsLockFun").isEmpty()) << calls.join("\n").toStdString();
        ASSERT_EQ(calls.filter("MsgBox(").size(), 1) << calls.join("\n").toStdString();
        EXPECT_TRUE(calls.filter("MsgBox(").first().contains("添加"));
        suite::lastExportOutcome() = {};
        const int exported = mark();
        runCommand(w, "savefile");
        EXPECT_EQ(suite::lastExportOutcome().path, file)
            << suite::lastExportOutcome().error.toStdString() << "\n"
            << callsSince(exported).join("\n").toStdString();
        EXPECT_EQ(h.scalar("SELECT COUNT(*) FROM tarvo_lock").toInt(), 0);
    });
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(f.readAll()).contains(QStringLiteral("中国工商银行")));
}

TEST_F(ListRightsTest, AClerkAddsAndModifiesAccountsButMayNotDeleteThem) {
    logInAs(RoleLogins::Clerk);
    withList("bank", "", [&](FrmMain& w) {
        EXPECT_TRUE(offered(w, "mAdd", "Add").first);
        EXPECT_TRUE(offered(w, "mModify", "Modify").first);
        EXPECT_TRUE(offered(w, "mImport", "Import").first);
        const auto [deletes, reason] = offered(w, "mDelete", "Delete");
        EXPECT_FALSE(deletes);
        EXPECT_TRUE(reason.contains("删除")) << reason.toStdString();
        EXPECT_TRUE(w.findChild<suite::StatusBar*>()->PanelText(4).isEmpty());

        // The branch directory names the banks of the bank archive: the clerk may look at a
        // file's preview, not store it.
        const QString file = dir.filePath("branches.csv");
        QFile csv(file);
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write(QStringLiteral("行号,行名\r\n102100000001,示例银行甲虚构支行\r\n").toUtf8());
        csv.close();
        EXPECT_TRUE(whenShown<FrmBranchImport>(
            [&](FrmBranchImport& p) {
                auto* store = p.findChild<QPushButton*>("CmdImport");
                EXPECT_FALSE(store->isEnabled());
                EXPECT_TRUE(store->toolTip().contains(roles->role(RoleLogins::Clerk)))
                    << store->toolTip().toStdString();
                const QString counts = p.findChild<QLabel*>("LblCounts")->text();
                EXPECT_TRUE(counts.contains("新增 1") && counts.contains("只能预览"))
                    << counts.toStdString();
            },
            [&] { w.ImportBranchFile(file); }));
        ClsCommonPtr db = ArchiveSession::current().SrvDB;
        EXPECT_FALSE(createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"))
                         ->Present(db));
    });
    // The bank archive is the manager's to keep.
    withList("aa_bank", "", [&](FrmMain& w) {
        EXPECT_FALSE(offered(w, "mAdd", "Add").first);
        EXPECT_FALSE(offered(w, "mDelete", "Delete").first);
    });
}

TEST_F(ListRightsTest, AManagerIsOfferedEveryCommand) {
    logInAs(RoleLogins::Manager);
    withList("aa_bank", "", [&](FrmMain& w) {
        for (const auto& [item, key] : {std::pair{"mAdd", "Add"}, std::pair{"mModify", "Modify"},
                                        std::pair{"mDelete", "Delete"},
                                        std::pair{"mImport", "Import"}})
            EXPECT_TRUE(offered(w, item, key).first) << key;
    });
}
