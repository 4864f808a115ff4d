#include "Platform/EventLoop.h"

#include "Platform/Clock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

using tessaly::EventLoop;
using tessaly::SystemClock;
using testing::ElementsAre;

// What the event loop does beyond the cases every executor shares (see
// tests/Platform/Qt/ExecutorConformanceTests.cpp): stopping and restarting,
// and waking once for timers that tolerate a delay. These run the real loop
// on real time; the delays are a few milliseconds and every wait ends on an
// event, never on a sleep.

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

TEST(EventLoop, ToleranceLetsATimerWaitForALaterOne) {
    EventLoop loop;
    double start = 0;
    double lenientFiredAt = 0;
    // The lenient timer may run up to a second late, so the loop wakes once,
    // when the strict timer is due, and runs both then. (Armed from the
    // running loop, with room to spare: a loaded machine may start it late.)
    loop.post([&] {
        start = SystemClock::shared().monotonic();
        loop.postAfter(0.02, [&] { lenientFiredAt = SystemClock::shared().monotonic(); }, 1.0);
        loop.postAfter(0.1, [&] { loop.stop(); });
    });
    loop.run();
    EXPECT_GE(lenientFiredAt - start, 0.1);
}

