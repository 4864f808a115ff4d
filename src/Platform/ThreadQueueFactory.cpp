#include "Platform/ThreadQueueFactory.h"

#include <pthread.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

namespace tessaly {

namespace {

// Worker threads whose last reference went on the thread itself, so that
// nobody could join them there; they are joined by the next worker to end,
// or at exit.
class Reaper {
public:
    static Reaper& shared() {
        static Reaper reaper;
        return reaper;
    }
    ~Reaper() { joinAll(); }

    void adopt(std::thread thread) {
        std::lock_guard lock(mutex_);
        threads_.push_back(std::move(thread));
    }
    void joinAll() {
        std::vector<std::thread> threads;
        {
            std::lock_guard lock(mutex_);
            threads.swap(threads_);
        }
        const auto self = std::this_thread::get_id();
        for (auto& thread : threads) {
            if (thread.get_id() == self) {
                adopt(std::move(thread));  // ourselves: leave for someone else
                continue;
            }
            thread.join();
        }
    }

private:
    std::mutex mutex_;
    std::vector<std::thread> threads_;
};

using LaneID = std::uint64_t;

struct Item {
    LaneID lane = 0;
    std::function<void()> fn;
};

// What the worker thread shares with its owners; the thread keeps it alive
// until it ends, so the worker object may go first.
struct WorkerState {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Item> work;  // every lane's, in submission order
    LaneID lanesMade = 0;
    bool closing = false;   // set once, when the last owner goes; nothing is added after
};

void workerLoop(WorkerState& state) {
    for (;;) {
        std::function<void()> fn;
        {
            std::unique_lock lock(state.mutex);
            state.wake.wait(lock, [&] { return state.closing || !state.work.empty(); });
            if (state.work.empty()) return;  // closing and drained
            fn = std::move(state.work.front().fn);
            state.work.pop_front();
        }
        fn();
        // `fn` (and whatever it captured, maybe the last reference to its
        // lane) is released here, on this thread, before the next item.
    }
}

}  // namespace

class ThreadQueueFactory::Worker {
public:
    Worker() : state_(std::make_shared<WorkerState>()) {
        Reaper::shared();  // made before any worker, so it outlives them all at exit
        thread_ = std::thread([state = state_] {
            pthread_setname_np(pthread_self(), workerName);
            workerLoop(*state);
        });
    }

    ~Worker() {
        {
            std::lock_guard lock(state_->mutex);
            state_->closing = true;
        }
        state_->wake.notify_one();
        if (thread_.get_id() == std::this_thread::get_id()) {
            Reaper::shared().adopt(std::move(thread_));
            return;
        }
        thread_.join();
        Reaper::shared().joinAll();
    }

    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    LaneID makeLane() {
        std::lock_guard lock(state_->mutex);
        return ++state_->lanesMade;
    }

    void submit(LaneID lane, std::function<void()> fn) {
        {
            std::lock_guard lock(state_->mutex);
            state_->work.push_back({lane, std::move(fn)});
        }
        state_->wake.notify_one();
    }

    // Drops the lane's waiting items; they are released off the lock.
    void discard(LaneID lane) {
        std::vector<std::function<void()>> dropped;
        {
            std::lock_guard lock(state_->mutex);
            std::erase_if(state_->work, [&](Item& item) {
                if (item.lane != lane) return false;
                dropped.push_back(std::move(item.fn));
                return true;
            });
        }
    }

private:
    std::shared_ptr<WorkerState> state_;
    std::thread thread_;
};

namespace {

class Lane final : public DispatchQueue {
public:
    Lane(std::string label, std::shared_ptr<ThreadQueueFactory::Worker> worker, bool discardOnRelease)
        : label_(std::move(label)), worker_(std::move(worker)), id_(worker_->makeLane()),
          discardOnRelease_(discardOnRelease) {}

    ~Lane() override {
        if (discardOnRelease_) worker_->discard(id_);
    }

    Lane(const Lane&) = delete;
    Lane& operator=(const Lane&) = delete;

    const std::string& label() const override { return label_; }

    void async(std::function<void()> fn) override {
        if (fn) worker_->submit(id_, std::move(fn));
    }

private:
    std::string label_;
    std::shared_ptr<ThreadQueueFactory::Worker> worker_;
    LaneID id_;
    bool discardOnRelease_;
};

}  // namespace

std::shared_ptr<DispatchQueue> ThreadQueueFactory::makeSerialQueue(std::string label) {
    std::shared_ptr<Worker> worker;
    {
        std::lock_guard lock(mutex_);
        if (!worker_) worker_ = std::make_shared<Worker>();
        worker = worker_;
    }
    return std::make_shared<Lane>(std::move(label), std::move(worker), shutdown_ == Shutdown::discard);
}

}  // namespace tessaly
