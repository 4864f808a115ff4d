#pragma once
// The stored form of a keyboard shortcut: a virtual key code and a set of
// modifier bits. Both are kept exactly as stored (the macOS virtual key codes
// and Carbon modifier bits: Right Arrow 124, Control+Option 0x1800), so a
// settings file reads the same on every machine; only the X11 backend turns
// them into keycodes and masks.
//
// JSON form: {"keyCode": 124, "modifiers": 6144}. Both members are required
// and must be unsigned 32-bit integers.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>

#include <nlohmann/json_fwd.hpp>

namespace tessaly {

// An option set over the Carbon modifier bits. Bits other than the four
// named ones may be present and are kept.
struct HotkeyModifiers {
    std::uint32_t rawValue = 0;

    constexpr HotkeyModifiers() = default;
    constexpr explicit HotkeyModifiers(std::uint32_t raw) : rawValue(raw) {}

    static const HotkeyModifiers command;  // 0x100
    static const HotkeyModifiers shift;    // 0x200
    static const HotkeyModifiers option;   // 0x800
    static const HotkeyModifiers control;  // 0x1000

    constexpr bool isEmpty() const { return rawValue == 0; }
    constexpr bool contains(HotkeyModifiers other) const { return (rawValue & other.rawValue) == other.rawValue; }
    // Whether any bit of `other` is set here.
    constexpr bool intersects(HotkeyModifiers other) const { return (rawValue & other.rawValue) != 0; }
    constexpr bool isSubset(HotkeyModifiers of) const { return (rawValue & ~of.rawValue) == 0; }
    constexpr bool isSuperset(HotkeyModifiers of) const { return of.isSubset(*this); }
    constexpr void insert(HotkeyModifiers other) { rawValue |= other.rawValue; }
    constexpr void remove(HotkeyModifiers other) { rawValue &= ~other.rawValue; }

    friend constexpr HotkeyModifiers operator|(HotkeyModifiers a, HotkeyModifiers b) {
        return HotkeyModifiers(a.rawValue | b.rawValue);
    }
    friend constexpr HotkeyModifiers operator&(HotkeyModifiers a, HotkeyModifiers b) {
        return HotkeyModifiers(a.rawValue & b.rawValue);
    }
    friend constexpr HotkeyModifiers operator^(HotkeyModifiers a, HotkeyModifiers b) {
        return HotkeyModifiers(a.rawValue ^ b.rawValue);
    }
    friend constexpr bool operator==(HotkeyModifiers, HotkeyModifiers) = default;
};

inline constexpr HotkeyModifiers HotkeyModifiers::command{0x100};
inline constexpr HotkeyModifiers HotkeyModifiers::shift{0x200};
inline constexpr HotkeyModifiers HotkeyModifiers::option{0x800};
inline constexpr HotkeyModifiers HotkeyModifiers::control{0x1000};

// Named virtual key codes.
namespace HotkeyKeyCode {
inline constexpr std::uint32_t tab = 48;
inline constexpr std::uint32_t leftArrow = 123;
inline constexpr std::uint32_t rightArrow = 124;
inline constexpr std::uint32_t pageUp = 116;
inline constexpr std::uint32_t pageDown = 121;
inline constexpr std::uint32_t escape = 53;
inline constexpr std::uint32_t deleteBackward = 51;
// F1 to F20, in order.
inline constexpr std::array<std::uint32_t, 20> functionKeys{122, 120, 99,  118, 96,  97, 98, 100, 101, 109,
                                                            103, 111, 105, 107, 113, 106, 64, 79,  80,  90};
}  // namespace HotkeyKeyCode

struct KeyCombo {
    std::uint32_t keyCode = 0;
    HotkeyModifiers modifiers;

    constexpr KeyCombo() = default;
    constexpr KeyCombo(std::uint32_t code, HotkeyModifiers mods) : keyCode(code), modifiers(mods) {}

    // Control-Option-Right Arrow and Control-Option-Left Arrow.
    static const KeyCombo defaultNextTab;
    static const KeyCombo defaultPrevTab;

    // Non-throwing read of the JSON form; absent unless both members are
    // unsigned 32-bit integers.
    static std::optional<KeyCombo> fromJSON(const nlohmann::json& json);

    friend constexpr bool operator==(const KeyCombo&, const KeyCombo&) = default;
};

inline constexpr KeyCombo KeyCombo::defaultNextTab{HotkeyKeyCode::rightArrow,
                                                   HotkeyModifiers::control | HotkeyModifiers::option};
inline constexpr KeyCombo KeyCombo::defaultPrevTab{HotkeyKeyCode::leftArrow,
                                                   HotkeyModifiers::control | HotkeyModifiers::option};

// The JSON form. Reading throws nlohmann::json::exception for a missing
// member or a value that is not an unsigned 32-bit integer.
void to_json(nlohmann::json& json, const KeyCombo& combo);
void from_json(const nlohmann::json& json, KeyCombo& combo);

std::ostream& operator<<(std::ostream& os, const KeyCombo& combo);

}  // namespace tessaly

template <>
struct std::hash<tessaly::KeyCombo> {
    std::size_t operator()(const tessaly::KeyCombo& combo) const noexcept {
        return (static_cast<std::size_t>(combo.keyCode) << 32) ^ combo.modifiers.rawValue;
    }
};
