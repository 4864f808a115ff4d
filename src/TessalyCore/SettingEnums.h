#pragma once
// The closed choices of three settings. Each is stored and exchanged only as
// its raw-value string (user defaults, settings file); defaults for absent or
// unknown strings are the settings store's business, not these types'.
//
//   rawValue(FullscreenPolicy::detach)            -> "detach"
//   fromRawValue<AppearanceMode>("dark")           -> AppearanceMode::dark
//   fromRawValue<OffSpacePolicy>("Detach")         -> std::nullopt (exact match only)
//   allCases<AppearanceMode>()                     -> system, light, dark
#include <array>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>
#include <utility>

namespace tessaly {

// What happens to a member whose window goes full screen.
enum class FullscreenPolicy {
    suspend,  // stays in its group as a suspended tab
    detach,   // leaves its group; the other members are not raised
};

// What happens to a member found on another Space.
enum class OffSpacePolicy {
    suspend,  // suspended at once, resumed when back on the current Space
    detach,   // leaves its group once it has stayed away for the confirmation time
};

// How the tab bars look.
enum class AppearanceMode {
    system,  // follow the system appearance
    light,
    dark,
};

// Case table of a string-backed enumeration, in declaration order.
template <class E>
struct RawValueCases;

template <>
struct RawValueCases<FullscreenPolicy> {
    static constexpr std::array<std::pair<FullscreenPolicy, std::string_view>, 2> table{{
        {FullscreenPolicy::suspend, "suspend"},
        {FullscreenPolicy::detach, "detach"},
    }};
};

template <>
struct RawValueCases<OffSpacePolicy> {
    static constexpr std::array<std::pair<OffSpacePolicy, std::string_view>, 2> table{{
        {OffSpacePolicy::suspend, "suspend"},
        {OffSpacePolicy::detach, "detach"},
    }};
};

template <>
struct RawValueCases<AppearanceMode> {
    static constexpr std::array<std::pair<AppearanceMode, std::string_view>, 3> table{{
        {AppearanceMode::system, "system"},
        {AppearanceMode::light, "light"},
        {AppearanceMode::dark, "dark"},
    }};
};

template <class E>
concept RawValueEnum = requires { RawValueCases<E>::table; };

// The raw-value string of a case.
template <RawValueEnum E>
constexpr std::string_view rawValue(E value) {
    for (const auto& [c, raw] : RawValueCases<E>::table) {
        if (c == value) return raw;
    }
    return {};
}

// The case whose raw value equals `raw` exactly (case-sensitive); absent for
// any other string, the empty string included.
template <RawValueEnum E>
constexpr std::optional<E> fromRawValue(std::string_view raw) {
    for (const auto& [c, r] : RawValueCases<E>::table) {
        if (r == raw) return c;
    }
    return std::nullopt;
}

// Every case in declaration order.
template <RawValueEnum E>
constexpr auto allCases() {
    constexpr auto& table = RawValueCases<E>::table;
    std::array<E, table.size()> cases{};
    for (std::size_t i = 0; i < table.size(); ++i) cases[i] = table[i].first;
    return cases;
}

inline std::ostream& operator<<(std::ostream& os, FullscreenPolicy v) { return os << rawValue(v); }
inline std::ostream& operator<<(std::ostream& os, OffSpacePolicy v) { return os << rawValue(v); }
inline std::ostream& operator<<(std::ostream& os, AppearanceMode v) { return os << rawValue(v); }

}  // namespace tessaly
