#pragma once
// Careful reading of JSON that comes from files: a size and nesting cap before
// parsing, and exact conversions of JSON numbers into integer fields.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "Platform/Uuid.h"

namespace tessaly::json_reading {

inline constexpr std::size_t maxDocumentBytes = 1024 * 1024;  // 1 MiB
inline constexpr int maxNestingDepth = 64;

// Whether arrays and objects nest deeper than `limit` anywhere in `text`
// (brackets inside strings do not count). Does not validate the JSON.
bool nestsDeeperThan(std::string_view text, int limit);

// Parses a whole document after checking its size and nesting. On failure
// answers absent and puts a short reason into `error` (when given).
std::optional<nlohmann::json> parseBounded(std::string_view text, std::string* error = nullptr,
                                           std::size_t maxBytes = maxDocumentBytes,
                                           int maxDepth = maxNestingDepth);

// An integral JSON number (an integer, or a float with no fractional part)
// that fits in [min, max]; absent for anything else.
std::optional<std::int64_t> integerInRange(const nlohmann::json& value, std::int64_t min, std::int64_t max);

std::optional<std::uint32_t> uint32Value(const nlohmann::json& value);
std::optional<std::int32_t> int32Value(const nlohmann::json& value);
std::optional<std::int64_t> int64Value(const nlohmann::json& value);

// Throwing variants for decoders built on nlohmann's exceptions: a value of
// the wrong type or range throws nlohmann::json::type_error.
std::uint32_t requireUInt32(const nlohmann::json& value, const char* what);
std::int32_t requireInt32(const nlohmann::json& value, const char* what);
double requireNumber(const nlohmann::json& value, const char* what);
const std::string& requireString(const nlohmann::json& value, const char* what);
// A UUID written as 8-4-4-4-12 hex text.
Uuid requireUuid(const nlohmann::json& value, const char* what);
// The member `key` of object `object`; throws when the object lacks it.
const nlohmann::json& requireMember(const nlohmann::json& object, const char* key);
// The member `key`, absent when missing or null.
const nlohmann::json* optionalMember(const nlohmann::json& object, const char* key);

}  // namespace tessaly::json_reading
