#pragma once
// A thread-safe first-in, first-out list of work, for queues that are run
// by hand: anyone may add, and the owner takes items one at a time so that
// an item may add more while it runs.
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

namespace tessaly {

class WorkList {
public:
    void push(std::function<void()> fn) {
        if (!fn) return;
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(fn));
    }

    // Takes the oldest item and runs it outside the lock; answers false when
    // the list was empty.
    bool runOne() {
        std::function<void()> fn;
        {
            std::lock_guard lock(mutex_);
            if (items_.empty()) return false;
            fn = std::move(items_.front());
            items_.pop_front();
        }
        fn();
        return true;
    }

    // Runs items until none is left, including ones added meanwhile.
    std::size_t runAll() {
        std::size_t ran = 0;
        while (runOne()) ++ran;
        return ran;
    }

    std::size_t size() const {
        std::lock_guard lock(mutex_);
        return items_.size();
    }

private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> items_;
};

}  // namespace tessaly
