#include "CardSteps.h"
#include "CuttingProxy.h"
#include "Eventually.h"
#include "TestServers.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace tarvo;

namespace {

/// Puts the test's databases on a server of its own, reached through a relay that can break
/// a commit, and gives the shared server back afterwards. Made before the harness's database.
struct OwnServer {
    const QByteArray shared = qgetenv("TARVO_TEST_PG");
    std::unique_ptr<TestServers> servers = TestServers::whenOnAServer();
    std::unique_ptr<CuttingProxy> proxy;

    OwnServer() {
        if (!servers || !servers->started())
            return;
        proxy = std::make_unique<CuttingProxy>(servers->primaryPort());
        qputenv("TARVO_TEST_PG",
                QStringLiteral("postgresql://tarvo@127.0.0.1:%1/postgres").arg(proxy->port()).toUtf8());
    }
    ~OwnServer() { qputenv("TARVO_TEST_PG", shared); }
};

struct CardOnAServer : OwnServer, ListWindowTest {
    void SetUp() override {
        if (!servers)
            GTEST_SKIP() << TestServers::kNoServerToLose;
        ASSERT_TRUE(servers->started());
        ASSERT_TRUE(proxy->port() > 0);
    }

    QString storedName(const char* code) {
        return h.scalar("select cBankName from aa_bank where cBankCode=?", {code}).toString();
    }
    long long audits(const char* code) {
        return h.scalar("select count(*) from tarvo_audit where cKeyValue=?", {code}).toLongLong();
    }
};

} // namespace

TEST_F(CardOnAServer, ASaveAfterTheServerRestartedUnderTheOpenCardIsStored) {
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('973', '旧名')");
    withList("aa_bank", "", [&](FrmMain& w) {
        auto card = typedCard(w, "973", "重启后的名字");
        ASSERT_TRUE(servers->act("restart", "primary"));
        EXPECT_TRUE(run(*card, "savers")) << callsSince(0).filter("MsgBox(").join('\n').toStdString();
        EXPECT_EQ(storedName("973"), "重启后的名字");
        EXPECT_EQ(audits("973"), 1);

        auto next = typedCard(w, "973", "再改一次");
        EXPECT_TRUE(run(*next, "savers"));
        EXPECT_EQ(storedName("973"), "再改一次");
    });
}

TEST_F(CardOnAServer, ASaveWhoseCommitNeverArrivedSaysSoAndKeepsTheInput) {
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('974', '旧名')");
    withList("aa_bank", "", [&](FrmMain& w) {
        auto card = typedCard(w, "974", "新名");
        proxy->cutNextCommit(CuttingProxy::Cut::BeforeCommitSent);
        const int m = mark();
        EXPECT_FALSE(run(*card, "savers"));
        ASSERT_TRUE(proxy->cutDone());
        EXPECT_TRUE(callsSince(m).filter("MsgBox(").value(0).contains("没有保存"))
            << callsSince(m).join('\n').toStdString();
        EXPECT_EQ(storedName("974"), "旧名");
        EXPECT_EQ(edit(*card, "EdtcBankName")->text(), "新名");
        EXPECT_EQ(card->status(), 2);

        EXPECT_TRUE(run(*card, "savers")) << "saved again once the clerk asks";
        EXPECT_EQ(storedName("974"), "新名");
        EXPECT_EQ(audits("974"), 1);
    });
}

TEST_F(CardOnAServer, ACardWaitingForTheAnswerToItsCommitSaysSoAndRepaints) {
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('975', '旧名')");
    withList("aa_bank", "", [&](FrmMain& w) {
        auto card = typedCard(w, "975", "新名");
        card->show();
        auto* status = card->findChild<QLabel*>("StatusLine");
        // Counts the status line's paints, asked for at every turn of the window's events.
        struct PaintCount : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                paints += e->type() == QEvent::Paint;
                return false;
            }
        } painted;
        status->installEventFilter(&painted);
        QStringList shown;
        QTimer turn;
        QObject::connect(&turn, &QTimer::timeout, [&] {
            shown << status->text();
            status->update();
        });
        turn.start(0);
        proxy->cutNextCommit(CuttingProxy::Cut::AfterCommitSent);
        EXPECT_TRUE(run(*card, "savers"));
        turn.stop();
        ASSERT_TRUE(proxy->cutDone());
        EXPECT_TRUE(shown.contains("正在保存…")) << shown.join('|').toStdString();
        EXPECT_GT(painted.paints, 0);
        EXPECT_EQ(storedName("975"), "新名");
        EXPECT_TRUE(status->text().startsWith("已保存")) << status->text().toStdString();
    });
}

TEST_F(CardOnAServer, ACardOpenedWhileTheServerIsGoneSaysSoAndClosesWithNothingStored) {
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('976', '旧名')");
    withList("aa_bank", "", [&](FrmMain& w) {
        w.grid()->setRow(rowOf(w, "976"));
        ASSERT_TRUE(servers->act("stop", "primary"));
        const int m = mark();
        // Returns once the card has closed itself: it has nothing to show.
        w.DoCommand("Modify");
        const QStringList calls = callsSince(m);
        EXPECT_TRUE(calls.filter("MsgBox(").value(0).contains("没能读取这条记录"))
            << calls.join('\n').toStdString();
        // Given back once the list has tried to read its rows again.
        EXPECT_EVENTUALLY_WITHIN(callsSince(m).filter("IsLockFun(db,demo,aa_bank,-2)").size() == 1,
                                 30000);
        for (QWidget* top : QApplication::topLevelWidgets())
            EXPECT_FALSE(qobject_cast<FrmZAM*>(top) && top->isVisible());
        ASSERT_TRUE(servers->act("restart", "primary"));
        EXPECT_EQ(storedName("976"), "旧名");
        EXPECT_EQ(audits("976"), 0);
    });
}

TEST_F(CardOnAServer, ANextTheServerCouldNotAnswerLeavesTheCardOnTheRecordItShows) {
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('977', '甲行'), ('978', '乙行')");
    withList("aa_bank", "", [&](FrmMain& w) {
        const int row = rowOf(w, "977");
        ASSERT_EQ(w.grid()->TextMatrix(row + 1, w.m_KeyCol), "978");
        auto card = openedCard(w, row);
        EXPECT_EVENTUALLY(!card->reading());
        auto* code = edit(*card, "EdtcBankCode");
        ASSERT_EQ(code->text(), "977");

        ASSERT_TRUE(servers->act("stop", "primary"));
        const int m = mark();
        QTest::keyClick(code, Qt::Key_PageDown);
        EXPECT_EVENTUALLY_WITHIN(!card->reading(), 60000);
        EXPECT_TRUE(callsSince(m).filter("MsgBox(").value(0).contains("没能读取这条记录"))
            << callsSince(m).join('\n').toStdString();
        // The fields still show 977: so do the row, the history and the next step.
        EXPECT_EQ(code->text(), "977");
        EXPECT_EQ(card->rowSel(), row);
        EXPECT_TRUE(enabled(*card, "Next"));

        ASSERT_TRUE(servers->act("restart", "primary"));
        QTest::keyClick(code, Qt::Key_PageDown);
        EXPECT_EVENTUALLY_WITHIN(!card->reading() && code->text() == u"978", 60000);
        EXPECT_EQ(card->rowSel(), row + 1);
    });
}

TEST_F(CardOnAServer, ACardClosedWhileItsNextWaitsForTheServerToComeBackClosesAtOnce) {
    h.exec("insert into aa_bank (cBankCode, cBankName) values ('979', '甲行'), ('980', '乙行')");
    withList("aa_bank", "", [&](FrmMain& w) {
        auto card = openedCard(w, rowOf(w, "979"));
        EXPECT_EVENTUALLY(!card->reading());
        auto* code = edit(*card, "EdtcBankCode");
        ASSERT_TRUE(servers->act("stop", "primary"));
        QTest::keyClick(code, Qt::Key_PageDown);
        ASSERT_TRUE(card->reading());
        // The read tries to reconnect for seconds; the clerk who gives up is not kept waiting.
        QTest::qWait(300);
        QElapsedTimer closing;
        closing.start();
        QTest::keyClick(code, Qt::Key_Escape);
        const qint64 took = closing.elapsed();
        EXPECT_FALSE(card->isVisible());
        EXPECT_FALSE(card->reading());
        EXPECT_LT(took, 2500) << "the close waited for the reconnect to give up";

        ASSERT_TRUE(servers->act("restart", "primary"));
        auto again = openedCard(w, rowOf(w, "980"));
        EXPECT_EVENTUALLY_WITHIN(!again->reading() && edit(*again, "EdtcBankCode")->text() == u"980",
                                 60000);
    });
}
