#include "Platform/TimerQueue.h"

#include <gtest/gtest.h>

using tessaly::TimerQueue;

TEST(TimerQueue, CoalescesUpToTheEarliestDeadline) {
    TimerQueue timers;
    // Alone, a timer fires when due, whatever its tolerance.
    timers.add(1.0, [] {}, 0.5, std::nullopt);
    EXPECT_EQ(timers.coalescedFireTime(), 1.0);
    // A second timer due within the first one's tolerance pulls it along.
    timers.add(1.3, [] {}, 0, std::nullopt);
    EXPECT_EQ(timers.coalescedFireTime(), 1.3);
    // One due past the earliest deadline does not.
    timers.add(1.6, [] {}, 1.0, std::nullopt);
    EXPECT_EQ(timers.coalescedFireTime(), 1.3);
    // A strict timer that is due first wins.
    timers.add(0.9, [] {}, 0, std::nullopt);
    EXPECT_EQ(timers.coalescedFireTime(), 0.9);
}

TEST(TimerQueue, TakeDisarmsOneShotsAndReArmsRepeatersPastNow) {
    TimerQueue timers;
    int calls = 0;
    const auto once = timers.add(1.0, [&] { ++calls; }, 0, std::nullopt);
    const auto every = timers.add(1.0, [&] { ++calls; }, 0, 0.5);

    const auto fire = timers.take(once, 1.0);
    ASSERT_TRUE(fire);
    (*fire->fn)();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(timers.contains(once));
    EXPECT_FALSE(timers.take(once, 1.0));

    // Taken late (the loop was busy), a repeater skips the beats it missed.
    const auto beat = timers.take(every, 2.2);
    ASSERT_TRUE(beat);
    EXPECT_EQ(beat->due, 1.0);
    ASSERT_TRUE(timers.earliest());
    EXPECT_EQ(timers.earliest()->first, 2.5);
    // Taken on time, it re-arms one interval after its due time.
    timers.take(every, 2.5);
    EXPECT_EQ(timers.earliest()->first, 3.0);
}

TEST(TimerQueue, RepeatIntervalHasAFloorAndToleranceIsNeverNegative) {
    TimerQueue timers;
    const auto token = timers.add(0, [] {}, -3, 0.0);
    EXPECT_EQ(timers.coalescedFireTime(), 0.0);
    timers.take(token, 0);
    EXPECT_EQ(timers.earliest()->first, TimerQueue::minimumInterval);
    EXPECT_TRUE(timers.cancel(token));
    EXPECT_FALSE(timers.cancel(token));
    EXPECT_TRUE(timers.empty());
}
