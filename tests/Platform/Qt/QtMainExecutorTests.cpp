// What the Qt executor promises beyond the shared cases: it keeps working
// inside nested event loops, a stream of posts leaves room for timers, and
// tolerant timers share a wake-up.
#include "Platform/Clock.h"
#include "Platform/Qt/QtMainExecutor.h"

#include <QEventLoop>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using tessaly::QtMainExecutor;
using tessaly::Subscription;
using tessaly::SystemClock;
using testing::ElementsAre;

namespace {

struct QtMainExecutorTest : testing::Test {
    QtMainExecutor executor;
    QEventLoop loop;
    std::vector<std::string> log;

    // Runs the event loop until quit() (or 10 s).
    void run() {
        QTimer::singleShot(10'000, &loop, [this] {
            ADD_FAILURE() << "the case did not end";
            loop.quit();
        });
        loop.exec();
    }
};

}  // namespace

TEST_F(QtMainExecutorTest, NestedEventLoopKeepsTimersAndPostedWorkGoingInOrder) {
    executor.post([&] {
        log.push_back("outer begins");
        // A modal loop inside work: what is queued behind it still runs, in order.
        QEventLoop nested;
        executor.post([&] { log.push_back("queued 1"); });
        executor.post([&] { log.push_back("queued 2"); });
        executor.postAfter(0.002, [&] {
            log.push_back("timer in nested loop");
            nested.quit();
        });
        nested.exec();
        log.push_back("outer ends");
    });
    executor.post([&] { log.push_back("posted before the nested loop"); });
    executor.postAfter(0.004, [&] { loop.quit(); });
    run();
    EXPECT_THAT(log, ElementsAre("outer begins", "posted before the nested loop", "queued 1", "queued 2",
                                 "timer in nested loop", "outer ends"));
}

TEST_F(QtMainExecutorTest, TimersDueWhileATimerRunsANestedLoopStillFire) {
    executor.postAfter(0.001, [&] {
        QEventLoop nested;
        executor.postAfter(0.001, [&] {
            log.push_back("armed inside");
            nested.quit();
        });
        nested.exec();
        log.push_back("outer timer ends");
        loop.quit();
    });
    executor.postAfter(0.001, [&] { log.push_back("due with the outer timer"); });
    run();
    EXPECT_THAT(log, ElementsAre("due with the outer timer", "armed inside", "outer timer ends"));
}

TEST_F(QtMainExecutorTest, WorkThatKeepsPostingDoesNotStarveTimers) {
    bool timerRan = false;
    int reposts = 0;
    // The timer is set from inside the churn, so it is due while the work
    // keeps posting however slow the machine is.
    std::function<void()> churn = [&] {
        if (++reposts == 5) {
            executor.postAfter(0.002, [&] {
                timerRan = true;
                loop.quit();
            });
        }
        if (!timerRan) executor.post(churn);
    };
    executor.post(churn);
    run();
    EXPECT_TRUE(timerRan);
    EXPECT_GE(reposts, 5);
}

TEST_F(QtMainExecutorTest, ATolerantTimerWaitsToShareALaterWakeUp) {
    const double start = SystemClock::shared().monotonic();
    double lenientAt = 0;
    double strictAt = 0;
    executor.postAfter(0.001, [&] { lenientAt = SystemClock::shared().monotonic(); }, 1.0);
    executor.postAfter(0.006, [&] {
        strictAt = SystemClock::shared().monotonic();
        loop.quit();
    });
    run();
    EXPECT_GE(lenientAt - start, 0.006);
    EXPECT_LE(lenientAt, strictAt);
    EXPECT_EQ(executor.pendingTimerCount(), 0u);
}
