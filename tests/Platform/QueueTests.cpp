#include "Platform/ManualQueueFactory.h"
#include "Platform/ThreadQueueFactory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using tessaly::DispatchQueue;
using tessaly::ManualQueue;
using tessaly::ManualQueueFactory;
using tessaly::ThreadQueueFactory;
using testing::ElementsAre;

namespace {

// Blocks a queue's worker until the test opens it.
class Gate {
public:
    void open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        cv_.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool open_ = false;
};

std::string currentThreadName() {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    return name;
}

}  // namespace

// Lanes submitted to in turn from one thread run in exactly that order, on
// one worker thread named for what it is, whatever their number.
TEST(ThreadQueue, LanesShareOneNamedWorkerInSubmissionOrder) {
    ThreadQueueFactory factory;
    std::vector<std::shared_ptr<DispatchQueue>> lanes;
    for (int i = 0; i < 50; ++i) lanes.push_back(factory.makeSerialQueue("tessaly.ax." + std::to_string(100 + i)));
    EXPECT_EQ(lanes[7]->label(), "tessaly.ax.107");

    struct Step {
        int lane, item;
        std::thread::id thread;
    };
    std::vector<Step> ran;  // touched only by the worker until the promise is kept
    for (int item = 0; item < 20; ++item) {
        for (int lane = 0; lane < 50; lane += 1 + item % 3) {
            lanes[static_cast<std::size_t>(lane)]->async(
                [&ran, lane, item] { ran.push_back({lane, item, std::this_thread::get_id()}); });
        }
    }
    std::promise<std::string> name;
    lanes[3]->async([&] { name.set_value(currentThreadName()); });
    EXPECT_EQ(name.get_future().get(), ThreadQueueFactory::workerName);

    std::vector<std::pair<int, int>> expected;
    for (int item = 0; item < 20; ++item) {
        for (int lane = 0; lane < 50; lane += 1 + item % 3) expected.emplace_back(lane, item);
    }
    ASSERT_EQ(ran.size(), expected.size());
    for (std::size_t i = 0; i < ran.size(); ++i) {
        EXPECT_EQ(std::make_pair(ran[i].lane, ran[i].item), expected[i]) << "at " << i;
        EXPECT_EQ(ran[i].thread, ran[0].thread);
    }
    EXPECT_NE(ran[0].thread, std::this_thread::get_id());
}

// Four threads, each on a lane of its own: no two items overlap, and each
// lane's items run in its submitter's order.
TEST(ThreadQueue, RunsOneItemAtATimeAcrossLanes) {
    ThreadQueueFactory factory;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::vector<std::vector<int>> order(4);  // per lane, touched only by the worker
    std::vector<std::thread> submitters;
    for (std::size_t t = 0; t < 4; ++t) {
        submitters.emplace_back([&, t] {
            const auto lane = factory.makeSerialQueue("lane" + std::to_string(t));
            for (int i = 0; i < 200; ++i) {
                lane->async([&, t, i] {
                    if (inside.fetch_add(1) != 0) ++overlaps;
                    order[t].push_back(i);
                    inside.fetch_sub(1);
                });
            }
            // Released with work waiting: it still runs.
        });
    }
    for (auto& thread : submitters) thread.join();
    std::promise<void> done;
    factory.makeSerialQueue("fence")->async([&] { done.set_value(); });
    done.get_future().wait();
    EXPECT_EQ(overlaps.load(), 0);
    for (const auto& lane : order) {
        ASSERT_EQ(lane.size(), 200u);
        for (int i = 0; i < 200; ++i) EXPECT_EQ(lane[static_cast<std::size_t>(i)], i);
    }
}

// A released lane's waiting work runs in its turn; the release itself does
// not wait for it, not even behind another lane's long item.
TEST(ThreadQueue, ReleasingALaneDrainsItsWorkWithoutWaiting) {
    ThreadQueueFactory factory;
    auto busy = factory.makeSerialQueue("busy");
    auto released = factory.makeSerialQueue("released");
    Gate gate;
    std::vector<std::string> ran;  // read after the fence
    busy->async([&] { gate.wait(); });
    for (int i = 0; i < 3; ++i) released->async([&ran, i] { ran.push_back("released" + std::to_string(i)); });
    busy->async([&] { ran.push_back("busy"); });
    released.reset();  // returns with the worker still held up by the gate
    gate.open();
    std::promise<void> done;
    busy->async([&] { done.set_value(); });
    done.get_future().wait();
    EXPECT_THAT(ran, ElementsAre("released0", "released1", "released2", "busy"));
}

// With discard, a release drops that lane's waiting work at once (its
// captures go with it), while the item running and the other lanes' work go
// on.
TEST(ThreadQueue, ReleasingWithDiscardDropsOnlyThatLanesWaitingWork) {
    ThreadQueueFactory factory(ThreadQueueFactory::Shutdown::discard);
    auto lane = factory.makeSerialQueue("discard");
    const auto other = factory.makeSerialQueue("other");
    Gate gate;
    std::promise<void> started;
    bool firstFinished = false;
    int laterRan = 0, otherRan = 0;
    std::weak_ptr<void> captured;
    {
        auto capture = std::make_shared<int>(0);
        captured = capture;
        lane->async([&] {
            started.set_value();
            gate.wait();
            firstFinished = true;
        });
        for (int i = 0; i < 5; ++i) {
            lane->async([&laterRan, capture] { ++laterRan; });
            other->async([&otherRan] { ++otherRan; });
        }
    }
    started.get_future().wait();
    lane.reset();
    EXPECT_TRUE(captured.expired()) << "the dropped work was not released at the release";
    gate.open();
    std::promise<void> done;
    other->async([&] { done.set_value(); });
    done.get_future().wait();
    EXPECT_TRUE(firstFinished);
    EXPECT_EQ(laterRan, 0);
    EXPECT_EQ(otherRan, 5);
}

// A lane released by its own work, together with the factory: the worker's
// last reference goes on the worker itself. The lane's work queued before
// the release still runs, and the thread is joined by the next worker to
// end; nothing leaks or hangs.
TEST(ThreadQueue, LastReferenceReleasedByItsOwnWorkIsSafe) {
    auto factory = std::make_unique<ThreadQueueFactory>();
    std::atomic<int> step{0};
    std::promise<std::pair<int, std::thread::id>> released;
    std::promise<std::pair<int, std::thread::id>> after;
    Gate gate;
    auto lane = factory->makeSerialQueue("self-release");
    lane->async([held = lane, &released, &gate, &step]() mutable {
        gate.wait();
        held.reset();  // the last reference to the lane, and to the worker
        released.set_value({++step, std::this_thread::get_id()});
    });
    lane->async([&after, &step] { after.set_value({++step, std::this_thread::get_id()}); });
    lane.reset();
    factory.reset();
    gate.open();
    const auto [releasedAt, worker] = released.get_future().get();
    const auto [afterAt, afterOn] = after.get_future().get();
    EXPECT_EQ(releasedAt, 1);
    EXPECT_EQ(afterAt, 2) << "the work queued before the release ran after it";
    EXPECT_EQ(afterOn, worker) << "on the same worker, which outlived its last reference";
    EXPECT_NE(worker, std::this_thread::get_id());

    // The next factory has a worker of its own, whose end joins the one
    // left behind.
    ThreadQueueFactory next;
    std::promise<void> ran;
    next.makeSerialQueue("other")->async([&] { ran.set_value(); });
    ran.get_future().wait();
}

TEST(ManualQueue, HoldsWorkUntilRunAndKeepsOrderPerQueue) {
    ManualQueueFactory factory;
    const auto a = factory.makeSerialQueue("a");
    const auto b = factory.makeSerialQueue("b");
    std::vector<std::string> log;
    a->async([&] { log.push_back("a1"); });
    b->async([&] { log.push_back("b1"); });
    a->async([&] {
        log.push_back("a2");
        b->async([&] { log.push_back("b2"); });
    });
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(factory.queuedCount(), 3u);
    EXPECT_EQ(factory.queuedCount("a"), 2u);
    EXPECT_EQ(factory.queuedCount("b"), 1u);

    EXPECT_EQ(factory.run("b"), 1u);
    EXPECT_THAT(log, ElementsAre("b1"));
    EXPECT_EQ(factory.runAll(), 3u);
    EXPECT_THAT(log, ElementsAre("b1", "a1", "a2", "b2"));
    EXPECT_EQ(factory.queuedCount(), 0u);
}

TEST(ManualQueue, SingleQueueCanBeSteppedAndForgetsDeadQueues) {
    ManualQueueFactory factory;
    auto queue = factory.makeSerialQueue("step");
    int runs = 0;
    queue->async([&] { ++runs; });
    queue->async([&] { ++runs; });
    auto manual = factory.queue("step");
    ASSERT_TRUE(manual);
    EXPECT_EQ(manual.get(), queue.get());
    EXPECT_TRUE(manual->runOne());
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(manual->queuedCount(), 1u);

    queue.reset();
    EXPECT_EQ(factory.queues().size(), 1u);  // still held by `manual`
    manual.reset();
    EXPECT_TRUE(factory.queues().empty());
    EXPECT_EQ(factory.queuedCount(), 0u);
    EXPECT_EQ(factory.runAll(), 0u);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(factory.queue("step"));
}
