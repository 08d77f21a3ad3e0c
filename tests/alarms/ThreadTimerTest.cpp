// The worker thread against the user-interface thread. These tests wait for
// the worker with generous bounds; none depends on how fast the machine is.
#include "alarms/ThreadTimer.h"
#include "platform/Clock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>

namespace {

constexpr int Patience = 5000; // ms: far beyond anything a passing run needs

// A counter the test sets, safe to read from the worker; counts its readings.
class SteppedClock : public Clock {
public:
    QDateTime now() const override { return {}; }
    qint64 elapsedMs() const override
    {
        ++readings;
        return counter;
    }
    std::atomic<qint64> counter{0};
    mutable std::atomic<int> readings{0};
};

// Serves the user-interface thread's events until done() or the patience ends.
bool serveUntil(const std::function<bool()>& done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > Patience)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// Waits without serving the user-interface thread.
bool waitUntil(const std::function<bool()>& done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > Patience)
            return false;
        QThread::msleep(1);
    }
    return true;
}

} // namespace

TEST(ThreadTimerTest, FirstCheckFollowsTheStartAtOnceOnTheUserInterfaceThread)
{
    SteppedClock clock;
    clock.counter = 5; // not yet more than one interval since zero
    int checks = 0;
    QThread* ranOn = nullptr;
    TThreadTimer timer(clock, [&] {
        ++checks;
        ranOn = QThread::currentThread();
    });
    timer.setInterval(1000);
    timer.start();
    ASSERT_TRUE(serveUntil([&] { return checks == 1; }));
    EXPECT_EQ(ranOn, QApplication::instance()->thread());
    EXPECT_EQ(timer.lastTick(), 5);
    timer.stop();
    EXPECT_TRUE(timer.isFinished());
}

TEST(ThreadTimerTest, NextCheckWaitsUntilMoreThanTheIntervalHasPassed)
{
    SteppedClock clock;
    std::atomic<int> checks{0};
    TThreadTimer timer(clock, [&] { ++checks; });
    timer.setInterval(20);
    timer.start();
    ASSERT_TRUE(serveUntil([&] { return checks == 1; }));

    // The counter stands still: however long the worker sleeps, no check is due.
    QApplication::processEvents();
    QThread::msleep(100);
    QApplication::processEvents();
    EXPECT_EQ(checks, 1);

    clock.counter = 20; // exactly the interval: still not due
    QThread::msleep(100);
    QApplication::processEvents();
    EXPECT_EQ(checks, 1);

    clock.counter = 21;
    ASSERT_TRUE(serveUntil([&] { return checks == 2; }));
    EXPECT_EQ(timer.lastTick(), 21);
    timer.stop();
}

TEST(ThreadTimerTest, WorkerSleepsBetweenChecksInsteadOfPolling)
{
    SteppedClock clock;
    std::atomic<int> checks{0};
    TThreadTimer timer(clock, [&] { ++checks; });
    timer.setInterval(1000);
    timer.start();
    ASSERT_TRUE(serveUntil([&] { return checks == 1; }));
    const int before = clock.readings;
    QThread::msleep(300);
    // One reading per wake-up: a worker polling every millisecond would read
    // the counter hundreds of times in 300 ms; a sleeping one not at all.
    EXPECT_LE(clock.readings - before, 2);
    timer.stop();
}

TEST(ThreadTimerTest, StopEndsASleepingWorkerAtOnce)
{
    SteppedClock clock;
    std::atomic<int> checks{0};
    TThreadTimer timer(clock, [&] { ++checks; });
    timer.setInterval(60000);
    timer.start();
    ASSERT_TRUE(serveUntil([&] { return checks == 1; }));

    QElapsedTimer stopping;
    stopping.start();
    timer.stop();
    // The worker was asleep for a minute: only a wake-up ends it this soon.
    EXPECT_LT(stopping.elapsed(), Patience);
    EXPECT_TRUE(timer.isFinished());
}

TEST(ThreadTimerTest, StopWhileACheckIsWaitingForTheUserInterfaceDropsItWithoutDeadlock)
{
    SteppedClock clock;
    std::atomic<int> checks{0};
    TThreadTimer timer(clock, [&] { ++checks; });
    timer.start();
    // The worker has handed a check over and waits; this thread does not serve it.
    ASSERT_TRUE(waitUntil([&] { return timer.handOffs() == 1; }));

    timer.requestStop();
    EXPECT_TRUE(timer.wait(Patience));
    QApplication::processEvents();
    EXPECT_EQ(checks, 0);
}

TEST(ThreadTimerTest, NoCheckRunsAfterTheStopRequest)
{
    SteppedClock clock;
    std::atomic<int> checks{0};
    auto timer = std::make_unique<TThreadTimer>(clock, [&] { ++checks; });
    timer->setInterval(1);
    timer->start();
    ASSERT_TRUE(serveUntil([&] { return checks >= 1; }));
    clock.counter = 1000000; // every turn finds a check due
    timer->requestStop();
    const int atStop = checks;
    QApplication::processEvents();
    QThread::msleep(20);
    QApplication::processEvents();
    EXPECT_EQ(checks, atStop);
    EXPECT_TRUE(timer->isStopRequested());
    timer.reset(); // the destructor waits for the worker
}
