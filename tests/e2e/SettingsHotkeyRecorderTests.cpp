// Recording a tab-cycle hotkey on a real desktop: the Next Tab row of the
// Tab Bar page takes a new combination typed on the keyboard; a letter
// alone gives the rule's hint; afterwards the new combination cycles the
// focused group's tabs and the old one is given back to the desktop.
#include "ShellTest.h"

#include <xcb/xcb_keysyms.h>

namespace tessaly::e2e {
namespace {

constexpr xcb_keysym_t keyN = 'n';
constexpr xcb_keysym_t keyA = 'a';
constexpr const char* ruleHint = "Combine with Ctrl, Alt, or Super.\n(F1–F20 also work alone.)";
constexpr const char* recordPrompt = "Press keys… (Esc to cancel)";

class SettingsHotkeyRecorderTest : public ShellTest {
protected:
    // Whether another client holds a passive grab of `key` with exactly
    // `modifiers` on the root (a grab of ours is then refused).
    bool isGrabbedElsewhere(std::uint16_t modifiers, xcb_keysym_t key) {
        xcb_connection_t* c = desktop->connection().get();
        std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(c),
                                                                                    &xcb_key_symbols_free);
        XReply<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols.get(), key));
        if (!codes) return false;
        const xcb_window_t root = desktop->connection().root();
        const bool refused = !desktop->connection().check(xcb_grab_key_checked(
            c, 0, root, modifiers, codes.get()[0], XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (!refused) {
            xcb_ungrab_key(c, codes.get()[0], root, modifiers);
            desktop->connection().sync();
        }
        return refused;
    }
};

TEST_F(SettingsHotkeyRecorderTest, ANewNextTabCombinationRecordedFromTheKeyboardReplacesTheOldOne) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ASSERT_TRUE(startShell());
    const auto pair = groupedXterms("record", 150);
    ASSERT_TRUE(pair);
    constexpr std::uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
    constexpr std::uint16_t controlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
    ASSERT_TRUE(isGrabbedElsewhere(controlAlt, KeySym::right)) << "the default Next Tab key is not registered";

    ASSERT_TRUE(openSettingsWindow());
    ASSERT_TRUE(openPage("Tab Bar"));
    ASSERT_TRUE(clickControl("push button", "Ctrl+Alt+→"));
    ASSERT_TRUE(control("push button", recordPrompt)) << "the row did not start recording";
    // While it records, the keys reach the recorder, not the session.
    EXPECT_TRUE(desktop->waitUntil([&] { return !isGrabbedElsewhere(controlAlt, KeySym::right); }))
        << "the hotkeys stayed registered while recording";

    // A letter alone is no combination: the rule's hint, still recording.
    pressKey(keyA);
    EXPECT_TRUE(control("label", ruleHint)) << "a letter alone gave no hint";
    EXPECT_TRUE(control("push button", recordPrompt)) << "a letter alone ended the recording";

    // Control+Shift+N is taken.
    pressCombo({KeySym::controlL, KeySym::shiftL}, keyN);
    ASSERT_TRUE(control("push button", "Ctrl+Shift+N")) << "the row does not show the new combination";
    EXPECT_TRUE(desktop->waitUntil([&] {
        return isGrabbedElsewhere(controlShift, keyN) && !isGrabbedElsewhere(controlAlt, KeySym::right);
    })) << "the new combination was not registered in place of the old one";
    EXPECT_TRUE(isGrabbedElsewhere(controlAlt, KeySym::left)) << "Previous Tab lost its key";

    // Typed in the group, the new combination shows the next tab.
    ASSERT_TRUE(user->focus(pair->active));
    pressCombo({KeySym::controlL, KeySym::shiftL}, keyN);
    EXPECT_TRUE(user->waitUntil([&] {
        return desktop->windows().activeWindow() == pair->inactive && user->barAbove(pair->inactive).has_value();
    })) << "the recorded combination did not show the next tab";
}

}  // namespace
}  // namespace tessaly::e2e
