// The session a thread runs in, taken along by work handed to another thread: the work sees the
// session it was started in, and the thread that ran it gets its own back, however the work ends.
#include "RunAside.h"
#include "SessionContext.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace {

using tarvo::carryingSession;
using tarvo::SessionContext;
using tarvo::SessionScope;

SessionContext englishClerk() {
    return {QStringLiteral("clerk07"), QStringLiteral("en-US"), true,
            QStringLiteral("/tmp/accounts.pdf")};
}

void expectSame(const SessionContext& got, const SessionContext& want) {
    EXPECT_EQ(got.user, want.user);
    EXPECT_EQ(got.language, want.language);
    EXPECT_EQ(got.unattended, want.unattended);
    EXPECT_EQ(got.exportPath, want.exportPath);
}

/// Runs body on a thread of its own, one nobody gave a session.
template <typename Body> void onAFreshThread(Body body) {
    std::thread(body).join();
}

} // namespace

TEST(SessionContext, WorkOnAnotherThreadRunsInTheSessionItWasStartedIn) {
    SessionContext fresh;
    onAFreshThread([&] { fresh = SessionContext::current(); });
    // What a thread reads of a session it was never given.
    EXPECT_TRUE(fresh.user.isEmpty());
    EXPECT_EQ(fresh.language, "zh-CN");

    const SessionScope clerk(englishClerk());
    auto work = carryingSession([] { return SessionContext::current(); });
    SessionContext seen;
    onAFreshThread([&] { seen = work(); });
    expectSame(seen, englishClerk());
}

TEST(SessionContext, TheThreadThatRanTheWorkGetsItsOwnSessionBackEvenWhenTheWorkThrows) {
    const SessionContext own{QStringLiteral("night-job"), QStringLiteral("zh-CN"), false, {}};
    const SessionScope clerk(englishClerk());
    auto changes = carryingSession([] { SessionContext::current().user = "other"; });
    auto fails = carryingSession([] {
        const bool inClerksSession = SessionContext::current().user == u"clerk07";
        throw std::runtime_error(inClerksSession ? "disk full" : "wrong session");
    });
    SessionContext afterChange;
    SessionContext afterFailure;
    QString failure;
    onAFreshThread([&] {
        SessionContext::current() = own;
        changes();
        afterChange = SessionContext::current();
        try {
            fails();
        } catch (const std::runtime_error& e) {
            failure = QString::fromLatin1(e.what());
        }
        afterFailure = SessionContext::current();
    });
    expectSame(afterChange, own);
    EXPECT_EQ(failure, "disk full");
    expectSame(afterFailure, own);
    // What the work changed in its session stayed with the work.
    expectSame(SessionContext::current(), englishClerk());
}

TEST(SessionContext, WorkRunAsideRunsInTheCallersSessionAndLeavesItAsItWas) {
    int argc = 1;
    char name[8] = "tests";
    char* argv[1] = {name};
    const QCoreApplication app(argc, argv);
    const SessionScope clerk(englishClerk());
    SessionContext seen;
    tarvo::runAside([&] {
        seen = SessionContext::current();
        SessionContext::current().language = QStringLiteral("zh-CN");
    });
    expectSame(seen, englishClerk());
    expectSame(SessionContext::current(), englishClerk());
}
