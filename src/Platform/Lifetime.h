#pragma once
// The weak-owner convention for callbacks: an owner keeps a LifetimeToken,
// and every callback it hands out that reaches back to it is wrapped with
// guarded(), so that the callback does nothing (or returns a neutral value)
// once the owner is gone.
#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace tessaly {

class LifetimeToken {
public:
    LifetimeToken() : alive_(std::make_shared<char>(0)) {}
    LifetimeToken(const LifetimeToken&) = delete;
    LifetimeToken& operator=(const LifetimeToken&) = delete;

    std::weak_ptr<void> watch() const { return alive_; }

    // Wraps fn so that it runs only while this token lives; a callback with a
    // result answers a value-initialised result afterwards.
    template <typename Fn>
    auto guarded(Fn fn) const {
        return [weak = watch(), fn = std::move(fn)](auto&&... args) {
            using R = std::invoke_result_t<Fn&, decltype(args)...>;
            if (weak.expired()) {
                if constexpr (std::is_void_v<R>) return;
                else return R{};
            }
            return fn(std::forward<decltype(args)>(args)...);
        };
    }

private:
    std::shared_ptr<char> alive_;
};

}  // namespace tessaly
