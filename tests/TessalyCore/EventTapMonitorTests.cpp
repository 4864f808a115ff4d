#include <gtest/gtest.h>

#include <thread>
#include <tuple>
#include <vector>

#include "Platform/ManualMainExecutor.h"
#include "Platform/ManualQueueFactory.h"
#include "Platform/Sim/SimInput.h"
#include "Platform/ThreadQueueFactory.h"
#include "TessalyCore/EventTapMonitor.h"

namespace tessaly {
namespace {

using Phase = EventTapMonitor::Phase;
using Report = std::tuple<Phase, Point, EventFlags, double>;

class EventTap : public ::testing::Test {
protected:
    void SetUp() override {
        monitor = EventTapMonitor::create(input, queues, main, clock);
        ASSERT_NE(monitor, nullptr);
        monitor->onMouse = [this](Phase p, Point l, EventFlags f, double t) { reports.emplace_back(p, l, f, t); };
    }
    void settle() {
        while (queues.runAll() + main.runPending() > 0) {
        }
    }

    VirtualClock clock;
    ManualMainExecutor main{clock};
    ManualQueueFactory queues;
    SimInput input{main};
    std::unique_ptr<EventTapMonitor> monitor;
    std::vector<Report> reports;
};

TEST_F(EventTap, RefusedTapYieldsNoMonitor) {
    SimInput refusing(main);
    refusing.setRefusesTaps(true);
    EXPECT_EQ(EventTapMonitor::create(refusing, queues, main, clock), nullptr);
}

TEST_F(EventTap, RunsOnItsOwnThreadAndReportsOnTheMainQueueInOrder) {
    ASSERT_NE(queues.queue("tessaly.event-tap"), nullptr);
    input.setModifierFlags(InputFlags::shift);
    input.leftMouseDown({10, 20});
    input.leftMouseUp({10, 20});
    input.leftMouseDown({30, 40});
    input.leftMouseUp({30, 40});
    main.runPending();
    EXPECT_TRUE(reports.empty());  // nothing before the tap thread ran
    EXPECT_EQ(queues.queuedCount("tessaly.event-tap"), 4u);
    settle();
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(std::get<0>(reports[0]), Phase::down);
    EXPECT_EQ(std::get<0>(reports[1]), Phase::up);
    EXPECT_EQ(std::get<0>(reports[2]), Phase::down);
    EXPECT_EQ(std::get<1>(reports[2]), (Point{30, 40}));
    EXPECT_EQ(std::get<2>(reports[3]), InputFlags::shift);  // the event's own flags
}

TEST_F(EventTap, TimeIsTheMonotonicReadingOnTheTapThread) {
    clock.stepWall(-86400);
    input.leftMouseDown({1, 1});
    clock.advance(0.25);  // the tap thread gets to it a little later
    settle();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_DOUBLE_EQ(std::get<3>(reports[0]), clock.monotonic());
}

TEST_F(EventTap, OtherEventTypesAreIgnored) {
    input.deliverRaw({MouseTapEventType::other, {5, 5}, 0});
    input.leftMouseDragged({6, 6});
    settle();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(std::get<0>(reports[0]), Phase::dragged);
}

TEST_F(EventTap, EventWithoutReceiverIsLostAndNotReplayed) {
    auto receiver = monitor->onMouse;
    monitor->onMouse = nullptr;
    input.leftMouseDown({1, 1});
    settle();
    monitor->onMouse = receiver;
    settle();
    EXPECT_TRUE(reports.empty());
}

TEST_F(EventTap, SwitchedOffTapIsSwitchedOnAgainWithoutReport) {
    input.disableTaps(MouseTapEventType::tapDisabledByTimeout);
    EXPECT_EQ(input.enabledTapCount(), 0);
    input.leftMouseDown({1, 1});  // missed while off
    settle();
    EXPECT_EQ(input.enabledTapCount(), 1);
    EXPECT_TRUE(reports.empty());
    input.disableTaps(MouseTapEventType::tapDisabledByUserInput);
    settle();
    input.leftMouseUp({1, 1});
    settle();
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(input.tapEnableCalls(), 2);
}

TEST_F(EventTap, AfterShutdownNothingIsReenabledOrReported) {
    input.leftMouseDown({1, 1});  // queued on the tap thread, not yet handled
    input.disableTaps();
    monitor->shutdown();
    EXPECT_EQ(input.runningTapCount(), 0);
    settle();
    EXPECT_EQ(input.tapEnableCalls(), 0);
    EXPECT_TRUE(reports.empty());
    monitor->shutdown();  // a second one is harmless
}

TEST_F(EventTap, ReportsPostedBeforeShutdownStillArrive) {
    input.leftMouseDown({1, 1});
    queues.runAll();  // handled and posted
    monitor->shutdown();
    main.runPending();
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(EventTap, ReleasedMonitorDropsPostedReports) {
    input.leftMouseDown({1, 1});
    queues.runAll();
    monitor.reset();  // shuts itself down on the way out
    settle();
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(input.runningTapCount(), 0);
}

TEST_F(EventTap, ShutdownBeforeTheTapThreadEverRan) {
    input.leftMouseDown({1, 1});
    monitor->shutdown();
    monitor.reset();
    settle();  // the tap thread's work runs only now: it must touch nothing freed
    EXPECT_TRUE(reports.empty());
}

// Real threads: events pour in from another thread while the monitor is
// created and shut down at once. Under the address sanitizer this catches a
// tap thread that reaches a freed monitor.
TEST(EventTapThreads, ShutdownRacingTheTapThreadIsSafe) {
    VirtualClock clock;
    ManualMainExecutor main(clock);
    ThreadQueueFactory queues;
    SimInput input(main);
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        while (!stop.load()) {
            input.leftMouseDragged({1, 2});
            input.disableTaps();
        }
    });
    int delivered = 0;
    for (int i = 0; i < 200; ++i) {
        auto monitor = EventTapMonitor::create(input, queues, main, clock);
        ASSERT_NE(monitor, nullptr);
        monitor->onMouse = [&](Phase, Point, EventFlags, double) { ++delivered; };
        if (i % 2 == 0) monitor->shutdown();
        monitor.reset();
        main.runPending();
    }
    stop = true;
    feeder.join();
    main.runPending();
    EXPECT_EQ(delivered, 0);  // reports of a released monitor never arrive
    EXPECT_EQ(input.runningTapCount(), 0);
}

}  // namespace
}  // namespace tessaly
