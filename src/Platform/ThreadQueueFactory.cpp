#include "Platform/ThreadQueueFactory.h"

#include <pthread.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace tessaly {

namespace {

constexpr std::size_t kThreadNameLength = 15;  // the kernel's limit, without the terminator

// Threads whose queue was released on the thread itself, so that nobody
// could join them there; they are joined by the next queue to close, or at
// exit.
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

// What the worker thread shares with its queue; the thread keeps it alive
// until it ends, so the queue object may go first.
struct QueueState {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> work;
    bool closing = false;  // set once, by the queue's destructor; nothing is added after
};

void workerLoop(const std::shared_ptr<QueueState>& state) {
    for (;;) {
        std::function<void()> fn;
        {
            std::unique_lock lock(state->mutex);
            state->wake.wait(lock, [&] { return state->closing || !state->work.empty(); });
            if (state->work.empty()) return;  // closing and drained (or discarded)
            fn = std::move(state->work.front());
            state->work.pop_front();
        }
        fn();
        // `fn` (and whatever it captured) is released here, on this thread,
        // before the next item is taken.
    }
}

class ThreadQueue final : public DispatchQueue {
public:
    ThreadQueue(std::string label, bool discardOnClose)
        : label_(std::move(label)), discardOnClose_(discardOnClose), state_(std::make_shared<QueueState>()) {
        Reaper::shared();  // made before any queue, so it outlives them all at exit
        std::string name = label_.substr(0, kThreadNameLength);
        thread_ = std::thread([state = state_, name = std::move(name)] {
            pthread_setname_np(pthread_self(), name.c_str());
            workerLoop(state);
        });
    }

    ~ThreadQueue() override {
        std::deque<std::function<void()>> dropped;
        {
            std::lock_guard lock(state_->mutex);
            state_->closing = true;
            if (discardOnClose_) dropped.swap(state_->work);
        }
        state_->wake.notify_one();
        dropped.clear();  // what never started is released now, off the lock
        if (thread_.get_id() == std::this_thread::get_id()) {
            Reaper::shared().adopt(std::move(thread_));
            return;
        }
        thread_.join();
        Reaper::shared().joinAll();
    }

    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    const std::string& label() const override { return label_; }

    void async(std::function<void()> fn) override {
        if (!fn) return;
        {
            std::lock_guard lock(state_->mutex);
            state_->work.push_back(std::move(fn));
        }
        state_->wake.notify_one();
    }

private:
    std::string label_;
    bool discardOnClose_;
    std::shared_ptr<QueueState> state_;
    std::thread thread_;
};

}  // namespace

std::shared_ptr<DispatchQueue> ThreadQueueFactory::makeSerialQueue(std::string label) {
    return std::make_shared<ThreadQueue>(std::move(label), shutdown_ == Shutdown::discard);
}

}  // namespace tessaly
