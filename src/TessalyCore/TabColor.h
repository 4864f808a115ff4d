#pragma once
// The one colour value of the program: tab and group accents, the badge pill,
// colour presets and auto-colour rules. Three sRGB components in 0...1, no
// alpha. Every constructed colour is clamped into range.
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace tessaly {

struct TabColor {
    double red = 0;
    double green = 0;
    double blue = 0;

    TabColor() = default;
    // Clamps each component: <= 0 becomes 0, > 1 becomes 1 (NaN becomes 0).
    constexpr TabColor(double redValue, double greenValue, double blueValue)
        : red(clamp(redValue)), green(clamp(greenValue)), blue(clamp(blueValue)) {}

    static constexpr double clamp(double value) {
        if (!(value > 0)) return 0;  // also NaN
        return value > 1 ? 1 : value;
    }

    // Parses "#RRGGBB", "RRGGBB", "#RGB" or "RGB" (either letter case,
    // surrounding white space allowed); absent for anything else.
    static std::optional<TabColor> fromHex(std::string_view text);

    // "#RRGGBB" in upper case, each component rounded half away from zero.
    std::string hexString() const;

    // Whether text drawn on this colour should be dark (relative luminance
    // strictly above one half).
    bool prefersDarkText() const;

    static const TabColor defaultAccent;
    static const TabColor defaultBadge;

    // Non-throwing JSON read: absent unless "red", "green" and "blue" are all
    // numbers.
    static std::optional<TabColor> fromJSON(const nlohmann::json& json);

    friend bool operator==(const TabColor&, const TabColor&) = default;
};

inline constexpr TabColor TabColor::defaultAccent{0.04, 0.52, 1.0};
inline constexpr TabColor TabColor::defaultBadge{0.04, 0.52, 1.0};

// The JSON form {"red": r, "green": g, "blue": b}. Reading clamps; a missing
// or non-numeric member throws nlohmann::json::exception.
void to_json(nlohmann::json& json, const TabColor& color);
void from_json(const nlohmann::json& json, TabColor& color);

std::ostream& operator<<(std::ostream& os, const TabColor& color);

}  // namespace tessaly

template <>
struct std::hash<tessaly::TabColor> {
    std::size_t operator()(const tessaly::TabColor& color) const noexcept;
};
