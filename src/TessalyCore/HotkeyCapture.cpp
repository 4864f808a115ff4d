#include "TessalyCore/HotkeyCapture.h"

#include <algorithm>
#include <array>
#include <ostream>

namespace tessaly {

namespace {

constexpr std::uint32_t escapeKey = 53;
constexpr std::uint32_t deleteKey = 51;

// F1 to F20, in order.
constexpr std::array<std::uint32_t, 20> functionKeys{122, 120, 99,  118, 96,  97, 98, 100, 101, 109,
                                                     103, 111, 105, 107, 113, 106, 64, 79,  80,  90};

}  // namespace

bool HotkeyCapture::isFunctionKey(std::uint32_t keyCode) {
    return std::find(functionKeys.begin(), functionKeys.end(), keyCode) != functionKeys.end();
}

HotkeyCapture HotkeyCapture::evaluate(std::uint32_t keyCode, HotkeyModifiers modifiers) {
    if (modifiers.isEmpty()) {
        if (keyCode == escapeKey) return cancel();
        if (keyCode == deleteKey) return clear();
    }
    const HotkeyModifiers commandOptionControl =
        HotkeyModifiers::command | HotkeyModifiers::option | HotkeyModifiers::control;
    if (modifiers.intersects(commandOptionControl)) return captured(KeyCombo(keyCode, modifiers));
    if (isFunctionKey(keyCode)) return captured(KeyCombo(keyCode, modifiers));
    return rejected();
}

std::ostream& operator<<(std::ostream& os, const HotkeyCapture& capture) {
    switch (capture.kind) {
        case HotkeyCapture::Kind::captured: return os << "captured(" << capture.combo << ")";
        case HotkeyCapture::Kind::cancel: return os << "cancel";
        case HotkeyCapture::Kind::clear: return os << "clear";
        case HotkeyCapture::Kind::rejected: return os << "rejected";
    }
    return os;
}

}  // namespace tessaly
