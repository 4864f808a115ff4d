#include "TessalyCore/KeyComboDisplay.h"

#include <limits>
#include <unordered_map>

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include "TessalyCore/L10n.h"
#include "TessalyCore/UnicodeText.h"

namespace tessaly {

namespace {

// Keys named alike in every language.
const std::unordered_map<std::uint32_t, std::string>& specialKeyNames() {
    static const std::unordered_map<std::uint32_t, std::string> names = [] {
        std::unordered_map<std::uint32_t, std::string> table{
            {HotkeyKeyCode::leftArrow, "←"}, {HotkeyKeyCode::rightArrow, "→"}, {126, "↑"}, {125, "↓"},
            {HotkeyKeyCode::tab, "Tab"}, {36, "Return"}, {76, "Enter"}, {HotkeyKeyCode::escape, "Esc"},
        };
        for (std::size_t i = 0; i < HotkeyKeyCode::functionKeys.size(); ++i) {
            table.emplace(HotkeyKeyCode::functionKeys[i], "F" + std::to_string(i + 1));
        }
        return table;
    }();
    return names;
}

std::string uppercased(const std::string& text) {
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    unicode.toUpper(icu::Locale::getRoot());
    std::string out;
    unicode.toUTF8String(out);
    return out;
}

// Keys whose names the display language gives.
std::optional<std::string> translatedKeyName(std::uint32_t keyCode) {
    switch (keyCode) {
    case 49: return L10n::keySpace();
    case HotkeyKeyCode::deleteBackward: return L10n::keyBackspace();
    case 117: return L10n::keyDelete();
    case 114: return L10n::keyInsert();
    case 115: return L10n::keyHome();
    case 119: return L10n::keyEnd();
    case 116: return L10n::keyPageUp();
    case 121: return L10n::keyPageDown();
    default: return std::nullopt;
    }
}

}  // namespace

std::optional<std::string> layoutKeyName(std::uint32_t keyCode, const KeyboardLayout* layout) {
    if (!layout || keyCode > std::numeric_limits<std::uint16_t>::max()) return std::nullopt;
    const std::optional<std::string> text = layout->displayText(static_cast<std::uint16_t>(keyCode));
    if (!text) return std::nullopt;
    const std::string trimmed = trimmingWhitespaceAndNewlines(*text);
    if (trimmed.empty()) return std::nullopt;
    return uppercased(trimmed);
}

std::string keyName(std::uint32_t keyCode, const KeyboardLayout* layout) {
    if (auto name = translatedKeyName(keyCode)) return *name;
    const auto& names = specialKeyNames();
    if (const auto it = names.find(keyCode); it != names.end()) return it->second;
    if (auto name = layoutKeyName(keyCode, layout)) return *name;
    return "Key " + std::to_string(keyCode);
}

std::string modifierName(HotkeyModifiers modifier) {
    if (modifier == HotkeyModifiers::control) return L10n::keyControl();
    for (const auto& [candidate, name] : modifierNames) {
        if (candidate == modifier) return std::string(name);
    }
    return {};
}

std::string displayString(const KeyCombo& combo, const KeyboardLayout* layout) {
    std::string text;
    for (const auto& [modifier, name] : modifierNames) {
        if (!combo.modifiers.contains(modifier)) continue;
        text += modifierName(modifier);
        text += '+';
    }
    return text + keyName(combo.keyCode, layout);
}

std::string displayString(const KeyCombo& combo) {
    const std::shared_ptr<const KeyboardLayout> layout = KeyboardLayout::current();
    return displayString(combo, layout.get());
}

}  // namespace tessaly
