// Keys the window manager binds where a grab of them would still succeed:
// which bindings count under which window manager, read from its settings
// as they are written there.
#include "Platform/X11/WindowManagerBindings.h"
#include "Platform/X11/X11Keyboard.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <map>

namespace tessaly {
namespace {

namespace Mod = CarbonModifier;
constexpr std::uint32_t kControlAlt = Mod::control | Mod::option;

using Lists = std::vector<std::pair<std::string, std::vector<std::string>>>;

// GNOME's and Cinnamon's stock workspace keys, as GSettings gives them.
const Lists kGnomeWm{{"switch-to-workspace-left", {"<Super>Page_Up", "<Super><Alt>Left", "<Control><Alt>Left"}},
                     {"switch-to-workspace-right", {"<Super>Page_Down", "<Super><Alt>Right", "<Control><Alt>Right"}},
                     {"switch-group", {"<Alt>Above_Tab"}},
                     {"toggle-fullscreen", {}},
                     {"begin-move", {"disabled"}},
                     {"panel-run-dialog", {"<Alt>F2", "<Hyper>r"}}};
const Lists kCinnamonWm{{"switch-to-workspace-left", {"<Control><Alt>Left"}}, {"show-desktop", {"<Super>d"}}};

struct Row {
    const char* what;
    std::string windowManager;
    std::map<std::string, Lists> gsettings;
    std::optional<std::string> kglobalshortcutsrc;
    std::vector<std::uint32_t> keysyms;  // what the key types
    std::uint32_t modifiers;
    std::string heldBy;  // empty: free
};

TEST(WindowManagerBindings, TheKeysTheRunningWindowManagerBindsCountAsTaken) {
    const std::map<std::string, Lists> gnome{{"org.gnome.desktop.wm.keybindings", kGnomeWm},
                                             {"org.gnome.mutter.keybindings", {{"toggle-tiled-left", {"<Super>Left"}}}},
                                             {"org.gnome.shell.keybindings", {{"toggle-overview", {"<Super>s"}}}}};
    const std::map<std::string, Lists> cinnamon{{"org.cinnamon.desktop.keybindings.wm", kCinnamonWm}};
    const std::string kwinEdited = "[kwin]\n"
                                   "_k_friendly_name=KWin\n"
                                   "Switch One Desktop to the Left=Meta+Ctrl+Left\\tCtrl+Alt+Left,Meta+Ctrl+Left,Switch "
                                   "One Desktop to the Left\n"
                                   "Switch Window Left=none,Meta+Alt+Left,Switch to Window to the Left\n"
                                   "Window Close=,Alt+F4,Close Window\n"
                                   "\n[plasmashell]\nnext activity=Ctrl+Alt+Right,none,Walk through activities\n";
    const std::vector<Row> rows{
        // mutter and GNOME Shell: GNOME's wm and mutter's keys, and the shell's own.
        {"stock mutter", "Mutter", gnome, {}, {XKB_KEY_Left}, kControlAlt,
         "org.gnome.desktop.wm.keybindings switch-to-workspace-left"},
        {"the first fallback", "Mutter", gnome, {}, {XKB_KEY_Next}, kControlAlt, ""},
        {"Super+Alt", "Mutter", gnome, {}, {XKB_KEY_Right}, Mod::command | Mod::option,
         "org.gnome.desktop.wm.keybindings switch-to-workspace-right"},
        {"Page_Up names Prior", "Mutter", gnome, {}, {XKB_KEY_Prior}, Mod::command,
         "org.gnome.desktop.wm.keybindings switch-to-workspace-left"},
        {"mutter's own schema", "Mutter", gnome, {}, {XKB_KEY_Left}, Mod::command,
         "org.gnome.mutter.keybindings toggle-tiled-left"},
        {"the shell's keys under the shell", "GNOME Shell", gnome, {}, {XKB_KEY_s, XKB_KEY_S}, Mod::command,
         "org.gnome.shell.keybindings toggle-overview"},
        {"not under standalone mutter", "Mutter", gnome, {}, {XKB_KEY_s, XKB_KEY_S}, Mod::command, ""},
        {"other modifiers are another key", "Mutter", gnome, {}, {XKB_KEY_Left}, Mod::control, ""},
        {"an unparsable entry beside a good one", "Mutter", gnome, {}, {XKB_KEY_F2}, Mod::option,
         "org.gnome.desktop.wm.keybindings panel-run-dialog"},
        {"Budgie's mutter", "Mutter(Budgie)", gnome, {}, {XKB_KEY_Left}, kControlAlt,
         "org.gnome.desktop.wm.keybindings switch-to-workspace-left"},
        // Cinnamon: its own schemas only.
        {"Cinnamon", "Mutter (Muffin)", cinnamon, {}, {XKB_KEY_Left}, kControlAlt,
         "org.cinnamon.desktop.keybindings.wm switch-to-workspace-left"},
        {"a letter", "Mutter (Muffin)", cinnamon, {}, {XKB_KEY_d, XKB_KEY_D}, Mod::command,
         "org.cinnamon.desktop.keybindings.wm show-desktop"},
        {"GNOME's keys do not bind Cinnamon's", "Mutter (Muffin)", gnome, {}, {XKB_KEY_Left}, kControlAlt, ""},
        // Window managers whose bindings a refused grab tells of.
        {"openbox", "Openbox", gnome, "[kwin]\nx=Ctrl+Alt+Left,,\n", {XKB_KEY_Left}, kControlAlt, ""},
        {"no window manager", "", gnome, {}, {XKB_KEY_Left}, kControlAlt, ""},
        // KWin: the shortcuts file, and KWin 5.27's own where it says nothing.
        {"KWin as it comes", "KWin", {}, {}, {XKB_KEY_Left}, kControlAlt, ""},
        {"KWin's default", "KWin", {}, {}, {XKB_KEY_Left}, Mod::command | Mod::option, "kwin Switch Window Left"},
        {"PgUp", "KWin", {}, {}, {XKB_KEY_Prior}, Mod::command, "kwin Window Maximize"},
        {"Backtab is Tab", "KWin", {}, {}, {XKB_KEY_Tab, XKB_KEY_ISO_Left_Tab}, Mod::option | Mod::shift,
         "kwin Walk Through Windows (Reverse)"},
        {"the second of two", "KWin", {}, kwinEdited, {XKB_KEY_Left}, kControlAlt,
         "kwin Switch One Desktop to the Left"},
        {"an entry turned off", "KWin", {}, kwinEdited, {XKB_KEY_Left}, Mod::command | Mod::option, ""},
        {"an entry emptied", "KWin", {}, kwinEdited, {XKB_KEY_F4}, Mod::option, ""},
        {"a default beside an edited file", "KWin", {}, kwinEdited, {XKB_KEY_d, XKB_KEY_D}, Mod::command,
         "kwin Show Desktop"},
        {"another program's group", "KWin", {}, kwinEdited, {XKB_KEY_Right}, kControlAlt, ""},
    };
    for (const Row& row : rows) {
        WindowManagerBindings::Sources sources;
        sources.gsettings = [&](const std::string& schema) {
            const auto it = row.gsettings.find(schema);
            return it == row.gsettings.end() ? Lists{} : it->second;
        };
        sources.kglobalShortcuts = [&] { return row.kglobalshortcutsrc; };
        const auto bindings = WindowManagerBindings::read(row.windowManager, sources);
        const WindowManagerBinding* holder = WindowManagerBindings::holder(bindings, row.keysyms, row.modifiers);
        EXPECT_EQ(holder ? holder->where : "", row.heldBy) << row.what;
    }
}

TEST(WindowManagerBindings, AcceleratorsAndShortcutsReadAsTheWindowManagersWriteThem) {
    using WindowManagerBindings::parseAccelerator;
    using WindowManagerBindings::parseShortcut;
    EXPECT_EQ(parseAccelerator("<Control><Alt>Left"), (BoundKey{XKB_KEY_Left, kControlAlt}));
    EXPECT_EQ(parseAccelerator("<Primary><shift>t"), (BoundKey{XKB_KEY_t, Mod::control | Mod::shift}));
    EXPECT_EQ(parseAccelerator("<Ctrl><Mod1>page_down"), (BoundKey{XKB_KEY_Next, kControlAlt}));
    EXPECT_EQ(parseShortcut("Ctrl+Alt+Left"), (BoundKey{XKB_KEY_Left, kControlAlt}));
    EXPECT_EQ(parseShortcut("Meta+PgDown"), (BoundKey{XKB_KEY_Next, Mod::command}));
    EXPECT_EQ(parseShortcut("Ctrl++"), (BoundKey{XKB_KEY_plus, Mod::control}));
    EXPECT_EQ(parseShortcut("Alt+F12"), (BoundKey{XKB_KEY_F12, Mod::option}));
    for (const char* nothing : {"", "disabled", "<Control><Alt", "<Hyper>a", "<Control>", "<Alt>NoSuchKey"}) {
        EXPECT_EQ(parseAccelerator(nothing), std::nullopt) << nothing;
    }
    for (const char* nothing : {"", "none", "Ctrl+", "Num+5", "Volume Up", "Ctrl+Alt+\xc3\xa9"}) {
        EXPECT_EQ(parseShortcut(nothing), std::nullopt) << nothing;
    }
}

}  // namespace
}  // namespace tessaly
