#include "TessalyCore/SettingsSnapshot.h"

#include <limits>

#include <gtest/gtest.h>

namespace tessaly {
namespace {

using json = nlohmann::json;

SettingsFileError decodeError(const std::string& text) {
    try {
        (void)SettingsSnapshot::decode(text);
    } catch (const SettingsFileError& error) {
        return error;
    }
    ADD_FAILURE() << "decoded: " << text;
    return SettingsFileError::unreadable("none");
}

SettingsSnapshot decode(const std::string& text) { return SettingsSnapshot::decode(text); }

SettingsSnapshot fullSnapshot() {
    SettingsSnapshot s;
    s.exportedAt = 1'800'000'000.75;
    s.modifierGate = "option";
    s.holdDelay = 0.45;
    s.fullscreenPolicy = "detach";
    s.offSpacePolicy = "suspend";
    s.tabBarHeight = 36;
    s.tabBarOpacity = 0.8;
    s.appearanceMode = "dark";
    s.showTabBadges = true;
    s.tabBadgeColor = TabColor(0.1, 0.2, 0.3);
    s.excludedBundleIDs = std::vector<std::string>{"a.b", "C.d"};
    s.nextTabHotkey = std::optional<KeyCombo>(KeyCombo(48, HotkeyModifiers::control));
    s.prevTabHotkey = std::optional<KeyCombo>();
    s.colorPresets = std::vector<ColorPreset>{ColorPreset(Uuid::random(), "Work", TabColor(1, 0, 0))};
    s.autoColorRules = std::vector<AutoColorRule>{
        AutoColorRule(Uuid::random(), {"z", "y"}, "(?i)mail", MatchRule::TitleMatch::regex, TabColor(0, 1, 0)),
        AutoColorRule(Uuid::random(), {}, std::nullopt, MatchRule::TitleMatch::contains, TabColor(0, 0, 1))};
    s.language = "de";
    s.launchAtLogin = false;
    return s;
}

TEST(SettingsSnapshotTests, IdentityChecksComeFirstAndInOrder) {
    EXPECT_EQ(decodeError(R"({"app":"Tessaly"})"), SettingsFileError::notASettingsFile());
    EXPECT_EQ(decodeError(R"({"version":1})"), SettingsFileError::notASettingsFile());
    EXPECT_EQ(decodeError(R"({"app":"Tessaly","version":null})"), SettingsFileError::notASettingsFile());
    EXPECT_EQ(decodeError(R"({"app":"Tessaly","version":2})"), SettingsFileError::unsupportedVersion(2));
    EXPECT_EQ(decodeError(R"({"app":"Tessaly","version":0})"), SettingsFileError::unsupportedVersion(0));
    EXPECT_EQ(decodeError(R"({"app":"Tessaly","version":-3})"), SettingsFileError::unsupportedVersion(-3));
    EXPECT_EQ(decodeError(R"({"app":"Other","version":2})"), SettingsFileError::notASettingsFile());
    EXPECT_EQ(decodeError(R"({"app":"tessaly","version":1})"), SettingsFileError::notASettingsFile());
    EXPECT_EQ(decodeError(R"({"app":7,"version":1})").kind(), SettingsFileError::Kind::unreadable);
    EXPECT_EQ(decodeError(R"({"app":"Tessaly","version":"1"})").kind(), SettingsFileError::Kind::unreadable);
    EXPECT_EQ(decodeError(R"({"app":"Tessaly","version":1.5})").kind(), SettingsFileError::Kind::unreadable);
}

TEST(SettingsSnapshotTests, MinimalFileReadsWithEverythingAbsent) {
    const auto s = decode(R"({"version":1,"app":"Tessaly","unknown":{"x":[1]}})");
    EXPECT_EQ(s, SettingsSnapshot());
    EXPECT_EQ(s.droppedItemCount, 0);
}

TEST(SettingsSnapshotTests, WrongTypesFailTheWholeReadButNullIsAbsent) {
    const std::string head = R"({"app":"Tessaly","version":1,)";
    for (const char* field : {R"("tabBarHeight":"30")", R"("showTabBadges":1)", R"("excludedBundleIDs":["a",2])",
                              R"("nextTabHotkey":{"modifiers":0})", R"("tabBadgeColor":{"red":1,"green":1})",
                              R"("exportedAt":"yesterday")", R"("exportedAt":12)", R"("language":["de"])",
                              R"("prevTabHotkey":"off")"}) {
        EXPECT_EQ(decodeError(head + field + "}").kind(), SettingsFileError::Kind::unreadable) << field;
    }
    const auto s = decode(head + R"("tabBarHeight":null,"showTabBadges":null,"language":null})");
    EXPECT_FALSE(s.tabBarHeight);
    EXPECT_FALSE(s.showTabBadges);
    // No range checks here: the store decides.
    EXPECT_EQ(decode(head + R"("tabBarHeight":500,"fullscreenPolicy":"SOMETIMES"})").tabBarHeight, 500);
}

TEST(SettingsSnapshotTests, HotkeysHaveThreeStates) {
    const auto off = decode(R"({"app":"Tessaly","version":1,"nextTabHotkey":null})");
    ASSERT_TRUE(off.nextTabHotkey);
    EXPECT_FALSE(*off.nextTabHotkey);
    EXPECT_FALSE(off.prevTabHotkey);
    const auto on = decode(R"({"app":"Tessaly","version":1,"prevTabHotkey":{"keyCode":123,"modifiers":6144}})");
    EXPECT_EQ(on.prevTabHotkey, std::optional<KeyCombo>(KeyCombo::defaultPrevTab));
}

TEST(SettingsSnapshotTests, BadColourListEntriesAreDroppedAndCounted) {
    const auto s = decode(R"({"app":"Tessaly","version":1,"colorPresets":[
        {"id":"11111111-1111-1111-1111-111111111111","name":"A","color":{"red":1,"green":0,"blue":0}},
        {"name":"no id","color":{"red":1,"green":0,"blue":0}},
        {"id":"33333333-3333-3333-3333-333333333333","name":"C","color":{"red":0,"green":0,"blue":1}}],
        "autoColorRules":[{"id":"44444444-4444-4444-4444-444444444444","bundleIDs":[],"titleMatch":"glob",
                           "color":{"red":0,"green":0,"blue":0}}, 5]})");
    ASSERT_TRUE(s.colorPresets);
    ASSERT_EQ(s.colorPresets->size(), 2u);
    EXPECT_EQ((*s.colorPresets)[1].name, "C");
    ASSERT_TRUE(s.autoColorRules);
    EXPECT_TRUE(s.autoColorRules->empty());
    EXPECT_EQ(s.droppedItemCount, 3);

    const auto notArrays = decode(R"({"app":"Tessaly","version":1,"colorPresets":{},"autoColorRules":null})");
    EXPECT_FALSE(notArrays.colorPresets);
    EXPECT_FALSE(notArrays.autoColorRules);
    EXPECT_EQ(notArrays.droppedItemCount, 2);

    const auto empty = decode(R"({"app":"Tessaly","version":1,"colorPresets":[]})");
    ASSERT_TRUE(empty.colorPresets);
    EXPECT_TRUE(empty.colorPresets->empty());
    EXPECT_EQ(empty.droppedItemCount, 0);
}

TEST(SettingsSnapshotTests, OversizedDeepOrMalformedInputIsUnreadable) {
    EXPECT_EQ(decodeError("not json").kind(), SettingsFileError::Kind::unreadable);
    EXPECT_EQ(decodeError("[1]").kind(), SettingsFileError::Kind::unreadable);
    EXPECT_EQ(decodeError(R"({"app":"Tessaly","version":1)").kind(), SettingsFileError::Kind::unreadable);
    std::string deep = R"({"app":"Tessaly","version":1,"x":)" + std::string(64, '[') + std::string(64, ']') + "}";
    EXPECT_EQ(decodeError(deep).kind(), SettingsFileError::Kind::unreadable);
    std::string big = R"({"app":"Tessaly","version":1,"pad":")" + std::string(1024 * 1024, 'x') + "\"}";
    EXPECT_EQ(decodeError(big).kind(), SettingsFileError::Kind::unreadable);
    // Deep but within the cap reads.
    std::string ok = R"({"app":"Tessaly","version":1,"x":)" + std::string(62, '[') + std::string(62, ']') + "}";
    EXPECT_NO_THROW(decode(ok));
}

TEST(SettingsSnapshotTests, RoundTripKeepsEverythingButFractionsOfTheDate) {
    const SettingsSnapshot original = fullSnapshot();
    const auto bytes = original.encoded();
    ASSERT_TRUE(bytes);
    SettingsSnapshot expected = original;
    expected.exportedAt = 1'800'000'000.0;
    EXPECT_EQ(decode(*bytes), expected);
    // Deterministic: the same snapshot gives the same bytes.
    EXPECT_EQ(*bytes, *original.encoded());
}

TEST(SettingsSnapshotTests, WrittenFormIsSortedPrettyAndMinimal) {
    EXPECT_EQ(*SettingsSnapshot().encoded(), "{\n  \"app\": \"Tessaly\",\n  \"version\": 1\n}");
    const auto bytes = *fullSnapshot().encoded();
    const auto document = json::parse(bytes);
    std::vector<std::string> keys;
    for (const auto& [key, value] : document.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"app", "appearanceMode", "autoColorRules", "colorPresets", "excludedBundleIDs", "exportedAt",
                                              "fullscreenPolicy", "holdDelay", "language", "launchAtLogin", "modifierGate",
                                              "nextTabHotkey", "offSpacePolicy", "prevTabHotkey", "showTabBadges",
                                              "tabBadgeColor", "tabBarHeight", "tabBarOpacity", "version"}));
    EXPECT_NE(bytes.find("\"exportedAt\": \"2027-01-15T08:00:00Z\""), std::string::npos);
    EXPECT_NE(bytes.find("\"prevTabHotkey\": null"), std::string::npos);
    EXPECT_NE(bytes.find("\"bundleIDs\": [\n        \"y\",\n        \"z\""), std::string::npos);
    EXPECT_LT(bytes.find("\"blue\""), bytes.find("\"red\""));
}

TEST(SettingsSnapshotTests, NumbersJSONCannotHoldFailTheEncodingInsteadOfTurningNull) {
    SettingsSnapshot snapshot;
    snapshot.holdDelay = std::numeric_limits<double>::quiet_NaN();
    std::string error;
    EXPECT_FALSE(snapshot.encoded(&error));
    EXPECT_FALSE(error.empty());
    snapshot.holdDelay = 0.3;
    snapshot.tabBadgeColor = TabColor(0.1, 0.2, 0.3);
    snapshot.tabBadgeColor->green = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(snapshot.encoded());
    snapshot.tabBadgeColor = TabColor(0.1, 0.2, 0.3);
    snapshot.exportedAt = 1e300;  // no four-digit year
    EXPECT_FALSE(snapshot.encoded());
    snapshot.exportedAt = 0;
    EXPECT_TRUE(snapshot.encoded());
}

TEST(SettingsSnapshotTests, HandWrittenFileDecodes) {
    const char* text = R"({
      "version": 1, "app": "Tessaly",
      "exportedAt": "2026-01-31T10:15:00.500+01:00",
      "modifierGate": "control", "holdDelay": 1, "tabBarHeight": 30,
      "nextTabHotkey": {"keyCode": 124, "modifiers": 6144},
      "prevTabHotkey": null,
      "excludedBundleIDs": ["org.example.Dock"],
      "colorPresets": [{"id": "6f1d4c2a-0b3e-4f5a-9c8d-7e6f5a4b3c2d", "name": "Ocean",
                        "color": {"red": 0, "green": 0.4, "blue": 1}}],
      "autoColorRules": [{"id": "6F1D4C2A-0B3E-4F5A-9C8D-7E6F5A4B3C2E", "bundleIDs": ["org.example.mail"],
                          "titleMatch": "contains", "titlePattern": "Inbox",
                          "color": {"blue": 0, "green": 0, "red": 1}}],
      "language": "pt-BR", "launchAtLogin": true
    })";
    const auto s = decode(text);
    EXPECT_EQ(s.exportedAt, 1769850900.5);  // 2026-01-31T09:15:00.5Z
    EXPECT_EQ(s.modifierGate, "control");
    EXPECT_EQ(s.holdDelay, 1.0);
    EXPECT_EQ(s.nextTabHotkey, std::optional<KeyCombo>(KeyCombo::defaultNextTab));
    ASSERT_TRUE(s.prevTabHotkey);
    EXPECT_FALSE(*s.prevTabHotkey);
    ASSERT_EQ(s.colorPresets->size(), 1u);
    EXPECT_EQ((*s.colorPresets)[0].name, "Ocean");
    ASSERT_EQ(s.autoColorRules->size(), 1u);
    EXPECT_TRUE((*s.autoColorRules)[0].matches("org.example.mail", "Inbox (3)"));
    EXPECT_EQ(s.language, "pt-BR");
    EXPECT_EQ(s.launchAtLogin, true);
}

TEST(SettingsSnapshotTests, DatesReadInSeveralForms) {
    EXPECT_EQ(parseISO8601("1970-01-01T00:00:00Z"), 0.0);
    EXPECT_EQ(parseISO8601("2026-01-31T09:15:00Z"), 1769850900.0);
    EXPECT_EQ(parseISO8601("2026-01-31T04:15:00-05:00"), 1769850900.0);
    EXPECT_EQ(parseISO8601("2026-01-31T14:45:00+0530"), 1769850900.0);
    EXPECT_EQ(parseISO8601("2026-01-31T09:15:00.25Z"), 1769850900.25);
    for (const char* bad : {"2026-01-31", "2026-01-31T09:15:00", "2026-02-30T00:00:00Z", "2026-01-31T24:00:00Z",
                            "2026-1-31T09:15:00Z", "2026-01-31T09:15:00Zjunk", "2026-01-31T09:15:00.Z", ""}) {
        EXPECT_FALSE(parseISO8601(bad)) << bad;
    }
    EXPECT_EQ(iso8601String(1769850900.9), "2026-01-31T09:15:00Z");
    EXPECT_EQ(iso8601String(-1), "1969-12-31T23:59:59Z");
}

}  // namespace
}  // namespace tessaly
