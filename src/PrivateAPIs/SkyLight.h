#pragma once
// Ordering one window directly above or below another in one window-server
// transaction, through private functions found by name at run time. Every
// operation answers false (or absent) when a function it needs is missing.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "Platform/PrivateWindowServer.h"
#include "Platform/Types.h"

namespace tessaly {

class SkyLight {
public:
    enum class Order : std::int32_t { above = 1, below = -1, out = 0 };
    static std::optional<Order> orderFromRawValue(std::int32_t rawValue);
    static constexpr std::int32_t rawValue(Order order) { return static_cast<std::int32_t>(order); }

    // Window-server notification codes.
    struct Event {
        static constexpr std::uint32_t windowCreated = 801;
        static constexpr std::uint32_t windowDestroyed = 804;
        static constexpr std::uint32_t windowLevelChanged = 805;
        static constexpr std::uint32_t windowMoved = 806;
        static constexpr std::uint32_t windowResized = 807;
        static constexpr std::uint32_t windowReordered = 808;
        static constexpr std::uint32_t activeSpaceChanged = 1401;
        static constexpr std::uint32_t frontAppChanged = 1508;
    };

    explicit SkyLight(std::shared_ptr<PrivateSymbols> symbols);

    // Whether every function `order` needs was found.
    bool canOrder() const;
    // Orders `window` relative to `relativeTo` in one committed (asynchronous)
    // transaction; true when the commit answered success.
    bool order(WindowID window, Order order, WindowID relativeTo) const;
    // Runs `body` with a fresh transaction on the main connection and commits
    // it; absent, without running `body`, when no transaction can be made.
    std::optional<WindowServerError> withTransaction(bool synchronous,
                                                     const std::function<void(const TransactionRef&)>& body) const;

    // The functions, looked up once on first need; null when the library
    // cannot be opened. Each function inside may still be missing.
    const WindowServerFunctions* functions() const;

private:
    std::shared_ptr<PrivateSymbols> symbols_;
    mutable std::once_flag opened_;
    mutable std::optional<WindowServerFunctions> functions_;
};

}  // namespace tessaly
