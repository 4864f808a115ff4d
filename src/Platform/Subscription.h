#pragma once
// A registration that ends when its handle goes: a timer, a workspace
// observer, a subscription to the X11 event stream. The handle is move-only;
// destroying it, assigning another to it or calling cancel() ends the
// registration, so nothing is ever removed by hand. Ending it twice, or
// after what it registered with is gone, does nothing.
//
// The handle itself is not thread-safe: it belongs to one owner. Whether the
// registration's cancel may run on any thread is the issuer's promise (the
// main executors' timers: on the main thread, including from inside the
// timer's own callback).
#include <functional>
#include <utility>

namespace tessaly {

class [[nodiscard]] Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, nullptr);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { cancel(); }

    // Ends the registration; the handle is empty afterwards.
    void cancel() {
        if (auto fn = std::exchange(cancel_, nullptr)) fn();
    }
    // Lets the registration run on without this handle (a timer that should
    // fire even though nobody keeps it).
    void detach() { cancel_ = nullptr; }
    // True while the handle holds a registration it has not ended. A one-shot
    // timer that has fired still counts until the handle is cancelled or
    // dropped; owners that need "armed" keep that themselves.
    bool isActive() const { return static_cast<bool>(cancel_); }
    explicit operator bool() const { return isActive(); }

private:
    std::function<void()> cancel_;
};

}  // namespace tessaly
