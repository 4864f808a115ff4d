#pragma once
// The keys a window manager keeps for its own bindings where a client's
// XGrabKey on them still succeeds, so that a refused grab cannot tell.
//
// mutter (GNOME Shell, standalone mutter) and muffin (Cinnamon) grab their
// bindings through XInput 2: a client's core grab of the same key succeeds
// and never sees a press. They keep the bindings in GSettings, as lists of
// accelerators ("<Control><Alt>Left"). KWin binds through its global
// shortcuts, kept in kglobalshortcutsrc ("Ctrl+Alt+Left"); a key its
// shortcut daemon has not grabbed yet (it starts on demand) would be taken
// from it.
//
// Pure: the sources are read by the caller's functions.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly {

// A key a binding names: the X keysym of its key and the modifiers held
// with it, as the program stores them (Carbon bits: command is Super,
// option is Alt).
struct BoundKey {
    std::uint32_t keysym = 0;
    std::uint32_t modifiers = 0;

    friend bool operator==(const BoundKey&, const BoundKey&) = default;
};

// One key of one of the window manager's bindings.
struct WindowManagerBinding {
    std::string where;        // "org.gnome.desktop.wm.keybindings switch-to-workspace-left"
    std::string accelerator;  // as written there: "<Control><Alt>Left"
    BoundKey key;

    friend bool operator==(const WindowManagerBinding&, const WindowManagerBinding&) = default;
};

namespace WindowManagerBindings {

// Where the bindings are read from.
struct Sources {
    // The string-list keys of an installed GSettings schema with their
    // values; empty for a schema that is not installed.
    std::function<std::vector<std::pair<std::string, std::vector<std::string>>>(const std::string& schema)> gsettings;
    // The text of the user's kglobalshortcutsrc; absent without one.
    std::function<std::optional<std::string>()> kglobalShortcuts;
};

// The GSettings schemas holding the bindings of the window manager that
// names itself so (its _NET_WM_NAME); empty for one that keeps none there.
std::vector<std::string> gsettingsSchemas(std::string_view windowManagerName);
bool bindsThroughKGlobalAccel(std::string_view windowManagerName);

// Every key bound by the window manager that names itself so; empty for one
// whose bindings a refused grab tells of.
std::vector<WindowManagerBinding> read(std::string_view windowManagerName, const Sources& sources);

// "<Control><Alt>Left", "<Super>Page_Up", "<Primary><Shift>t"; absent for
// "disabled", an empty text, or a modifier or key the program cannot hold
// (<Hyper>, <Meta>, mutter's "Above_Tab").
std::optional<BoundKey> parseAccelerator(std::string_view accelerator);
// "Ctrl+Alt+Left", "Meta+PgUp", "Alt+Shift+Backtab"; absent for "none",
// an empty text, or a key the program cannot hold ("Volume Up").
std::optional<BoundKey> parseShortcut(std::string_view shortcut);

// The shortcuts of kglobalshortcutsrc's [kwin] group in force: each entry's
// own ("Name=active,default,description"), and KWin 5.27's for an entry or a
// file that is missing.
std::vector<WindowManagerBinding> kwinShortcuts(const std::optional<std::string>& fileText);

// The binding that holds a key pressed with `modifiers`, given the keysyms
// the key produces; null when none does.
const WindowManagerBinding* holder(const std::vector<WindowManagerBinding>& bindings,
                                   std::span<const std::uint32_t> keysyms, std::uint32_t modifiers);

}  // namespace WindowManagerBindings
}  // namespace tessaly
