#include "TessalyCore/ColorPreset.h"

#include <nlohmann/json.hpp>

#include "Platform/JsonReading.h"

namespace tessaly {

void to_json(nlohmann::json& json, const ColorPreset& preset) {
    json = nlohmann::json::object();
    json["id"] = preset.id.uuidString();
    json["name"] = preset.name;
    json["color"] = preset.color;
}

void from_json(const nlohmann::json& json, ColorPreset& preset) {
    using namespace json_reading;
    preset.id = requireUuid(requireMember(json, "id"), "id");
    preset.name = requireString(requireMember(json, "name"), "name");
    preset.color = requireMember(json, "color").get<TabColor>();
}

}  // namespace tessaly
