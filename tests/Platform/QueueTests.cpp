#include "Platform/ManualQueueFactory.h"
#include "Platform/ThreadQueueFactory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pthread.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
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

TEST(ThreadQueue, RunsWorkInOrderOnItsOwnNamedThread) {
    ThreadQueueFactory factory;
    const auto queue = factory.makeSerialQueue("org.tessaly.observer-reader");
    EXPECT_EQ(queue->label(), "org.tessaly.observer-reader");

    std::vector<int> order;  // touched only by the worker until the promise is kept
    std::promise<std::pair<std::thread::id, std::string>> where;
    for (int i = 0; i < 100; ++i) queue->async([&order, i] { order.push_back(i); });
    queue->async([&] { where.set_value({std::this_thread::get_id(), currentThreadName()}); });

    const auto [id, name] = where.get_future().get();
    EXPECT_NE(id, std::this_thread::get_id());
    EXPECT_EQ(name, "org.tessaly.obs");  // the first 15 characters
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST(ThreadQueue, RunsOneItemAtATime) {
    ThreadQueueFactory factory;
    const auto queue = factory.makeSerialQueue("serial");
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::promise<void> done;
    std::vector<std::thread> submitters;
    for (int t = 0; t < 4; ++t) {
        submitters.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                queue->async([&] {
                    if (inside.fetch_add(1) != 0) ++overlaps;
                    inside.fetch_sub(1);
                });
            }
        });
    }
    for (auto& thread : submitters) thread.join();
    queue->async([&] { done.set_value(); });
    done.get_future().wait();
    EXPECT_EQ(overlaps.load(), 0);
}

TEST(ThreadQueue, ClosingDrainsWaitingWorkThenJoins) {
    ThreadQueueFactory factory;
    auto queue = factory.makeSerialQueue("drain");
    Gate gate;
    std::vector<int> ran;  // read only after the queue is gone (its thread joined)
    queue->async([&] { gate.wait(); });
    for (int i = 0; i < 5; ++i) queue->async([&ran, i] { ran.push_back(i); });
    std::thread opener([&] { gate.open(); });
    queue.reset();  // returns only once the worker has finished
    opener.join();
    EXPECT_THAT(ran, ElementsAre(0, 1, 2, 3, 4));
}

TEST(ThreadQueue, ClosingWithDiscardDropsWorkNotYetStarted) {
    ThreadQueueFactory factory(ThreadQueueFactory::Shutdown::discard);
    auto queue = factory.makeSerialQueue("discard");
    Gate gate;
    std::promise<void> started;
    std::promise<void> capturesReleased;
    bool firstFinished = false;
    int laterRan = 0;
    {
        // Shared by the waiting work; its deleter tells when all of it is gone.
        std::shared_ptr<void> capture(nullptr, [&](void*) { capturesReleased.set_value(); });
        queue->async([&] {
            started.set_value();
            gate.wait();
            firstFinished = true;
        });
        for (int i = 0; i < 5; ++i) queue->async([&laterRan, capture] { ++laterRan; });
    }
    started.get_future().wait();
    // The running item is held until the waiting ones have been dropped.
    std::thread opener([&] {
        capturesReleased.get_future().wait();
        gate.open();
    });
    queue.reset();  // drops the waiting work, then joins once the running item ends
    opener.join();
    EXPECT_TRUE(firstFinished);
    EXPECT_EQ(laterRan, 0);
}

TEST(ThreadQueue, LastReferenceReleasedByItsOwnWorkIsSafe) {
    ThreadQueueFactory factory;
    std::promise<void> released;
    Gate gate;
    auto queue = factory.makeSerialQueue("self-release");
    queue->async([held = queue, &released, &gate]() mutable {
        gate.wait();
        held.reset();  // the last reference: the queue closes on its own thread
        released.set_value();
    });
    queue.reset();
    gate.open();
    released.get_future().wait();
    // Another queue closing joins the thread left behind; nothing leaks or hangs.
    auto other = factory.makeSerialQueue("other");
    std::promise<void> ran;
    other->async([&] { ran.set_value(); });
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
