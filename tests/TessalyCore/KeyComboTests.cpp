#include "TessalyCore/KeyCombo.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "TessalyCore/DragSettings.h"

namespace tessaly {
namespace {

TEST(KeyComboTests, DefaultsAreControlOptionArrows) {
    EXPECT_EQ(KeyCombo::defaultNextTab.keyCode, 124u);
    EXPECT_EQ(KeyCombo::defaultNextTab.modifiers.rawValue, 0x1800u);
    EXPECT_EQ(KeyCombo::defaultPrevTab.keyCode, 123u);
    EXPECT_EQ(KeyCombo::defaultPrevTab.modifiers, HotkeyModifiers::control | HotkeyModifiers::option);
}

TEST(KeyComboTests, ModifierSetOperationsKeepUnknownBits) {
    HotkeyModifiers m(0x1800 | 0x1);
    EXPECT_TRUE(m.contains(HotkeyModifiers::control));
    EXPECT_FALSE(m.contains(HotkeyModifiers::shift));
    m.insert(HotkeyModifiers::shift);
    m.remove(HotkeyModifiers::option);
    EXPECT_EQ(m.rawValue, 0x1000u | 0x200u | 0x1u);
    EXPECT_TRUE(HotkeyModifiers::shift.isSubset(m));
    EXPECT_TRUE(m.isSuperset(HotkeyModifiers::control));
    EXPECT_TRUE(HotkeyModifiers().isEmpty());
    EXPECT_EQ((HotkeyModifiers::shift ^ HotkeyModifiers::shift).rawValue, 0u);
}

TEST(KeyComboTests, JSONFormIsKeyCodeAndModifiers) {
    const nlohmann::json json = KeyCombo::defaultNextTab;
    EXPECT_EQ(json.dump(), R"({"keyCode":124,"modifiers":6144})");
    EXPECT_EQ(json.get<KeyCombo>(), KeyCombo::defaultNextTab);
    EXPECT_EQ(KeyCombo::fromJSON(nlohmann::json::parse(R"({"modifiers":4096,"keyCode":48,"x":1})")),
              KeyCombo(48, HotkeyModifiers::control));
}

TEST(KeyComboTests, DecodingRejectsMissingOrOutOfRangeMembers) {
    for (const char* text : {R"({"keyCode":124})", R"({"modifiers":0})", R"({"keyCode":-1,"modifiers":0})",
                             R"({"keyCode":4294967296,"modifiers":0})", R"({"keyCode":1.5,"modifiers":0})",
                             R"({"keyCode":"124","modifiers":0})", R"([124,0])", "null"}) {
        const auto json = nlohmann::json::parse(text);
        EXPECT_FALSE(KeyCombo::fromJSON(json)) << text;
        EXPECT_THROW((void)json.get<KeyCombo>(), nlohmann::json::exception) << text;
    }
    // The largest key code decodes.
    EXPECT_EQ(KeyCombo::fromJSON(nlohmann::json::parse(R"({"keyCode":4294967295,"modifiers":0})"))->keyCode,
              4294967295u);
}

TEST(DragSettingsTests, DefaultsAndGates) {
    const DragSettings settings;
    EXPECT_EQ(settings.modifierGate, ModifierGate::shift);
    EXPECT_DOUBLE_EQ(settings.holdDelay, 0.3);
    EXPECT_TRUE(satisfied(ModifierGate::none, 0));
    EXPECT_TRUE(satisfied(ModifierGate::shift, InputFlags::shift | InputFlags::command));
    EXPECT_FALSE(satisfied(ModifierGate::shift, InputFlags::control));
    EXPECT_TRUE(satisfied(ModifierGate::option, InputFlags::alternate));
    EXPECT_TRUE(satisfied(ModifierGate::control, InputFlags::control));
    // The event tap's bits: shift 0x20000, control 0x40000, option 0x80000.
    EXPECT_TRUE(satisfied(ModifierGate::shift, 0x20000));
    EXPECT_TRUE(satisfied(ModifierGate::control, 0x40000));
    EXPECT_TRUE(satisfied(ModifierGate::option, 0x80000));
    EXPECT_FALSE(satisfied(ModifierGate::option, 0x100000));
    EXPECT_EQ(fromRawValue<ModifierGate>("option"), ModifierGate::option);
    EXPECT_FALSE(fromRawValue<ModifierGate>("Shift"));
    EXPECT_EQ(rawValue(ModifierGate::none), "none");
}

}  // namespace
}  // namespace tessaly
