#pragma once
// What drag-to-group needs from the user's settings: the modifier that must be
// held for a drop to group, and how long the pointer must rest on the same
// target before the insert preview shows.
#include <array>
#include <cstdint>
#include <ostream>
#include <string_view>
#include <utility>

#include "TessalyCore/SettingEnums.h"

namespace tessaly {

// Modifier bits of a mouse event's flags (the event tap reports them in this
// form whatever the backend).
namespace EventFlagMask {
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t alternate = 0x80000;
inline constexpr std::uint64_t command = 0x100000;
}  // namespace EventFlagMask

struct DragSettings {
    enum class ModifierGate {
        none,     // always satisfied
        shift,    // EventFlagMask::shift
        control,  // EventFlagMask::control
        option,   // EventFlagMask::alternate
    };

    ModifierGate modifierGate = ModifierGate::shift;
    double holdDelay = 0.3;  // seconds

    friend bool operator==(const DragSettings&, const DragSettings&) = default;
};

using ModifierGate = DragSettings::ModifierGate;

// Whether `flags` hold the gate's modifier; other modifiers held at the same
// time do not matter.
constexpr bool satisfied(ModifierGate gate, std::uint64_t flags) {
    switch (gate) {
        case ModifierGate::none: return true;
        case ModifierGate::shift: return (flags & EventFlagMask::shift) != 0;
        case ModifierGate::control: return (flags & EventFlagMask::control) != 0;
        case ModifierGate::option: return (flags & EventFlagMask::alternate) != 0;
    }
    return false;
}

// Raw values "none", "shift", "control", "option" (rawValue, fromRawValue and
// allCases of SettingEnums.h apply).
template <>
struct RawValueCases<DragSettings::ModifierGate> {
    static constexpr std::array<std::pair<DragSettings::ModifierGate, std::string_view>, 4> table{{
        {DragSettings::ModifierGate::none, "none"},
        {DragSettings::ModifierGate::shift, "shift"},
        {DragSettings::ModifierGate::control, "control"},
        {DragSettings::ModifierGate::option, "option"},
    }};
};

inline std::ostream& operator<<(std::ostream& os, DragSettings::ModifierGate gate) { return os << rawValue(gate); }

}  // namespace tessaly
