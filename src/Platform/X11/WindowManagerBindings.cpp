#include "Platform/X11/WindowManagerBindings.h"

#include "Platform/X11/X11Keyboard.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cctype>
#include <map>

namespace tessaly::WindowManagerBindings {

namespace {

constexpr std::uint32_t kControl = CarbonModifier::control;
constexpr std::uint32_t kAlt = CarbonModifier::option;
constexpr std::uint32_t kShift = CarbonModifier::shift;
constexpr std::uint32_t kSuper = CarbonModifier::command;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::optional<std::uint32_t> keysymNamed(const std::string& name) {
    if (name.empty()) return std::nullopt;
    xkb_keysym_t sym = xkb_keysym_from_name(name.c_str(), XKB_KEYSYM_NO_FLAGS);
    if (sym == XKB_KEY_NoSymbol) sym = xkb_keysym_from_name(name.c_str(), XKB_KEYSYM_CASE_INSENSITIVE);
    if (sym == XKB_KEY_NoSymbol) return std::nullopt;
    return sym;
}

// The key of a shortcut as Qt writes it: its own names for the keys it
// names ("PgUp", "Esc"), else the character the key types ("D", "`").
std::optional<std::uint32_t> shortcutKeysym(std::string_view key) {
    static const std::map<std::string_view, xkb_keysym_t> named{
        {"Esc", XKB_KEY_Escape},     {"Tab", XKB_KEY_Tab},       {"Backtab", XKB_KEY_ISO_Left_Tab},
        {"Backspace", XKB_KEY_BackSpace}, {"Return", XKB_KEY_Return}, {"Enter", XKB_KEY_KP_Enter},
        {"Ins", XKB_KEY_Insert},     {"Del", XKB_KEY_Delete},    {"Pause", XKB_KEY_Pause},
        {"Print", XKB_KEY_Print},    {"SysReq", XKB_KEY_Sys_Req}, {"Home", XKB_KEY_Home},
        {"End", XKB_KEY_End},        {"Left", XKB_KEY_Left},     {"Up", XKB_KEY_Up},
        {"Right", XKB_KEY_Right},    {"Down", XKB_KEY_Down},     {"PgUp", XKB_KEY_Prior},
        {"PgDown", XKB_KEY_Next},    {"Space", XKB_KEY_space},   {"Menu", XKB_KEY_Menu},
    };
    for (const auto& [name, sym] : named) {
        if (equalsIgnoringCase(name, key)) return sym;
    }
    if (key.size() == 1) {
        const auto c = static_cast<unsigned char>(key.front());
        if (c < 0x21 || c > 0x7e) return std::nullopt;
        return xkb_utf32_to_keysym(static_cast<std::uint32_t>(std::tolower(c)));
    }
    // F1 to F35.
    if (key.size() >= 2 && (key[0] == 'F' || key[0] == 'f') &&
        std::all_of(key.begin() + 1, key.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        return keysymNamed("F" + std::string(key.substr(1)));
    }
    return std::nullopt;
}

// KWin 5.27's shortcuts in force with no configuration of its own: those a
// first start writes into kglobalshortcutsrc. The ones it declares with no
// key in force (among them "Switch One Desktop to the Left", whose default
// Meta+Ctrl+Left stays unset) are left out.
constexpr std::pair<const char*, const char*> kKWinDefaults[] = {
    {"Activate Window Demanding Attention", "Meta+Ctrl+A"},
    {"Kill Window", "Meta+Ctrl+Esc"},
    {"Show Desktop", "Meta+D"},
    {"Suspend Compositing", "Alt+Shift+F12"},
    {"Switch Window Down", "Meta+Alt+Down"},
    {"Switch Window Left", "Meta+Alt+Left"},
    {"Switch Window Right", "Meta+Alt+Right"},
    {"Switch Window Up", "Meta+Alt+Up"},
    {"Switch to Desktop 1", "Ctrl+F1"},
    {"Switch to Desktop 2", "Ctrl+F2"},
    {"Switch to Desktop 3", "Ctrl+F3"},
    {"Switch to Desktop 4", "Ctrl+F4"},
    {"Walk Through Windows", "Alt+Tab"},
    {"Walk Through Windows (Reverse)", "Alt+Shift+Backtab"},
    {"Walk Through Windows of Current Application", "Alt+`"},
    {"Walk Through Windows of Current Application (Reverse)", "Alt+~"},
    {"Window Close", "Alt+F4"},
    {"Window Maximize", "Meta+PgUp"},
    {"Window Minimize", "Meta+PgDown"},
    {"Window One Desktop Down", "Meta+Ctrl+Shift+Down"},
    {"Window One Desktop Up", "Meta+Ctrl+Shift+Up"},
    {"Window One Desktop to the Left", "Meta+Ctrl+Shift+Left"},
    {"Window One Desktop to the Right", "Meta+Ctrl+Shift+Right"},
    {"Window Operations Menu", "Alt+F3"},
    {"Window Quick Tile Bottom", "Meta+Down"},
    {"Window Quick Tile Left", "Meta+Left"},
    {"Window Quick Tile Right", "Meta+Right"},
    {"Window Quick Tile Top", "Meta+Up"},
    {"Window to Next Screen", "Meta+Shift+Right"},
    {"Window to Previous Screen", "Meta+Shift+Left"},
};

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// The shortcuts of one field of an entry: several are separated by a tab,
// which the file keeps escaped ("\t").
std::vector<std::string> shortcutsOfField(std::string_view field) {
    std::vector<std::string> all;
    std::string current;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool escapedTab = field[i] == '\\' && i + 1 < field.size() && field[i + 1] == 't';
        if (field[i] == '\t' || escapedTab) {
            all.push_back(std::exchange(current, {}));
            if (escapedTab) ++i;
        } else {
            current += field[i];
        }
    }
    all.push_back(current);
    return all;
}

void addShortcuts(std::vector<WindowManagerBinding>& to, const std::string& name, std::string_view field) {
    for (const std::string& shortcut : shortcutsOfField(field)) {
        if (const auto key = parseShortcut(shortcut)) to.push_back({"kwin " + name, shortcut, *key});
    }
}

}  // namespace

std::vector<std::string> gsettingsSchemas(std::string_view windowManagerName) {
    // Cinnamon and standalone muffin name themselves "Mutter (Muffin)";
    // Cinnamon binds the workspace keys of its wm schema itself.
    if (windowManagerName == "Mutter (Muffin)") return {"org.cinnamon.desktop.keybindings.wm", "org.cinnamon.muffin.keybindings"};
    if (windowManagerName == "GNOME Shell") {
        return {"org.gnome.desktop.wm.keybindings", "org.gnome.mutter.keybindings", "org.gnome.shell.keybindings"};
    }
    // Standalone mutter, and desktops built on it ("Mutter(Budgie)").
    if (windowManagerName.starts_with("Mutter")) return {"org.gnome.desktop.wm.keybindings", "org.gnome.mutter.keybindings"};
    return {};
}

bool bindsThroughKGlobalAccel(std::string_view windowManagerName) { return windowManagerName == "KWin"; }

std::vector<WindowManagerBinding> read(std::string_view windowManagerName, const Sources& sources) {
    std::vector<WindowManagerBinding> bindings;
    if (bindsThroughKGlobalAccel(windowManagerName)) {
        return kwinShortcuts(sources.kglobalShortcuts ? sources.kglobalShortcuts() : std::nullopt);
    }
    if (!sources.gsettings) return bindings;
    for (const std::string& schema : gsettingsSchemas(windowManagerName)) {
        for (const auto& [key, accelerators] : sources.gsettings(schema)) {
            for (const std::string& accelerator : accelerators) {
                if (const auto bound = parseAccelerator(accelerator)) {
                    bindings.push_back({schema + " " + key, accelerator, *bound});
                }
            }
        }
    }
    return bindings;
}

std::optional<BoundKey> parseAccelerator(std::string_view accelerator) {
    static const std::pair<std::string_view, std::uint32_t> modifierNames[] = {
        {"control", kControl}, {"ctrl", kControl}, {"ctl", kControl}, {"primary", kControl},
        {"shift", kShift},     {"shft", kShift},   {"alt", kAlt},     {"mod1", kAlt},
        {"super", kSuper},     {"mod4", kSuper},
    };
    BoundKey bound;
    std::string_view rest = trimmed(accelerator);
    while (rest.starts_with('<')) {
        const auto close = rest.find('>');
        if (close == std::string_view::npos) return std::nullopt;
        const std::string_view name = rest.substr(1, close - 1);
        const auto* known = std::ranges::find_if(modifierNames, [&](const auto& m) { return equalsIgnoringCase(m.first, name); });
        if (known == std::end(modifierNames)) return std::nullopt;
        bound.modifiers |= known->second;
        rest.remove_prefix(close + 1);
    }
    if (rest.empty() || equalsIgnoringCase(rest, "disabled")) return std::nullopt;
    const auto sym = keysymNamed(std::string(rest));
    if (!sym) return std::nullopt;
    bound.keysym = *sym;
    return bound;
}

std::optional<BoundKey> parseShortcut(std::string_view shortcut) {
    static const std::pair<std::string_view, std::uint32_t> modifierNames[] = {
        {"Ctrl", kControl}, {"Alt", kAlt}, {"Shift", kShift}, {"Meta", kSuper},
    };
    BoundKey bound;
    std::string_view rest = trimmed(shortcut);
    // Modifiers up to the last '+' that is not the key itself ("Ctrl++").
    for (auto plus = rest.find('+'); plus != std::string_view::npos && plus + 1 < rest.size(); plus = rest.find('+')) {
        const std::string_view name = rest.substr(0, plus);
        const auto* known = std::ranges::find_if(modifierNames, [&](const auto& m) { return equalsIgnoringCase(m.first, name); });
        if (known == std::end(modifierNames)) return std::nullopt;
        bound.modifiers |= known->second;
        rest.remove_prefix(plus + 1);
    }
    if (rest.empty() || equalsIgnoringCase(rest, "none")) return std::nullopt;
    const auto sym = shortcutKeysym(rest);
    if (!sym) return std::nullopt;
    bound.keysym = *sym;
    return bound;
}

std::vector<WindowManagerBinding> kwinShortcuts(const std::optional<std::string>& fileText) {
    std::vector<WindowManagerBinding> bindings;
    std::vector<std::string> listed;
    if (fileText) {
        bool inKWin = false;
        std::string_view text = *fileText;
        while (!text.empty()) {
            const auto end = text.find('\n');
            const std::string_view line = trimmed(text.substr(0, end));
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (line.starts_with('[')) {
                // "[kwin]", also with a flag group after it ("[kwin][$i]").
                inKWin = line.starts_with("[kwin]");
                continue;
            }
            const auto equals = line.find('=');
            if (!inKWin || equals == std::string_view::npos || line.starts_with('#')) continue;
            const std::string name(trimmed(line.substr(0, equals)));
            if (name.starts_with("_k_")) continue;
            listed.push_back(name);
            // "active,default,description": the first field is in force.
            const std::string_view value = line.substr(equals + 1);
            addShortcuts(bindings, name, value.substr(0, value.find(',')));
        }
    }
    for (const auto& [name, shortcut] : kKWinDefaults) {
        if (std::ranges::find(listed, name) == listed.end()) addShortcuts(bindings, name, shortcut);
    }
    return bindings;
}

const WindowManagerBinding* holder(const std::vector<WindowManagerBinding>& bindings,
                                   std::span<const std::uint32_t> keysyms, std::uint32_t modifiers) {
    for (const WindowManagerBinding& binding : bindings) {
        if (binding.key.modifiers == modifiers && std::ranges::find(keysyms, binding.key.keysym) != keysyms.end()) {
            return &binding;
        }
    }
    return nullptr;
}

}  // namespace tessaly::WindowManagerBindings
