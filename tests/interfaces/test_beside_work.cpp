// Work beside the thread that started it: that thread's events turning meanwhile, what the work
// says arriving there by queued signals, and a stop ending the work whenever it comes.
#include "BesideWork.h"
#include "SessionContext.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace {

using tarvo::BesideWork;
using tarvo::WorkProgress;

struct Ended {
    bool heard = false;
    bool stopped = false;
    QString error;
};

struct Beside : ::testing::Test {
    int argc = 1;
    char name[8] = "tests";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};

    /// Turns this thread's events until the work says it ended, for five seconds at most.
    static Ended waitForEnd(BesideWork& work) {
        Ended end;
        QEventLoop loop;
        QObject::connect(&work, &BesideWork::ended, &loop,
                         [&](bool stopped, const QString& error) {
                             end = {true, stopped, error};
                             loop.quit();
                         });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        return end;
    }
};

/// Steps until asked to stop.
void endless(const WorkProgress& progress) {
    for (qint64 i = 0; progress.goOn(i); ++i)
        QThread::usleep(100);
}

TEST_F(Beside, TheStartersEventsTurnAndItHearsProgressAndTheEndInItsOwnThreadAndSession) {
    tarvo::SessionContext english;
    english.language = QStringLiteral("en-US");
    const tarvo::SessionScope scope(english);
    // The work goes on only once a timer of the starting thread has fired.
    std::atomic<bool> timerFired = false;
    QTimer::singleShot(10, [&] { timerFired = true; });
    QString workLanguage;
    QThread* workThread = nullptr;
    BesideWork work([&](const WorkProgress& progress) {
        workLanguage = tarvo::SessionContext::current().language;
        workThread = QThread::currentThread();
        for (qint64 i = 0; !timerFired; ++i)
            progress.goOn(i);
        for (qint64 i = 0; i < 5; ++i) {
            progress.goOn(1000 + i);
            QThread::msleep(30);
        }
    });
    QList<qint64> heard;
    QObject::connect(&work, &BesideWork::progressed, [&](qint64 done) {
        EXPECT_EQ(QThread::currentThread(), app.thread());
        heard << done;
    });
    const Ended end = waitForEnd(work);
    ASSERT_TRUE(end.heard);
    EXPECT_FALSE(end.stopped);
    EXPECT_TRUE(end.error.isEmpty());
    EXPECT_TRUE(timerFired);
    EXPECT_NE(workThread, app.thread());
    EXPECT_EQ(workLanguage, "en-US");
    ASSERT_FALSE(heard.isEmpty()) << "no progress while the work ran for 150 ms";
    EXPECT_GE(heard.last(), 1000);
    EXPECT_FALSE(work.running());
}

TEST_F(Beside, AStopEndsTheWorkWheneverItComes) {
    // Before the work's first step, and after it has run a while.
    for (const int after : {-1, 0, 5, 40}) {
        SCOPED_TRACE(after);
        BesideWork work(endless);
        if (after < 0)
            work.stop();
        else
            QTimer::singleShot(after, &work, &BesideWork::stop);
        const Ended end = waitForEnd(work);
        EXPECT_TRUE(end.heard);
        EXPECT_TRUE(end.stopped);
    }
}

TEST_F(Beside, WhatTheWorkThrowsIsTheEndsErrorAndAWorkLetGoStopsAndLeavesNoSignal) {
    BesideWork failing([](const WorkProgress&) { throw std::runtime_error("disk full"); });
    const Ended end = waitForEnd(failing);
    EXPECT_TRUE(end.heard);
    EXPECT_FALSE(end.stopped);
    EXPECT_EQ(end.error, "disk full");

    bool heard = false;
    {
        BesideWork work(endless);
        QObject::connect(&work, &BesideWork::ended, [&] { heard = true; });
        work.stopAndWait();
        EXPECT_FALSE(work.running());
        QCoreApplication::sendPostedEvents();
        BesideWork letGo(endless);
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(heard);
}

} // namespace
