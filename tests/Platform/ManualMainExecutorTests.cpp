// The manual executor's own stepping on its virtual clock; what every
// executor shares is in tests/Platform/Qt/ExecutorConformanceTests.cpp.
#include "Platform/ManualMainExecutor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using tessaly::ManualMainExecutor;
using tessaly::VirtualClock;
using testing::ElementsAre;

namespace {

struct ManualMainExecutorTest : testing::Test {
    VirtualClock clock{1'800'000'000.0, 1000.0};
    ManualMainExecutor executor{clock};
    std::vector<std::string> log;

    auto record(std::string name) {
        return [this, name = std::move(name)] { log.push_back(name); };
    }
    // Records the name with the monotonic reading at which it ran.
    auto stamp(std::string name) {
        return [this, name = std::move(name)] { log.push_back(name + "@" + std::to_string(clock.monotonic())); };
    }
};

}  // namespace

TEST_F(ManualMainExecutorTest, PostedWorkWaitsAndRunsInOrderIncludingWorkPostedWhileRunning) {
    executor.post(record("a"));
    executor.post([this] {
        log.push_back("b");
        executor.post(record("d"));
    });
    executor.post(record("c"));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(executor.pendingPostCount(), 3u);
    EXPECT_EQ(executor.runPending(), 4u);
    EXPECT_THAT(log, ElementsAre("a", "b", "c", "d"));
    EXPECT_EQ(executor.pendingPostCount(), 0u);
    EXPECT_EQ(clock.monotonic(), 1000.0);
}

TEST_F(ManualMainExecutorTest, TimersFireByDueTimeThenSchedulingOrderAtTheirDueTime) {
    executor.postAfter(0.5, stamp("late"));
    executor.postAfter(0.25, stamp("first"));
    executor.postAfter(0.25, stamp("second"));
    executor.postAfter(2.0, stamp("beyond"));
    executor.advance(0.125);
    EXPECT_TRUE(log.empty());
    executor.advance(0.875);
    EXPECT_THAT(log, ElementsAre("first@1000.250000", "second@1000.250000", "late@1000.500000"));
    EXPECT_EQ(clock.monotonic(), 1001.0);
    EXPECT_EQ(executor.pendingTimerCount(), 1u);
}

TEST_F(ManualMainExecutorTest, ClockStandsExactlyAtEachDueTime) {
    std::vector<double> seen;
    executor.postAfter(0.1, [&] { seen.push_back(clock.monotonic()); });
    executor.postAfter(0.3, [&] { seen.push_back(clock.monotonic()); });
    executor.advance(1);
    EXPECT_THAT(seen, ElementsAre(1000.0 + 0.1, 1000.0 + 0.3));
}

TEST_F(ManualMainExecutorTest, TimerArmedByATimerRunsInTheSameAdvanceWhenDue) {
    executor.postAfter(1, [this] {
        log.push_back("outer");
        executor.postAfter(0.5, stamp("inner"));
        executor.postAfter(5, stamp("later"));
    });
    executor.advance(2);
    EXPECT_THAT(log, ElementsAre("outer", "inner@1001.500000"));
    EXPECT_EQ(executor.pendingTimerCount(), 1u);
}

TEST_F(ManualMainExecutorTest, WorkPostedByATimerRunsBeforeTheNextTimer) {
    executor.postAfter(1, [this] {
        log.push_back("t1");
        executor.post(record("posted"));
    });
    executor.postAfter(1, record("t2"));
    executor.advance(1);
    EXPECT_THAT(log, ElementsAre("t1", "posted", "t2"));
}

TEST_F(ManualMainExecutorTest, RepeatingTimerReArmsFromItsDueTime) {
    const auto ticking = executor.scheduleRepeating(0.25, stamp("tick"));
    executor.advance(0.125);
    executor.advance(0.125);  // the first beat is due exactly now
    executor.advance(0.5);    // two more beats
    EXPECT_THAT(log, ElementsAre("tick@1000.250000", "tick@1000.500000", "tick@1000.750000"));
    EXPECT_EQ(executor.pendingTimerCount(), 1u);
}

TEST_F(ManualMainExecutorTest, ToleranceIsAcceptedButTimersFireWhenDue) {
    executor.postAfter(1, stamp("a"), 5);
    executor.postAfter(2, stamp("b"));
    executor.advance(3);
    EXPECT_THAT(log, ElementsAre("a@1001.000000", "b@1002.000000"));
}

TEST_F(ManualMainExecutorTest, DrainRunsDueTimersWithoutMovingTheClock) {
    executor.postAfter(0, record("now"));
    executor.postAfter(-1, record("overdue"));
    executor.postAfter(0.125, record("later"));
    executor.post(record("posted"));
    executor.runPending();
    EXPECT_THAT(log, ElementsAre("posted"));
    executor.drain();
    EXPECT_THAT(log, ElementsAre("posted", "now", "overdue"));
    EXPECT_EQ(clock.monotonic(), 1000.0);
    ASSERT_TRUE(executor.nextTimerDelay());
    EXPECT_EQ(*executor.nextTimerDelay(), 0.125);
}

TEST_F(ManualMainExecutorTest, TimersFallenDueByMovingTheClockDirectlyRunAtTheCurrentTime) {
    executor.postAfter(1, stamp("a"));
    clock.advance(5);
    executor.drain();
    EXPECT_THAT(log, ElementsAre("a@1005.000000"));
}

TEST_F(ManualMainExecutorTest, AdvanceToNextTimerStepsFromTimerToTimer) {
    executor.postAfter(2, stamp("b"));
    executor.postAfter(1, stamp("a"));
    EXPECT_TRUE(executor.advanceToNextTimer());
    EXPECT_THAT(log, ElementsAre("a@1001.000000"));
    EXPECT_TRUE(executor.advanceToNextTimer());
    EXPECT_FALSE(executor.advanceToNextTimer());
    EXPECT_THAT(log, ElementsAre("a@1001.000000", "b@1002.000000"));
    EXPECT_EQ(clock.monotonic(), 1002.0);
}

TEST(ManualMainExecutor, OwnsAClockWhenGivenNone) {
    ManualMainExecutor executor;
    const double start = executor.clock().monotonic();
    bool ran = false;
    executor.postAfter(3, [&] { ran = true; });
    executor.advance(3);
    EXPECT_TRUE(ran);
    EXPECT_EQ(executor.clock().monotonic(), start + 3);
}
