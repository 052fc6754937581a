// Work run beside the calling thread: pieces side by side, the caller's events turning
// meanwhile, and what a piece throws reaching the caller once every piece has ended.
#include "EventPump.h"

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

TEST_F(RunAside, PiecesRunSideBySideWhileTheCallersEventsTurn) {
    // Each piece waits for what only the other piece, or a timer of the caller, can give.
    std::atomic<bool> timerFired = false, firstStarted = false, secondStarted = false;
    QTimer::singleShot(10, [&] { timerFired = true; });
    bool firstSaw = false, secondSaw = false;
    tarvo::runAside({[&] {
                         firstStarted = true;
                         firstSaw = waitFor(secondStarted) && waitFor(timerFired);
                     },
                     [&] {
                         secondStarted = true;
                         secondSaw = waitFor(firstStarted);
                     }});
    EXPECT_TRUE(firstSaw);
    EXPECT_TRUE(secondSaw);
}

TEST_F(RunAside, WhatAPieceThrowsReachesTheCallerOnceEveryPieceHasEnded) {
    std::atomic<bool> slowEnded = false;
    EXPECT_THROW(tarvo::runAside({[] { throw std::runtime_error("the server is gone"); },
                                  [&] {
                                      std::this_thread::sleep_for(50ms);
                                      slowEnded = true;
                                  }}),
                 std::runtime_error);
    EXPECT_TRUE(slowEnded);
    // A single piece the same way.
    EXPECT_THROW(tarvo::runAside([] { throw std::runtime_error("no such file"); }),
                 std::runtime_error);
}

TEST(RunAsideWithoutAnApplication, ThePiecesRunAndTheCallerOnlyWaits) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    std::atomic<bool> firstStarted = false, secondStarted = false;
    bool secondSaw = false;
    tarvo::runAside({[&] { firstStarted = true; },
                     [&] {
                         secondStarted = true;
                         secondSaw = waitFor(firstStarted);
                     }});
    EXPECT_TRUE(secondStarted);
    EXPECT_TRUE(secondSaw);
    EXPECT_THROW(tarvo::runAside([] { throw std::runtime_error("no such file"); }),
                 std::runtime_error);
}

} // namespace
