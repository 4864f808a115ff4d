#pragma once
// A named colour the user keeps for quick use.
//
// JSON: {"id": "<UUID>", "name": "...", "color": {"red", "green", "blue"}};
// all three members are required.
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "Platform/Uuid.h"
#include "TessalyCore/TabColor.h"

namespace tessaly {

struct ColorPreset {
    Uuid id;
    std::string name;
    TabColor color;

    ColorPreset() = default;
    ColorPreset(Uuid presetID, std::string presetName, TabColor presetColor)
        : id(presetID), name(std::move(presetName)), color(presetColor) {}

    friend bool operator==(const ColorPreset&, const ColorPreset&) = default;
};

// Reading throws nlohmann::json::exception for a missing member, a wrong type
// or an unreadable UUID.
void to_json(nlohmann::json& json, const ColorPreset& preset);
void from_json(const nlohmann::json& json, ColorPreset& preset);

}  // namespace tessaly
