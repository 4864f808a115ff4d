#include <gtest/gtest.h>

#include "Platform/ManualMainExecutor.h"
#include "Platform/Sim/SimInput.h"
#include "TessalyCore/HotkeyCapture.h"
#include "TessalyCore/HotkeyManager.h"
#include "TessalyCore/KeyComboDisplay.h"
#include "TessalyCore/L10n.h"

namespace tessaly {
namespace {

using Mods = HotkeyManager::Modifiers;
const Mods controlOption = Mods::control | Mods::option;

class Hotkeys : public ::testing::Test {
protected:
    VirtualClock clock;
    ManualMainExecutor main{clock};
    SimInput system{main};
    int next = 0;
    int prev = 0;
};

TEST_F(Hotkeys, RegisteredShortcutRunsItsActionOnPress) {
    HotkeyManager manager(system);
    EXPECT_FALSE(manager.hasHandler());
    EXPECT_TRUE(manager.registerHotkey(KeyCombo::defaultNextTab, [&] { ++next; }));
    EXPECT_TRUE(manager.registerHotkey(KeyCombo::defaultPrevTab, [&] { ++prev; }));
    EXPECT_EQ(system.installedHandlerCount(), 1);
    system.pressKey(124, 0x1800);
    system.pressKey(124, 0x1800);
    system.pressKey(123, 0x1800);
    main.runPending();
    EXPECT_EQ(next, 2);
    EXPECT_EQ(prev, 1);
    EXPECT_EQ(system.unhandledPresses(), 0);
}

TEST_F(Hotkeys, TakenShortcutFailsAndLeavesTheOtherWorking) {
    system.takeByOtherApplication(124, 0x1800);
    HotkeyManager manager(system);
    EXPECT_FALSE(manager.registerHotkey(KeyCombo::defaultNextTab, [&] { ++next; }));
    EXPECT_EQ(manager.nextID(), 1u);  // a failure uses no id
    EXPECT_TRUE(manager.registerHotkey(KeyCombo::defaultPrevTab, [&] { ++prev; }));
    system.pressKey(123, 0x1800);
    main.runPending();
    EXPECT_EQ(prev, 1);
    EXPECT_EQ(system.registeredCombinations().size(), 1u);
}

TEST_F(Hotkeys, NoHandlerMeansNoRegistration) {
    system.setHandlerInstallFails(true);
    HotkeyManager manager(system);
    EXPECT_FALSE(manager.registerHotkey(KeyCombo::defaultNextTab, [&] { ++next; }));
    // The keys were not taken from other applications for nothing.
    EXPECT_TRUE(system.registeredCombinations().empty());
    EXPECT_EQ(manager.registeredCount(), 0u);

    system.setHandlerInstallFails(false);  // the next registration tries again
    EXPECT_TRUE(manager.registerHotkey(KeyCombo::defaultNextTab, [&] { ++next; }));
    EXPECT_TRUE(manager.hasHandler());
    system.pressKey(124, 0x1800);
    main.runPending();
    EXPECT_EQ(next, 1);
}

TEST_F(Hotkeys, UnregisterAllLeavesNothingAndIdsAreNotReused) {
    HotkeyManager manager(system);
    manager.registerHotkey(KeyCombo::defaultNextTab, [&] { ++next; });
    manager.registerHotkey(KeyCombo::defaultPrevTab, [&] { ++prev; });
    manager.unregisterAll();
    EXPECT_TRUE(system.registeredCombinations().empty());
    EXPECT_EQ(system.installedHandlerCount(), 0);
    EXPECT_FALSE(manager.hasHandler());
    EXPECT_FALSE(system.pressKey(124, 0x1800));
    EXPECT_EQ(manager.nextID(), 3u);
    EXPECT_TRUE(manager.registerHotkey(KeyCombo::defaultNextTab, [&] { ++next; }));
    EXPECT_EQ(manager.nextID(), 4u);
}

TEST_F(Hotkeys, PressesOfOtherSignaturesArePassedOn) {
    bool otherSaw = false;
    system.installHandler([&](HotKeyID id) {
        otherSaw = id.signature == 0x41424344;
        return otherSaw;
    });
    HotkeyManager manager(system);
    manager.registerHotkey(KeyCombo::defaultNextTab, [&] { ++next; });
    system.registerHotKey(5, 0x100, {0x41424344, 1});  // someone else's, same id number
    system.pressKey(5, 0x100);
    main.runPending();
    EXPECT_TRUE(otherSaw);
    EXPECT_EQ(next, 0);
}

TEST_F(Hotkeys, OwnSignatureWithAnUnknownIdIsPassedOn) {
    HotkeyManager manager(system);
    manager.registerHotkey(KeyCombo::defaultNextTab, [&] { ++next; });
    system.registerHotKey(5, 0x100, {HotkeyManager::signature, 99});
    system.pressKey(5, 0x100);
    main.runPending();
    EXPECT_EQ(next, 0);
    EXPECT_EQ(system.unhandledPresses(), 1);
}

TEST_F(Hotkeys, ReleasedManagerGivesEverythingBack) {
    {
        HotkeyManager manager(system);
        manager.registerHotkey(KeyCombo::defaultNextTab, [&] { ++next; });
        system.pressKey(124, 0x1800);
    }
    main.runPending();  // a press that was under way finds no action
    EXPECT_EQ(next, 0);
    EXPECT_TRUE(system.registeredCombinations().empty());
    EXPECT_EQ(system.installedHandlerCount(), 0);
}

TEST_F(Hotkeys, ActionMayDropAllHotkeysWhileRunning) {
    HotkeyManager manager(system);
    manager.registerHotkey(KeyCombo::defaultNextTab, [&] {
        ++next;
        manager.unregisterAll();
    });
    system.pressKey(124, 0x1800);
    main.runPending();
    EXPECT_EQ(next, 1);
    EXPECT_TRUE(system.registeredCombinations().empty());
}

TEST(HotkeyCaptureTest, Verdicts) {
    using C = HotkeyCapture;
    EXPECT_EQ(C::evaluate(53, Mods{}), C::cancel());
    EXPECT_EQ(C::evaluate(51, Mods{}), C::clear());
    EXPECT_EQ(C::evaluate(53, Mods::control), C::captured(KeyCombo(53, Mods::control)));
    EXPECT_EQ(C::evaluate(51, Mods::shift), C::rejected());
    EXPECT_EQ(C::evaluate(0, Mods{}), C::rejected());
    EXPECT_EQ(C::evaluate(0, Mods::shift), C::rejected());
    EXPECT_EQ(C::evaluate(0, Mods::command), C::captured(KeyCombo(0, Mods::command)));
    EXPECT_EQ(C::evaluate(122, Mods{}), C::captured(KeyCombo(122, Mods{})));
    EXPECT_EQ(C::evaluate(90, Mods::shift), C::captured(KeyCombo(90, Mods::shift)));
    // Bits outside the named four neither capture nor get lost.
    EXPECT_EQ(C::evaluate(0, Mods(0x10000)), C::rejected());
    EXPECT_EQ(C::evaluate(96, Mods(0x10200)), C::captured(KeyCombo(96, Mods(0x10200))));
}

TEST(KeyComboDisplayTest, KeysAreNamedAsOnAPCKeyboardInAFixedOrder) {
    const auto us = SimKeyboardLayout::usLayout();
    EXPECT_EQ(displayString(KeyCombo::defaultNextTab, us.get()), "Ctrl+Alt+→");
    EXPECT_EQ(displayString(KeyCombo::defaultPrevTab, us.get()), "Ctrl+Alt+←");
    // Ctrl, Alt, Shift, Super, whatever order they were pressed in.
    EXPECT_EQ(displayString(KeyCombo(49, Mods::command | Mods::shift), us.get()), "Shift+Super+Space");
    EXPECT_EQ(displayString(KeyCombo(0, Mods::command | Mods::shift | Mods::option | Mods::control), us.get()),
              "Ctrl+Alt+Shift+Super+A");
    EXPECT_EQ(displayString(KeyCombo(0, Mods::command | Mods(0x10000)), us.get()), "Super+A");
    EXPECT_EQ(displayString(KeyCombo(122, Mods{}), us.get()), "F1");
    EXPECT_EQ(keyName(111, us.get()), "F12");
    EXPECT_EQ(keyName(90, us.get()), "F20");
    EXPECT_EQ(keyName(53, us.get()), "Esc");
    // The stored Delete and Forward Delete keys are Backspace and Delete on a PC; Help is Insert.
    EXPECT_EQ(keyName(HotkeyKeyCode::deleteBackward, us.get()), "Backspace");
    EXPECT_EQ(keyName(117, us.get()), "Delete");
    EXPECT_EQ(keyName(114, us.get()), "Insert");
    EXPECT_EQ(modifierName(Mods::option), "Alt");
    // Control and the named keys as the display language names them (the
    // stand-in tab keys among them), the rest as everywhere.
    L10n::ScopedLanguageForTesting german(AppLanguage::german);
    EXPECT_EQ(displayString(KeyCombo::defaultNextTab, us.get()), "Strg+Alt+→");
    EXPECT_EQ(modifierName(Mods::control), "Strg");
    EXPECT_EQ(displayString(KeyCombo{121, Mods::control | Mods::option}, us.get()), "Strg+Alt+Bild abwärts");
    EXPECT_EQ(keyName(117, us.get()), "Entf");
    EXPECT_EQ(keyName(53, us.get()), "Esc");
}

TEST(KeyComboDisplayTest, LayoutNamesAreTrimmedAndUpperCased) {
    SimKeyboardLayout layout({{12, " q\n"}, {13, "ß"}, {14, "é"}, {15, " \t"}, {16, ""}});
    EXPECT_EQ(keyName(12, &layout), "Q");
    EXPECT_EQ(keyName(13, &layout), "SS");
    EXPECT_EQ(keyName(14, &layout), "É");
    EXPECT_EQ(keyName(15, &layout), "Key 15");  // only white space
    EXPECT_EQ(keyName(16, &layout), "Key 16");
    EXPECT_EQ(keyName(17, &layout), "Key 17");  // the layout has nothing
    EXPECT_EQ(keyName(17, nullptr), "Key 17");
    EXPECT_EQ(keyName(65536 + 12, &layout), "Key 65548");  // beyond 16 bits: not truncated to 12
}

TEST(KeyComboDisplayTest, UsesTheInstalledLayout) {
    KeyboardLayout::setCurrent(SimKeyboardLayout::usLayout());
    EXPECT_EQ(displayString(KeyCombo(1, Mods::control)), "Ctrl+S");
    KeyboardLayout::setCurrent(nullptr);
    EXPECT_EQ(displayString(KeyCombo(1, Mods::control)), "Ctrl+Key 1");
}

}  // namespace
}  // namespace tessaly
