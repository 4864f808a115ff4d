#pragma once
// A connection of its own for XInput 2 raw button and motion events on the
// root, announced as XI 2.2 so that they keep coming while the window
// manager grabs the pointer (to move a window). Raw events carry neither
// position nor modifiers: their readers ask QueryPointer.
#include "Platform/X11/X11Connection.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tessaly {

class X11Backend;

struct X11RawInput {
    std::unique_ptr<X11Connection> connection;
    std::uint8_t opcode = 0;  // the extension's major opcode

    // Absent without a server or XInput 2 (with `needsGrabs`, 2.2: events
    // during the window manager's grab).
    // On a connection beside `backend`'s.
    static std::optional<X11RawInput> open(const X11Backend& backend, bool needsGrabs);
    // Announces XInput 2 (2.2 with `needsGrabs`) on `connection`: the
    // extension's major opcode, or nothing where the server lacks it.
    static std::optional<std::uint8_t> announce(const X11Connection& connection, bool needsGrabs);
    // Selects raw button presses and releases and raw motion on the root;
    // in place when this returns.
    void select() const;
    // The raw event type (XCB_INPUT_RAW_...) of an event of the extension,
    // or -1; `button` gets the button of a press or release.
    int rawType(const xcb_generic_event_t& event, std::uint32_t* button = nullptr) const;
};

}  // namespace tessaly
