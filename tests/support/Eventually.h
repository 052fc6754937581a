#pragma once

#include <QTest>
#include <gtest/gtest.h>

/// Turns the event loop until cond holds (for up to five seconds, or ms); a test failure when
/// it never does. Qt's QTRY_ macros report to QTest's own log, which a gtest binary never
/// reads: there a condition that never comes ends the test early, as passed.
#define EXPECT_EVENTUALLY(cond) EXPECT_TRUE(QTest::qWaitFor([&] { return bool(cond); })) << #cond
#define EXPECT_EVENTUALLY_WITHIN(cond, ms)                                                        \
    EXPECT_TRUE(QTest::qWaitFor([&] { return bool(cond); }, ms)) << #cond
