#pragma once
// All settings as one value: the content of a settings file.
//
// The file is one JSON object, pretty-printed with its keys sorted at every
// level, so the same settings always give the same bytes:
//   {
//     "app": "Tessaly",
//     "exportedAt": "2026-01-31T09:15:00Z",
//     "nextTabHotkey": {"keyCode": 124, "modifiers": 6144},
//     "prevTabHotkey": null,            <- the hotkey is off
//     "version": 1,
//     ...
//   }
// An absent field leaves its key out. Reading checks "app", then "version",
// then reads each field by its JSON type; bad entries of the two colour lists
// are dropped and counted instead of failing the file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "TessalyCore/AutoColorRule.h"
#include "TessalyCore/ColorPreset.h"
#include "TessalyCore/KeyCombo.h"
#include "TessalyCore/SettingsFileError.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

struct SettingsSnapshot {
    static constexpr std::int64_t currentVersion = 1;
    static constexpr std::string_view appIdentifier = "Tessaly";

    std::int64_t version = currentVersion;
    std::string app{appIdentifier};
    std::optional<double> exportedAt;  // seconds since 1970; written to whole seconds
    std::optional<std::string> modifierGate;
    std::optional<double> holdDelay;
    std::optional<std::string> fullscreenPolicy;
    std::optional<std::string> offSpacePolicy;
    std::optional<double> tabBarHeight;
    std::optional<double> tabBarOpacity;
    std::optional<std::string> appearanceMode;
    std::optional<bool> showTabBadges;
    std::optional<TabColor> tabBadgeColor;
    std::optional<std::vector<std::string>> excludedBundleIDs;
    // Absent: the file says nothing; present and empty: the hotkey is off.
    std::optional<std::optional<KeyCombo>> nextTabHotkey;
    std::optional<std::optional<KeyCombo>> prevTabHotkey;
    std::optional<std::vector<ColorPreset>> colorPresets;
    std::optional<std::vector<AutoColorRule>> autoColorRules;
    std::optional<std::string> language;
    std::optional<bool> launchAtLogin;
    // Not part of the file: how many colour-list entries a read left out.
    int droppedItemCount = 0;

    // The JSON document (without droppedItemCount).
    nlohmann::json toJSON() const;
    // The bytes of the file. Absent only when the document cannot be written
    // (text that is not UTF-8); `error` then says why.
    std::optional<std::string> encoded(std::string* error = nullptr) const;

    // Reads a file. Throws SettingsFileError: notASettingsFile or
    // unsupportedVersion from the identity checks, unreadable for anything
    // else (not JSON, over 1 MiB, nested deeper than 64, a wrong type, a bad
    // colour, hotkey or date).
    static SettingsSnapshot decode(std::string_view bytes);
    static SettingsSnapshot fromJSON(const nlohmann::json& document);

    friend bool operator==(const SettingsSnapshot&, const SettingsSnapshot&) = default;
};

// One element read without failing: `element` is absent when the JSON does
// not decode as a T (the error is dropped). Only ever read, never written.
template <class T>
struct Lossy {
    std::optional<T> element;

    static Lossy decode(const nlohmann::json& value) {
        Lossy result;
        try {
            result.element = value.get<T>();
        } catch (const std::exception&) {
        }
        return result;
    }
};

// Decodes each element of a JSON array on its own: the elements that decode,
// in order, and how many did not. Absent when the value is not an array.
template <class T>
std::optional<std::vector<T>> decodeLossyArray(const nlohmann::json& value, int& dropped) {
    if (!value.is_array()) return std::nullopt;
    std::vector<T> kept;
    kept.reserve(value.size());
    for (const auto& item : value) {
        if (auto lossy = Lossy<T>::decode(item); lossy.element) kept.push_back(std::move(*lossy.element));
        else ++dropped;
    }
    return kept;
}

// ISO 8601 date-times in UTC to the second ("2026-01-31T09:15:00Z"). Reading
// also takes fractional seconds and offsets ("2026-01-31T10:15:00.25+01:00").
std::string iso8601String(double secondsSince1970);
std::optional<double> parseISO8601(std::string_view text);

}  // namespace tessaly
