#include "TessalyCore/HotkeyCapture.h"

#include <algorithm>
#include <ostream>

namespace tessaly {

bool HotkeyCapture::isFunctionKey(std::uint32_t keyCode) {
    return std::find(HotkeyKeyCode::functionKeys.begin(), HotkeyKeyCode::functionKeys.end(), keyCode) !=
           HotkeyKeyCode::functionKeys.end();
}

HotkeyCapture HotkeyCapture::evaluate(std::uint32_t keyCode, HotkeyModifiers modifiers) {
    if (modifiers.isEmpty()) {
        if (keyCode == HotkeyKeyCode::escape) return cancel();
        if (keyCode == HotkeyKeyCode::deleteBackward) return clear();
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
