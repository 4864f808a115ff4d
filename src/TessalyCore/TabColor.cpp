#include "TessalyCore/TabColor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "TessalyCore/UnicodeText.h"

namespace tessaly {

namespace {

bool isASCIIHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

double linearComponent(double c) {
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

std::optional<TabColor> TabColor::fromHex(std::string_view text) {
    const std::string trimmed = trimmingWhitespaceAndNewlines(text);
    std::string_view digitsText = trimmed;
    if (!digitsText.empty() && digitsText.front() == '#') digitsText.remove_prefix(1);
    if (digitsText.empty()) return std::nullopt;

    // Only ASCII hexadecimal digits lead to a colour; three digits are
    // widened by writing each twice.
    if (!std::all_of(digitsText.begin(), digitsText.end(), isASCIIHexDigit)) return std::nullopt;
    std::string digits;
    if (digitsText.size() == 6) {
        digits = digitsText;
    } else if (digitsText.size() == 3) {
        for (const char c : digitsText) digits.append(2, c);
    } else {
        return std::nullopt;
    }
    std::uint32_t v = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return TabColor(static_cast<double>((v >> 16) & 0xFF) / 255.0, static_cast<double>((v >> 8) & 0xFF) / 255.0,
                    static_cast<double>(v & 0xFF) / 255.0);
}

std::string TabColor::hexString() const {
    // A component outside 0...1 (only possible by assigning a field) is
    // written clamped, and NaN as 0, so the text is always "#RRGGBB".
    auto byte = [](double c) { return static_cast<unsigned>(std::llround(TabColor::clamp(c) * 255.0)); };
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", byte(red), byte(green), byte(blue));
    return buffer;
}

bool TabColor::prefersDarkText() const {
    const double luminance =
        linearComponent(red) * 0.2126 + linearComponent(green) * 0.7152 + linearComponent(blue) * 0.0722;
    return luminance > 0.5;
}

std::optional<TabColor> TabColor::fromJSON(const nlohmann::json& json) {
    // The same reading as from_json, with its refusals answered as absent.
    try {
        return json.get<TabColor>();
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

void to_json(nlohmann::json& json, const TabColor& color) {
    json = nlohmann::json::object();
    json["red"] = color.red;
    json["green"] = color.green;
    json["blue"] = color.blue;
}

void from_json(const nlohmann::json& json, TabColor& color) {
    if (!json.is_object()) {
        throw nlohmann::json::type_error::create(302, "a colour must be an object", &json);
    }
    for (const char* key : {"red", "green", "blue"}) {
        const auto it = json.find(key);
        if (it == json.end()) {
            throw nlohmann::json::out_of_range::create(403, std::string("colour lacks \"") + key + "\"", &json);
        }
        if (!it->is_number()) {
            throw nlohmann::json::type_error::create(302, std::string("colour \"") + key + "\" is not a number",
                                                     &json);
        }
    }
    color = TabColor(json.at("red").get<double>(), json.at("green").get<double>(), json.at("blue").get<double>());
}

std::ostream& operator<<(std::ostream& os, const TabColor& color) {
    return os << "TabColor(" << color.red << ", " << color.green << ", " << color.blue << ")";
}

}  // namespace tessaly

std::size_t std::hash<tessaly::TabColor>::operator()(const tessaly::TabColor& color) const noexcept {
    // Adding 0.0 folds -0.0 into 0.0, which compare equal.
    const std::hash<double> h;
    std::size_t seed = h(color.red + 0.0);
    seed ^= h(color.green + 0.0) + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
    seed ^= h(color.blue + 0.0) + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
    return seed;
}
