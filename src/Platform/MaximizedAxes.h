#pragma once
// Along which axes the window manager holds a window maximised: filling the
// work area from top to bottom (vertically), from side to side
// (horizontally), or both. The accessibility attribute "AXMaximized" carries
// it as an integer of flags.
#include <cstdint>
#include <ostream>

namespace tessaly {

struct MaximizedAxes {
    bool vertical = false;
    bool horizontal = false;

    static constexpr MaximizedAxes both() { return {true, true}; }
    bool any() const { return vertical || horizontal; }

    static constexpr std::int64_t verticalFlag = 1;
    static constexpr std::int64_t horizontalFlag = 2;
    std::int64_t flags() const { return (vertical ? verticalFlag : 0) | (horizontal ? horizontalFlag : 0); }
    static MaximizedAxes fromFlags(std::int64_t flags) {
        return {(flags & verticalFlag) != 0, (flags & horizontalFlag) != 0};
    }

    friend bool operator==(const MaximizedAxes&, const MaximizedAxes&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const MaximizedAxes& axes) {
    if (!axes.any()) return os << "none";
    if (axes.vertical && axes.horizontal) return os << "both";
    return os << (axes.vertical ? "vertical" : "horizontal");
}

}  // namespace tessaly
