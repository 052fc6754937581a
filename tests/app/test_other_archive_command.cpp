// The desktop host's way from one archive's list to the other's: a command in the list's
// "窗口" menu that starts the host again on the other archive, for the same books and operator,
// in the same language.
#include "ComponentHarness.h"
#include "Eventually.h"
#include "FrmMain.h"
#include "HostLanguage.h"
#include "ITarvoArchive.h"
#include "OtherArchiveCommand.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

/// A list window as far as the command sees it: its name and its "窗口" menu.
struct ListWindowStandIn : QWidget {
    ListWindowStandIn() {
        setObjectName("FrmMain");
        auto* bar = new QMenuBar(this);
        window = bar->addMenu("窗口(&W)");
        window->setObjectName("mWindow");
        window->addAction("图标按钮(&I)");
    }
    QMenu* window;
    QAction* command() const { return window->findChild<QAction*>("mOtherArchive"); }
};

struct Started {
    QString program;
    QStringList arguments;
};

} // namespace

TEST(OtherArchiveCommand, EachListOffersTheOtherArchiveInARunOfItsOwn) {
    const QStringList passedOn{"--db", "/books/account.db", "--user", "demo", "--lang", "zh-CN"};
    struct Case {
        const char* shows;
        const char* opens;
        const char* caption;
    };
    for (const Case& c :
         {Case{"aa_bank", "bank", "本单位开户银行(&B)"},
          Case{"AA_Bank", "bank", "本单位开户银行(&B)"}, Case{"bank", "aa_bank", "银行档案(&B)"}}) {
        QList<Started> started;
        OtherArchiveCommand command(c.shows, passedOn, [&](const QString& p, const QStringList& a) {
            started.push_back({p, a});
            return true;
        });
        ListWindowStandIn list;
        list.show();
        // The host's watch finds the list once it shows.
        EXPECT_EVENTUALLY(list.command() != nullptr) << c.shows;
        if (!list.command())
            continue;
        EXPECT_EQ(list.command()->text().toStdString(), c.caption);
        EXPECT_EQ(list.window->actions().size(), 3) << "after the window's own, a separator";
        command.offerIn(list);
        EXPECT_EQ(list.window->actions().size(), 3) << "offered once only";

        list.command()->trigger();
        ASSERT_EQ(started.size(), 1);
        EXPECT_EQ(started[0].program, QCoreApplication::applicationFilePath());
        EXPECT_EQ(started[0].arguments, QStringList({"--archive", c.opens}) + passedOn);
    }
}

TEST(OtherArchiveCommand, TheBankArchivesOwnListWindowOffersTheBankAccounts) {
    ComponentHarness h;
    QStringList started;
    OtherArchiveCommand command("aa_bank", {"--user", "demo"},
                                [&](const QString&, const QStringList& arguments) {
                                    started = arguments;
                                    return true;
                                });
    QString caption;
    auto watch = whenListWindowShown([&](tarvo::FrmMain& list) {
        // The host's watch looks for the list every 100 ms.
        const bool offered =
            QTest::qWaitFor([&] { return list.findChild<QAction*>("mOtherArchive") != nullptr; });
        auto* menu = list.findChild<QMenu*>("mWindow");
        QAction* action = list.findChild<QAction*>("mOtherArchive");
        if (!offered || !menu || !action || !menu->actions().contains(action))
            return;
        caption = action->text();
        action->trigger();
    });
    tarvo::ITarvoArchive archive;
    archive.Show(h.login, "aa_bank", QString());
    EXPECT_EQ(caption.toStdString(), "本单位开户银行(&B)");
    EXPECT_EQ(started, QStringList({"--archive", "bank", "--user", "demo"}));
}

TEST(OtherArchiveCommand, TheCommandSpeaksTheSessionLanguage) {
    useHostLanguage("en-US");
    OtherArchiveCommand toAccounts("aa_bank", {},
                                   [](const QString&, const QStringList&) { return true; });
    OtherArchiveCommand toBanks("bank", {},
                                [](const QString&, const QStringList&) { return true; });
    ListWindowStandIn banks;
    ListWindowStandIn accounts;
    toAccounts.offerIn(banks);
    toBanks.offerIn(accounts);
    ASSERT_TRUE(banks.command() && accounts.command());
    EXPECT_EQ(banks.command()->text().toStdString(), "Company &Bank Accounts");
    EXPECT_EQ(accounts.command()->text().toStdString(), "&Bank Archive");
}
