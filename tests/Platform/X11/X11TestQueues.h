#pragma once
// A serial queue and a main executor for tests on the real desktop: work
// from any thread is held until the test runs it, and the test can wait for
// work to arrive.
#include "Platform/DispatchQueue.h"
#include "Platform/MainExecutor.h"
#include "Platform/WorkList.h"
#include "Platform/X11/X11TestTimeout.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace tessaly::test {

// The list itself is the manual queues' WorkList; what is added here is
// waiting, with a time limit, for work that other threads hand in.
class X11TestWorkQueue {
public:
    void push(std::function<void()> fn) {
        work_.push(std::move(fn));
        { std::lock_guard lock(mutex_); }  // a waiter is either before its check or asleep
        arrived_.notify_all();
    }
    // Runs queued work until `condition` holds (checked after each item) or
    // the time is up, waiting for more work as needed.
    bool runUntil(const std::function<bool()>& condition,
                  std::chrono::milliseconds timeout = kX11Patience) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            {
                std::unique_lock lock(mutex_);
                if (!arrived_.wait_until(lock, deadline, [&] { return work_.size() > 0; })) return condition();
            }
            work_.runOne();
        }
        return true;
    }
    // Runs what is queued now, and what that work queues in turn.
    void drain() { work_.runAll(); }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    WorkList work_;
};

class X11TestQueue final : public DispatchQueue {
public:
    explicit X11TestQueue(X11TestWorkQueue& work, std::string label = "test") : work_(work), label_(std::move(label)) {}
    const std::string& label() const override { return label_; }
    void async(std::function<void()> fn) override { work_.push(std::move(fn)); }

private:
    X11TestWorkQueue& work_;
    std::string label_;
};

class X11TestExecutor final : public MainExecutor {
public:
    explicit X11TestExecutor(X11TestWorkQueue& work) : work_(work) {}
    void post(std::function<void()> fn) override { work_.push(std::move(fn)); }
    Subscription schedule(double, std::function<void()>, double) override { return {}; }
    Subscription scheduleRepeating(double, std::function<void()>, double) override { return {}; }

private:
    X11TestWorkQueue& work_;
};

}  // namespace tessaly::test
