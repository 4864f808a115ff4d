#pragma once
// A serial queue and a main executor for tests on the real desktop: work
// from any thread is held until the test runs it, and the test can wait for
// work to arrive.
#include "Platform/DispatchQueue.h"
#include "Platform/MainExecutor.h"
#include "Platform/X11/X11TestTimeout.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace tessaly::test {

class X11TestWorkQueue {
public:
    void push(std::function<void()> fn) {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(fn));
        arrived_.notify_all();
    }
    // Runs queued work until `condition` holds (checked after each item) or
    // the time is up, waiting for more work as needed.
    bool runUntil(const std::function<bool()>& condition,
                  std::chrono::milliseconds timeout = kX11Patience) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!condition()) {
            std::function<void()> fn;
            {
                std::unique_lock lock(mutex_);
                if (!arrived_.wait_until(lock, deadline, [&] { return !work_.empty(); })) return condition();
                fn = std::move(work_.front());
                work_.pop_front();
            }
            fn();
        }
        return true;
    }
    // Runs what is queued now.
    void drain() {
        while (true) {
            std::function<void()> fn;
            {
                std::lock_guard lock(mutex_);
                if (work_.empty()) return;
                fn = std::move(work_.front());
                work_.pop_front();
            }
            fn();
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> work_;
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
    TimerToken schedule(double, std::function<void()>, double) override { return 0; }
    TimerToken scheduleRepeating(double, std::function<void()>, double) override { return 0; }
    void cancel(TimerToken) override {}

private:
    X11TestWorkQueue& work_;
};

}  // namespace tessaly::test
