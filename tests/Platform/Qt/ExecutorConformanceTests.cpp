// One set of cases that every MainExecutor must pass: the manual executor
// (on its virtual clock), the event loop and the Qt executor (on real time,
// with delays of a few milliseconds; every wait ends on an event).
#include "Platform/Clock.h"
#include "Platform/EventLoop.h"
#include "Platform/ManualMainExecutor.h"
#include "Platform/Qt/QtMainExecutor.h"

#include <QEventLoop>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using tessaly::MainExecutor;
using tessaly::Subscription;
using testing::ElementsAre;
using testing::UnorderedElementsAre;

// Longest a case may run, in seconds of the executor's clock; on real time
// only a broken executor gets near it.
constexpr double kCaseLimit = 10;
// Clock readings are compared up to rounding (the virtual clock adds
// seconds to a large reading).
constexpr double kRounding = 1e-9;

// Drives the virtual clock from timer to timer; while other threads may
// still post, it keeps looking for their work until the case finishes.
class ManualDriver {
public:
    MainExecutor& executor() { return executor_; }
    double now() { return executor_.clock().monotonic(); }
    void finish() { finished_ = true; }
    bool run() {
        finished_ = false;
        const double limit = now() + kCaseLimit;
        const auto realLimit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!finished_ && now() < limit && std::chrono::steady_clock::now() < realLimit) {
            if (executor_.runPending() > 0) continue;
            if (!finished_ && !executor_.advanceToNextTimer()) std::this_thread::yield();
        }
        return finished_;
    }
    static std::unique_ptr<MainExecutor> makeAnother() { return std::make_unique<tessaly::ManualMainExecutor>(); }

private:
    tessaly::ManualMainExecutor executor_;
    bool finished_ = false;
};

class EventLoopDriver {
public:
    MainExecutor& executor() { return loop_; }
    static double now() { return tessaly::SystemClock::shared().monotonic(); }
    void finish() {
        finished_ = true;
        loop_.stop();
    }
    bool run() {
        finished_ = false;
        const auto watchdog = loop_.schedule(kCaseLimit, [this] { loop_.stop(); });
        loop_.run();
        return finished_;
    }
    static std::unique_ptr<MainExecutor> makeAnother() { return std::make_unique<tessaly::EventLoop>(); }

private:
    tessaly::EventLoop loop_;
    bool finished_ = false;
};

class QtDriver {
public:
    MainExecutor& executor() { return executor_; }
    static double now() { return tessaly::SystemClock::shared().monotonic(); }
    void finish() {
        finished_ = true;
        loop_.quit();
    }
    bool run() {
        finished_ = false;
        QTimer::singleShot(std::chrono::milliseconds(static_cast<int>(kCaseLimit * 1000)), &loop_,
                           [this] { loop_.quit(); });
        loop_.exec();
        return finished_;
    }
    static std::unique_ptr<MainExecutor> makeAnother() { return std::make_unique<tessaly::QtMainExecutor>(); }

private:
    tessaly::QtMainExecutor executor_;
    QEventLoop loop_;
    bool finished_ = false;
};

template <typename Driver>
class ExecutorConformance : public testing::Test {
protected:
    Driver driver;
    MainExecutor& executor() { return driver.executor(); }
    const std::thread::id mainThread = std::this_thread::get_id();
    std::vector<std::string> log;

    auto record(std::string name) {
        return [this, name = std::move(name)] { log.push_back(name); };
    }
};

using Drivers = testing::Types<ManualDriver, EventLoopDriver, QtDriver>;

class DriverNames {
public:
    template <typename T>
    static std::string GetName(int) {
        if (std::is_same_v<T, ManualDriver>) return "Manual";
        if (std::is_same_v<T, EventLoopDriver>) return "EventLoop";
        return "Qt";
    }
};

TYPED_TEST_SUITE(ExecutorConformance, Drivers, DriverNames);

TYPED_TEST(ExecutorConformance, PostedWorkRunsInPostingOrderOnTheMainThread) {
    auto& ex = this->executor();
    ex.post(this->record("a"));
    ex.post([&] {
        this->log.push_back("b");
        ex.post([&] {
            this->log.push_back("d");
            EXPECT_EQ(std::this_thread::get_id(), this->mainThread);
            this->driver.finish();
        });
    });
    ex.post(this->record("c"));
    ex.post(nullptr);  // nothing to run: ignored
    EXPECT_TRUE(this->log.empty());
    ASSERT_TRUE(this->driver.run());
    EXPECT_THAT(this->log, ElementsAre("a", "b", "c", "d"));
}

TYPED_TEST(ExecutorConformance, WorkFromManyThreadsRunsOnTheMainThreadInEachThreadsOrder) {
    constexpr int threads = 4;
    constexpr int perThread = 300;
    std::vector<std::vector<int>> seen(threads);  // touched on the main thread only
    int total = 0;
    std::vector<std::thread> posters;
    for (int t = 0; t < threads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                this->executor().post([&, t, i] {
                    EXPECT_EQ(std::this_thread::get_id(), this->mainThread);
                    seen[static_cast<std::size_t>(t)].push_back(i);
                    if (++total == threads * perThread) this->driver.finish();
                });
            }
        });
    }
    const bool finished = this->driver.run();
    for (auto& poster : posters) poster.join();
    ASSERT_TRUE(finished);
    for (const auto& list : seen) {
        ASSERT_EQ(list.size(), static_cast<std::size_t>(perThread));
        for (int i = 0; i < perThread; ++i) ASSERT_EQ(list[static_cast<std::size_t>(i)], i);
    }
}

TYPED_TEST(ExecutorConformance, TimersFireInDueOrderThenSchedulingOrderAndNeverEarly) {
    auto& ex = this->executor();
    const double start = this->driver.now();
    std::vector<double> firedAfter;
    auto stamp = [&](std::string name) {
        return [&, name] {
            this->log.push_back(name);
            firedAfter.push_back(this->driver.now() - start);
        };
    };
    ex.postAfter(0.2, [&, last = stamp("late")] {
        last();
        this->driver.finish();
    });
    ex.postAfter(0.1, stamp("second"));
    ex.postAfter(0.1, stamp("third"));
    // Armed last, due first: 90 ms apart, more than a busy machine stalls.
    ex.postAfter(0.01, stamp("first"));
    ASSERT_TRUE(this->driver.run());
    EXPECT_THAT(this->log, ElementsAre("first", "second", "third", "late"));
    ASSERT_EQ(firedAfter.size(), 4u);
    EXPECT_GE(firedAfter[0], 0.01 - kRounding);
    EXPECT_GE(firedAfter[1], 0.1 - kRounding);
    EXPECT_GE(firedAfter[3], 0.2 - kRounding);
}

TYPED_TEST(ExecutorConformance, RepeatingTimerBeatsUntilItCancelsItself) {
    auto& ex = this->executor();
    const double start = this->driver.now();
    std::vector<double> beats;
    Subscription timer;
    timer = ex.scheduleRepeating(0.002, [&] {
        beats.push_back(this->driver.now() - start);
        if (beats.size() == 3) {
            timer.cancel();  // from inside its own callback
            // A beat that still came would land before this.
            ex.postAfter(0.01, [&] { this->driver.finish(); });
        }
    });
    ASSERT_TRUE(this->driver.run());
    ASSERT_EQ(beats.size(), 3u);
    for (std::size_t i = 0; i < beats.size(); ++i) EXPECT_GE(beats[i], 0.002 * static_cast<double>(i + 1) - kRounding);
    EXPECT_FALSE(timer.isActive());
}

TYPED_TEST(ExecutorConformance, CancelledAndDroppedTimersNeverRun) {
    auto& ex = this->executor();
    Subscription victim;
    ex.postAfter(0.002, [&] {
        this->log.push_back("killer");
        victim.cancel();
    });
    victim = ex.schedule(0.002, this->record("victim"));  // due with the killer, scheduled after it
    Subscription gone = ex.schedule(0.001, this->record("gone"));
    gone.cancel();
    gone.cancel();  // ending twice does nothing
    { const auto dropped = ex.schedule(0.001, this->record("dropped")); }
    Subscription replaced = ex.schedule(0.001, this->record("replaced"));
    replaced = ex.schedule(0.003, this->record("replacement"));
    Subscription self;
    self = ex.schedule(0.001, [&] {
        this->log.push_back("self");
        self.cancel();  // a one-shot timer ending its own handle while it runs
    });
    ex.postAfter(0.006, [&] { this->driver.finish(); });
    ASSERT_TRUE(this->driver.run());
    // The self-ending timer was armed last: on a slow start it may fall due
    // after the killer, and the order of those two is not the question.
    EXPECT_THAT(this->log, UnorderedElementsAre("self", "killer", "replacement"));
}

TYPED_TEST(ExecutorConformance, WorkArmedByTimersAndPostedWorkRuns) {
    auto& ex = this->executor();
    Subscription inner;
    ex.postAfter(0.001, [&] {
        this->log.push_back("outer");
        ex.post(this->record("posted by timer"));
        inner = ex.schedule(0.001, [&] {
            this->log.push_back("inner");
            this->driver.finish();
        });
    });
    ex.post([&] { ex.postAfter(0, this->record("armed by posted work")); });
    ASSERT_TRUE(this->driver.run());
    // Each runs, after what armed it; the first two run in the order they
    // fall due (a slow start may let the outer timer fall due first).
    EXPECT_THAT(this->log, UnorderedElementsAre("armed by posted work", "outer", "posted by timer", "inner"));
    const auto at = [&](const std::string& entry) { return std::find(this->log.begin(), this->log.end(), entry); };
    EXPECT_LT(at("outer"), at("posted by timer"));
    EXPECT_LT(at("posted by timer"), at("inner"));
    EXPECT_LT(at("armed by posted work"), at("inner"));
}

TYPED_TEST(ExecutorConformance, ZeroNegativeAndNonsenseDelaysRunSoon) {
    auto& ex = this->executor();
    ex.postAfter(0, this->record("zero"));
    ex.postAfter(-1, this->record("negative"));
    int beats = 0;
    Subscription fast;
    fast = ex.scheduleRepeating(0, [&] {  // raised to the shortest interval
        if (++beats == 3) {
            fast.cancel();
            ex.post([&] { this->driver.finish(); });
        }
    });
    ASSERT_TRUE(this->driver.run());
    EXPECT_THAT(this->log, ElementsAre("zero", "negative"));
    EXPECT_EQ(beats, 3);
}

TYPED_TEST(ExecutorConformance, ToleranceNeverMakesATimerEarly) {
    auto& ex = this->executor();
    const double start = this->driver.now();
    double lenientAfter = -1;
    ex.postAfter(0.002, [&] { lenientAfter = this->driver.now() - start; }, 1.0);
    ex.postAfter(0.004, [&] { this->driver.finish(); });
    ASSERT_TRUE(this->driver.run());
    // It may wait for the strict timer, but not past it and not before its own time.
    EXPECT_GE(lenientAfter, 0.002 - kRounding);
}

TYPED_TEST(ExecutorConformance, TimerArmedOnAnotherThreadRunsOnTheMainThread) {
    auto& ex = this->executor();
    std::thread other;
    std::thread::id ranOn;
    Subscription armedElsewhere;
    ex.post([&] {
        // The main loop is idle by the time the other thread arms the timer.
        other = std::thread([&] {
            armedElsewhere = ex.schedule(0.002, [&] {
                ranOn = std::this_thread::get_id();
                this->driver.finish();
            });
        });
    });
    const bool finished = this->driver.run();
    other.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(ranOn, this->mainThread);
}

TYPED_TEST(ExecutorConformance, NothingRunsOnceTheExecutorIsGoneAndHandlesOutlivingItDoNothing) {
    bool ran = false;
    Subscription late;
    {
        auto shortLived = TypeParam::makeAnother();
        late = shortLived->schedule(0.001, [&] { ran = true; });
        shortLived->post([&] { ran = true; });
        shortLived->postAfter(0, [&] { ran = true; });
    }
    late.cancel();
    EXPECT_FALSE(late.isActive());
    // Give the main loop the chance to run anything left behind.
    this->executor().postAfter(0.005, [&] { this->driver.finish(); });
    ASSERT_TRUE(this->driver.run());
    EXPECT_FALSE(ran);
}

}  // namespace
