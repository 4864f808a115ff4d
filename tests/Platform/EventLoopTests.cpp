#include "Platform/EventLoop.h"

#include "Platform/Clock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

using tessaly::EventLoop;
using tessaly::SystemClock;
using tessaly::Subscription;
using testing::ElementsAre;

// These run the real loop on real time; the delays are a few milliseconds
// and every wait ends on an event, never on a sleep.

TEST(EventLoop, RunsPostedWorkInOrderUntilStopped) {
    EventLoop loop;
    std::vector<int> order;
    for (int i = 0; i < 5; ++i) loop.post([&order, i] { order.push_back(i); });
    loop.post([&] {
        EXPECT_TRUE(loop.isRunning());
        loop.stop();
    });
    loop.post([&] { order.push_back(99); });  // after stop: kept for the next run
    loop.run();
    EXPECT_FALSE(loop.isRunning());
    EXPECT_THAT(order, ElementsAre(0, 1, 2, 3, 4));

    loop.post([&] { loop.stop(); });
    loop.run();
    EXPECT_THAT(order, ElementsAre(0, 1, 2, 3, 4, 99));
}

TEST(EventLoop, StopBeforeRunReturnsAtOnce) {
    EventLoop loop;
    bool ran = false;
    loop.post([&] { ran = true; });
    loop.stop();
    loop.run();
    EXPECT_FALSE(ran);
}

TEST(EventLoop, WorkPostedFromOtherThreadsRunsOnTheLoopThread) {
    EventLoop loop;
    const auto loopThread = std::this_thread::get_id();
    int count = 0;  // touched only on the loop thread
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&] {
            for (int i = 0; i < 100; ++i) {
                loop.post([&] {
                    EXPECT_EQ(std::this_thread::get_id(), loopThread);
                    if (++count == 400) loop.stop();
                });
            }
        });
    }
    loop.run();  // blocks until the 400th item, wherever it came from
    for (auto& thread : posters) thread.join();
    EXPECT_EQ(count, 400);
}

TEST(EventLoop, TimersFireInDueOrderAndNotEarly) {
    EventLoop loop;
    std::vector<std::string> order;
    const double start = SystemClock::shared().monotonic();
    double stoppedAt = 0;
    loop.postAfter(0.004, [&] {
        order.push_back("late");
        stoppedAt = SystemClock::shared().monotonic();
        loop.stop();
    });
    loop.postAfter(0.002, [&] { order.push_back("second"); });
    loop.postAfter(0.001, [&] { order.push_back("first"); });
    loop.run();
    EXPECT_THAT(order, ElementsAre("first", "second", "late"));
    EXPECT_GE(stoppedAt - start, 0.004);
}

TEST(EventLoop, RepeatingTimerCancelsItselfAndCancelledTimersNeverRun) {
    EventLoop loop;
    int beats = 0;
    bool cancelledRan = false;
    loop.schedule(0.001, [&] { cancelledRan = true; }).cancel();
    Subscription timer;
    timer = loop.scheduleRepeating(0.001, [&] {
        if (++beats == 3) {
            timer.cancel();
            loop.post([&] { loop.stop(); });
        }
    });
    loop.run();
    EXPECT_EQ(beats, 3);
    EXPECT_FALSE(cancelledRan);
    EXPECT_EQ(loop.pendingTimerCount(), 0u);
}

TEST(EventLoop, ToleranceLetsATimerWaitForALaterOne) {
    EventLoop loop;
    const double start = SystemClock::shared().monotonic();
    double lenientFiredAt = 0;
    // The lenient timer may run up to a second late, so the loop wakes once,
    // when the strict timer is due, and runs both then.
    loop.postAfter(0.001, [&] { lenientFiredAt = SystemClock::shared().monotonic(); }, 1.0);
    loop.postAfter(0.006, [&] { loop.stop(); });
    loop.run();
    EXPECT_GE(lenientFiredAt - start, 0.006);
}

TEST(EventLoop, TimerArmedFromAnotherThreadWakesAnIdleLoop) {
    EventLoop loop;
    std::promise<void> idle;
    bool fired = false;
    loop.post([&] { idle.set_value(); });
    std::thread other([&] {
        idle.get_future().wait();  // the loop has nothing left and goes to sleep
        loop.postAfter(0.001, [&] {
            fired = true;
            loop.stop();
        });
    });
    loop.run();
    other.join();
    EXPECT_TRUE(fired);
}
