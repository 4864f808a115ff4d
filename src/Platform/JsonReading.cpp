#include "Platform/JsonReading.h"

#include <cmath>
#include <limits>

namespace tessaly::json_reading {

namespace {

[[noreturn]] void throwType(const char* what, const char* expected) {
    throw nlohmann::json::type_error::create(302, std::string(what) + " must be " + expected, nullptr);
}

}  // namespace

bool nestsDeeperThan(std::string_view text, int limit) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) escaped = false;
            else if (c == '\\') escaped = true;
            else if (c == '"') inString = false;
            continue;
        }
        switch (c) {
            case '"': inString = true; break;
            case '[':
            case '{':
                if (++depth > limit) return true;
                break;
            case ']':
            case '}':
                if (depth > 0) --depth;
                break;
            default: break;
        }
    }
    return false;
}

std::optional<nlohmann::json> parseBounded(std::string_view text, std::string* error, std::size_t maxBytes,
                                           int maxDepth) {
    auto fail = [&](std::string reason) -> std::optional<nlohmann::json> {
        if (error) *error = std::move(reason);
        return std::nullopt;
    };
    if (text.size() > maxBytes) return fail("document larger than " + std::to_string(maxBytes) + " bytes");
    if (nestsDeeperThan(text, maxDepth)) return fail("document nested deeper than " + std::to_string(maxDepth));
    nlohmann::json parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded()) return fail("not valid JSON");
    return parsed;
}

std::optional<std::int64_t> integerInRange(const nlohmann::json& value, std::int64_t min, std::int64_t max) {
    if (value.is_number_unsigned()) {
        const auto v = value.get<std::uint64_t>();
        if (v > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
        const auto s = static_cast<std::int64_t>(v);
        if (s < min || s > max) return std::nullopt;
        return s;
    }
    if (value.is_number_integer()) {
        const auto v = value.get<std::int64_t>();
        if (v < min || v > max) return std::nullopt;
        return v;
    }
    if (value.is_number_float()) {
        const double d = value.get<double>();
        if (!std::isfinite(d) || std::trunc(d) != d) return std::nullopt;
        // Doubles at or beyond 2^63 cannot be converted safely.
        if (d < -9.2e18 || d > 9.2e18) return std::nullopt;
        const auto v = static_cast<std::int64_t>(d);
        if (v < min || v > max) return std::nullopt;
        return v;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> uint32Value(const nlohmann::json& value) {
    const auto v = integerInRange(value, 0, std::numeric_limits<std::uint32_t>::max());
    if (!v) return std::nullopt;
    return static_cast<std::uint32_t>(*v);
}

std::optional<std::int32_t> int32Value(const nlohmann::json& value) {
    const auto v = integerInRange(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::optional<std::int64_t> int64Value(const nlohmann::json& value) {
    return integerInRange(value, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
}

std::uint32_t requireUInt32(const nlohmann::json& value, const char* what) {
    if (const auto v = uint32Value(value)) return *v;
    throwType(what, "an unsigned 32-bit integer");
}

std::int32_t requireInt32(const nlohmann::json& value, const char* what) {
    if (const auto v = int32Value(value)) return *v;
    throwType(what, "a signed 32-bit integer");
}

double requireNumber(const nlohmann::json& value, const char* what) {
    if (!value.is_number()) throwType(what, "a number");
    return value.get<double>();
}

const std::string& requireString(const nlohmann::json& value, const char* what) {
    if (!value.is_string()) throwType(what, "a string");
    return value.get_ref<const std::string&>();
}

Uuid requireUuid(const nlohmann::json& value, const char* what) {
    if (const auto id = Uuid::fromString(requireString(value, what))) return *id;
    throwType(what, "a UUID");
}

const nlohmann::json& requireMember(const nlohmann::json& object, const char* key) {
    if (!object.is_object()) throwType(key, "a member of an object");
    const auto it = object.find(key);
    if (it == object.end()) {
        throw nlohmann::json::out_of_range::create(403, std::string("key '") + key + "' not found", nullptr);
    }
    return *it;
}

const nlohmann::json* optionalMember(const nlohmann::json& object, const char* key) {
    if (!object.is_object()) throwType(key, "a member of an object");
    const auto it = object.find(key);
    if (it == object.end() || it->is_null()) return nullptr;
    return &*it;
}

}  // namespace tessaly::json_reading
