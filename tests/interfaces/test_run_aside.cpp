// Work run beside the calling thread: the caller's events turning meanwhile, and what the work
// throws reaching the caller.
#include "RunAside.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;

/// Waits until the flag is set, for a few seconds at most.
bool waitFor(const std::atomic<bool>& flag) {
    for (auto waited = 0ms; waited < 5s; waited += 1ms) {
        if (flag)
            return true;
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

struct RunAside : ::testing::Test {
    int argc = 1;
    char name[8] = "tests";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
};

TEST_F(RunAside, TheCallersEventsTurnWhileTheWorkRunsAndWhatItThrowsReachesTheCaller) {
    // The work waits for what only a timer of the caller can give.
    std::atomic<bool> timerFired = false;
    QTimer::singleShot(10, [&] { timerFired = true; });
    bool workSaw = false;
    tarvo::runAside([&] { workSaw = waitFor(timerFired); });
    EXPECT_TRUE(workSaw);

    bool ended = false;
    EXPECT_THROW(tarvo::runAside([&] {
                     std::this_thread::sleep_for(20ms);
                     ended = true;
                     throw std::runtime_error("the server is gone");
                 }),
                 std::runtime_error);
    EXPECT_TRUE(ended);
}

TEST(RunAsideWithoutAnApplication, TheWorkRunsAndTheCallerOnlyWaits) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    std::atomic<bool> ran = false;
    tarvo::runAside([&] {
        std::this_thread::sleep_for(20ms);
        ran = true;
    });
    EXPECT_TRUE(ran);
    EXPECT_THROW(tarvo::runAside([] { throw std::runtime_error("no such file"); }),
                 std::runtime_error);
}

} // namespace
