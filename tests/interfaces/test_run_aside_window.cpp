// A window waiting on work run beside it: its thread sleeps until there is something to do,
// and the window still paints.
#include "RunAside.h"

#include <QAbstractEventDispatcher>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

using namespace std::chrono_literals;

/// Processor time of this thread, in ms.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

class CountingWindow : public QWidget {
public:
    std::atomic<int> paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

struct RunAsideBesideAWindow : ::testing::Test {
    CountingWindow window;

    void SetUp() override {
        window.resize(240, 120);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

TEST_F(RunAsideBesideAWindow, TheWindowThreadSleepsWhileTheWorkRuns) {
    // A loop that polls instead of sleeping wakes tens of thousands of times in the wait and
    // takes the processor from the work on a busy machine; one that sleeps wakes a few times.
    int wakeUps = 0;
    const auto counting = QObject::connect(QAbstractEventDispatcher::instance(),
                                           &QAbstractEventDispatcher::awake, [&] { ++wakeUps; });
    const double before = threadCpuMs();
    tarvo::runAside([] { std::this_thread::sleep_for(300ms); });
    const double spent = threadCpuMs() - before;
    QObject::disconnect(counting);
    EXPECT_LT(wakeUps, 50);
    EXPECT_LT(spent, 60.0);
}

TEST_F(RunAsideBesideAWindow, TheWindowPaintsWhileTheWorkRuns) {
    const int before = window.paints;
    bool painted = false;
    tarvo::runAside([&] {
        QMetaObject::invokeMethod(&window, [this] { window.update(); }, Qt::QueuedConnection);
        for (auto waited = 0ms; waited < 5s && !painted; waited += 5ms) {
            std::this_thread::sleep_for(5ms);
            painted = window.paints > before;
        }
    });
    EXPECT_TRUE(painted);
}

} // namespace
