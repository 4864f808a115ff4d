#include "TessalyCore/SettingsSnapshot.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "Platform/JsonReading.h"

namespace tessaly {

namespace {

using json = nlohmann::json;

// MARK: Dates

bool readDigits(std::string_view text, std::size_t& at, std::size_t count, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[at + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    at += count;
    return true;
}

bool expect(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

// MARK: Optional fields of the document

// The member when present and not null; a present member of another type
// than the field's is an error of the whole file.
const json* member(const json& document, const char* key) { return json_reading::optionalMember(document, key); }

[[noreturn]] void wrongType(const char* key, const char* expected) {
    throw SettingsFileError::unreadable(std::string("\"") + key + "\" must be " + expected);
}

std::optional<std::string> optionalString(const json& document, const char* key) {
    const json* value = member(document, key);
    if (!value) return std::nullopt;
    if (!value->is_string()) wrongType(key, "a string");
    return value->get<std::string>();
}

std::optional<double> optionalNumber(const json& document, const char* key) {
    const json* value = member(document, key);
    if (!value) return std::nullopt;
    if (!value->is_number()) wrongType(key, "a number");
    return value->get<double>();
}

std::optional<bool> optionalBool(const json& document, const char* key) {
    const json* value = member(document, key);
    if (!value) return std::nullopt;
    if (!value->is_boolean()) wrongType(key, "true or false");
    return value->get<bool>();
}

std::optional<std::optional<KeyCombo>> optionalHotkey(const json& document, const char* key) {
    const auto it = document.find(key);
    if (it == document.end()) return std::nullopt;          // the file says nothing
    if (it->is_null()) return std::optional<KeyCombo>();    // the hotkey is off
    const auto combo = KeyCombo::fromJSON(*it);
    if (!combo) wrongType(key, "null or an object with \"keyCode\" and \"modifiers\"");
    return std::optional<KeyCombo>(*combo);
}

template <class T>
std::optional<std::vector<T>> lenientList(const json& document, const char* key, int& dropped) {
    const auto it = document.find(key);
    if (it == document.end()) return std::nullopt;
    auto list = decodeLossyArray<T>(*it, dropped);
    if (!list) ++dropped;  // not an array at all (null included)
    return list;
}

bool holdsNonFiniteNumber(const json& value) {
    if (value.is_number_float()) return !std::isfinite(value.get<double>());
    if (value.is_structured()) {
        for (const auto& item : value) {
            if (holdsNonFiniteNumber(item)) return true;
        }
    }
    return false;
}

// A date outside the years 0...9999 has no ISO 8601 form of four digits.
bool hasISO8601Form(double secondsSince1970) {
    return secondsSince1970 >= -62167219200.0 && secondsSince1970 < 253402300800.0;
}

}  // namespace

std::string iso8601String(double secondsSince1970) {
    using namespace std::chrono;
    const double whole = std::floor(secondsSince1970);
    const auto seconds = sys_seconds(std::chrono::seconds(static_cast<std::int64_t>(whole)));
    const auto days = floor<std::chrono::days>(seconds);
    const year_month_day date(days);
    const hh_mm_ss time(seconds - days);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return buffer;
}

std::optional<double> parseISO8601(std::string_view text) {
    using namespace std::chrono;
    std::size_t at = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!readDigits(text, at, 4, y) || !expect(text, at, '-') || !readDigits(text, at, 2, mo) ||
        !expect(text, at, '-') || !readDigits(text, at, 2, d)) {
        return std::nullopt;
    }
    if (at >= text.size() || (text[at] != 'T' && text[at] != 't')) return std::nullopt;
    ++at;
    if (!readDigits(text, at, 2, h) || !expect(text, at, ':') || !readDigits(text, at, 2, mi) ||
        !expect(text, at, ':') || !readDigits(text, at, 2, s)) {
        return std::nullopt;
    }
    double fraction = 0;
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        ++at;
        double scale = 0.1;
        const std::size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            fraction += (text[at] - '0') * scale;
            scale /= 10;
            ++at;
        }
        if (at == start) return std::nullopt;
    }
    int offset = 0;  // seconds east of UTC
    if (at < text.size() && (text[at] == 'Z' || text[at] == 'z')) {
        ++at;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        const int sign = text[at] == '-' ? -1 : 1;
        ++at;
        int oh = 0, om = 0;
        if (!readDigits(text, at, 2, oh)) return std::nullopt;
        if (at < text.size()) {
            expect(text, at, ':');
            if (!readDigits(text, at, 2, om)) return std::nullopt;
        }
        if (oh > 23 || om > 59) return std::nullopt;
        offset = sign * (oh * 3600 + om * 60);
    } else {
        return std::nullopt;  // a time without a zone is not a point in time
    }
    if (at != text.size()) return std::nullopt;
    const year_month_day date{year(y), month(static_cast<unsigned>(mo)), day(static_cast<unsigned>(d))};
    if (!date.ok() || h > 23 || mi > 59 || s > 60) return std::nullopt;
    const auto days = sys_days(date).time_since_epoch().count();
    return static_cast<double>(days) * 86400.0 + h * 3600 + mi * 60 + s - offset + fraction;
}

json SettingsSnapshot::toJSON() const {
    json document = json::object();
    document["version"] = version;
    document["app"] = app;
    if (exportedAt && hasISO8601Form(*exportedAt)) {
        document["exportedAt"] = iso8601String(*exportedAt);
    }
    if (modifierGate) document["modifierGate"] = *modifierGate;
    if (holdDelay) document["holdDelay"] = *holdDelay;
    if (fullscreenPolicy) document["fullscreenPolicy"] = *fullscreenPolicy;
    if (offSpacePolicy) document["offSpacePolicy"] = *offSpacePolicy;
    if (tabBarHeight) document["tabBarHeight"] = *tabBarHeight;
    if (tabBarOpacity) document["tabBarOpacity"] = *tabBarOpacity;
    if (appearanceMode) document["appearanceMode"] = *appearanceMode;
    if (showTabBadges) document["showTabBadges"] = *showTabBadges;
    if (tabBadgeColor) document["tabBadgeColor"] = *tabBadgeColor;
    if (excludedBundleIDs) document["excludedBundleIDs"] = *excludedBundleIDs;
    if (nextTabHotkey) document["nextTabHotkey"] = *nextTabHotkey ? json(**nextTabHotkey) : json(nullptr);
    if (prevTabHotkey) document["prevTabHotkey"] = *prevTabHotkey ? json(**prevTabHotkey) : json(nullptr);
    if (colorPresets) document["colorPresets"] = *colorPresets;
    if (autoColorRules) document["autoColorRules"] = *autoColorRules;
    if (language) document["language"] = *language;
    if (launchAtLogin) document["launchAtLogin"] = *launchAtLogin;
    return document;
}

std::optional<std::string> SettingsSnapshot::encoded(std::string* error) const {
    auto fail = [&](std::string reason) -> std::optional<std::string> {
        if (error) *error = std::move(reason);
        return std::nullopt;
    };
    if (exportedAt && !hasISO8601Form(*exportedAt)) return fail("the export date cannot be written");
    try {
        const json document = toJSON();
        // JSON has no NaN or infinity; the writer would put null in their place.
        if (holdsNonFiniteNumber(document)) return fail("a setting is not a finite number");
        // nlohmann's objects keep their keys sorted at every level.
        return document.dump(2);
    } catch (const json::exception& exception) {
        return fail(exception.what());
    }
}

SettingsSnapshot SettingsSnapshot::decode(std::string_view bytes) {
    std::string problem;
    const auto document = json_reading::parseBounded(bytes, &problem);
    if (!document) throw SettingsFileError::unreadable(problem);
    return fromJSON(*document);
}

SettingsSnapshot SettingsSnapshot::fromJSON(const json& document) {
    if (!document.is_object()) throw SettingsFileError::unreadable("the document is not a JSON object");
    try {
        const auto appName = optionalString(document, "app");
        if (!appName || *appName != appIdentifier) throw SettingsFileError::notASettingsFile();
        const json* versionValue = member(document, "version");
        if (!versionValue) throw SettingsFileError::notASettingsFile();
        const auto number = json_reading::int64Value(*versionValue);
        if (!number) wrongType("version", "an integer");
        if (*number != currentVersion) throw SettingsFileError::unsupportedVersion(*number);

        SettingsSnapshot snapshot;
        if (const auto date = optionalString(document, "exportedAt")) {
            snapshot.exportedAt = parseISO8601(*date);
            if (!snapshot.exportedAt) wrongType("exportedAt", "an ISO 8601 date-time");
        }
        snapshot.modifierGate = optionalString(document, "modifierGate");
        snapshot.holdDelay = optionalNumber(document, "holdDelay");
        snapshot.fullscreenPolicy = optionalString(document, "fullscreenPolicy");
        snapshot.offSpacePolicy = optionalString(document, "offSpacePolicy");
        snapshot.tabBarHeight = optionalNumber(document, "tabBarHeight");
        snapshot.tabBarOpacity = optionalNumber(document, "tabBarOpacity");
        snapshot.appearanceMode = optionalString(document, "appearanceMode");
        snapshot.showTabBadges = optionalBool(document, "showTabBadges");
        if (const json* color = member(document, "tabBadgeColor")) {
            snapshot.tabBadgeColor = TabColor::fromJSON(*color);
            if (!snapshot.tabBadgeColor) wrongType("tabBadgeColor", "a colour");
        }
        if (const json* ids = member(document, "excludedBundleIDs")) {
            if (!ids->is_array()) wrongType("excludedBundleIDs", "an array of strings");
            std::vector<std::string> list;
            for (const auto& id : *ids) {
                if (!id.is_string()) wrongType("excludedBundleIDs", "an array of strings");
                list.push_back(id.get<std::string>());
            }
            snapshot.excludedBundleIDs = std::move(list);
        }
        snapshot.language = optionalString(document, "language");
        snapshot.launchAtLogin = optionalBool(document, "launchAtLogin");
        snapshot.nextTabHotkey = optionalHotkey(document, "nextTabHotkey");
        snapshot.prevTabHotkey = optionalHotkey(document, "prevTabHotkey");
        int dropped = 0;
        snapshot.colorPresets = lenientList<ColorPreset>(document, "colorPresets", dropped);
        snapshot.autoColorRules = lenientList<AutoColorRule>(document, "autoColorRules", dropped);
        snapshot.droppedItemCount = dropped;
        return snapshot;
    } catch (const json::exception& exception) {
        throw SettingsFileError::unreadable(exception.what());
    }
}

}  // namespace tessaly
