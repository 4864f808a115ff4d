#pragma once
// System-wide hot keys, seen whichever application has the focus.
//
// Key codes and modifier bits are the program's stored form (macOS virtual
// key codes, Carbon modifier bits: command 0x100, shift 0x200, option 0x800,
// control 0x1000); a backend translates them to its own keys and masks.
// Every hot key carries an id of the registrant's choosing: a four-character
// signature and a number. A press is offered to the installed handlers, most
// recent first, until one handles it.
//
// On X11 a registration is an XGrabKey on the root, with the Lock and NumLock
// variants; a BadAccess answer to any of them is a refusal (and the grabs
// that did succeed are released).
#include <cstdint>
#include <functional>
#include <optional>

namespace tessaly {

struct HotKeyID {
    std::uint32_t signature = 0;
    std::uint32_t id = 0;

    friend bool operator==(const HotKeyID&, const HotKeyID&) = default;
};

class HotkeyService {
public:
    // Opaque handles; 0 is never a live one.
    using HandlerRef = std::uint64_t;
    using HotKeyRef = std::uint64_t;

    // Runs on the main thread for each press of a registered hot key; answers
    // true when it handled the press, false to pass it on.
    using PressHandler = std::function<bool(HotKeyID)>;

    virtual ~HotkeyService() = default;

    // Installs a handler for hot-key presses; absent when that fails.
    virtual std::optional<HandlerRef> installHandler(PressHandler handler) = 0;
    // Removes a handler; unknown handles are ignored.
    virtual void removeHandler(HandlerRef handler) = 0;

    // Takes the combination from every application. Absent when the system
    // refuses, for instance because another application holds it.
    virtual std::optional<HotKeyRef> registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers, HotKeyID id) = 0;
    // Gives a combination back; unknown handles are ignored.
    virtual void unregisterHotKey(HotKeyRef hotKey) = 0;
};

}  // namespace tessaly
