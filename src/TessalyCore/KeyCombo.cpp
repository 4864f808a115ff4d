#include "TessalyCore/KeyCombo.h"

#include <nlohmann/json.hpp>

#include "Platform/JsonReading.h"

namespace tessaly {

void to_json(nlohmann::json& json, const KeyCombo& combo) {
    json = nlohmann::json::object();
    json["keyCode"] = combo.keyCode;
    json["modifiers"] = combo.modifiers.rawValue;
}

void from_json(const nlohmann::json& json, KeyCombo& combo) {
    using namespace json_reading;
    const auto keyCode = requireUInt32(requireMember(json, "keyCode"), "keyCode");
    const auto modifiers = requireUInt32(requireMember(json, "modifiers"), "modifiers");
    combo = KeyCombo(keyCode, HotkeyModifiers(modifiers));
}

std::optional<KeyCombo> KeyCombo::fromJSON(const nlohmann::json& json) {
    // The same reading as from_json, with its refusals answered as absent.
    try {
        return json.get<KeyCombo>();
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

std::ostream& operator<<(std::ostream& os, const KeyCombo& combo) {
    return os << "KeyCombo(" << combo.keyCode << ", 0x" << std::hex << combo.modifiers.rawValue << std::dec << ")";
}

}  // namespace tessaly
