#include "Platform/Clock.h"

#include <gtest/gtest.h>

#include <ctime>

using tessaly::SystemClock;
using tessaly::VirtualClock;

TEST(SystemClock, ReadsTheThreeKernelClocks) {
    SystemClock& clock = SystemClock::shared();
    EXPECT_EQ(&clock, &SystemClock::shared());

    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    EXPECT_NEAR(clock.now(), static_cast<double>(ts.tv_sec), 5.0);
    EXPECT_GT(clock.now(), 1.6e9);  // a date after 2020

    const double m1 = clock.monotonic();
    const double m2 = clock.monotonic();
    EXPECT_GT(m1, 0);
    EXPECT_LE(m1, m2);

    // Boot time counts suspend, so it is never behind the monotonic clock.
    EXPECT_GE(clock.uptime() + 1e-3, clock.monotonic());
    EXPECT_NEAR(clock.bootTime(), clock.now() - clock.uptime(), 1.0);
    EXPECT_LT(clock.bootTime(), clock.now());
}

TEST(VirtualClock, MovesOnlyWhenTold) {
    VirtualClock clock(2'000'000'000.0, 500.0);
    EXPECT_EQ(clock.now(), 2'000'000'000.0);
    EXPECT_EQ(clock.monotonic(), 500.0);
    EXPECT_EQ(clock.uptime(), 500.0);
    EXPECT_EQ(clock.bootTime(), 2'000'000'000.0 - 500.0);

    clock.advance(2.5);
    EXPECT_EQ(clock.now(), 2'000'000'002.5);
    EXPECT_EQ(clock.monotonic(), 502.5);
    EXPECT_EQ(clock.uptime(), 502.5);

    // A user changing the time moves the wall clock and the apparent boot
    // time, never the intervals.
    clock.stepWall(-3600);
    EXPECT_EQ(clock.monotonic(), 502.5);
    EXPECT_EQ(clock.bootTime(), 2'000'000'000.0 - 500.0 - 3600);
}

TEST(VirtualClock, AdvanceToLandsExactlyAndNeverGoesBack) {
    VirtualClock clock(100.0, 10.0);
    clock.advanceTo(10.3);
    EXPECT_EQ(clock.monotonic(), 10.3);
    EXPECT_DOUBLE_EQ(clock.now(), 100.3);
    EXPECT_DOUBLE_EQ(clock.uptime(), 10.3);
    clock.advanceTo(5.0);
    EXPECT_EQ(clock.monotonic(), 10.3);
}
