#pragma once
// What drag-to-group needs from the user's settings: the modifier that must be
// held for a drop to group, and how long the pointer must rest on the same
// target before the insert preview shows.
#include <array>
#include <ostream>
#include <string_view>
#include <utility>

#include "Platform/InputMonitor.h"
#include "TessalyCore/SettingEnums.h"

namespace tessaly {

struct DragSettings {
    enum class ModifierGate {
        none,     // always satisfied
        shift,    // InputFlags::shift
        control,  // InputFlags::control
        option,   // InputFlags::alternate
    };

    ModifierGate modifierGate = ModifierGate::shift;
    double holdDelay = 0.3;  // seconds

    friend bool operator==(const DragSettings&, const DragSettings&) = default;
};

using ModifierGate = DragSettings::ModifierGate;

// Whether `flags` (an event's modifier bits) hold the gate's modifier; other
// modifiers held at the same time do not matter.
constexpr bool satisfied(ModifierGate gate, EventFlags flags) {
    switch (gate) {
        case ModifierGate::none: return true;
        case ModifierGate::shift: return (flags & InputFlags::shift) != 0;
        case ModifierGate::control: return (flags & InputFlags::control) != 0;
        case ModifierGate::option: return (flags & InputFlags::alternate) != 0;
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
