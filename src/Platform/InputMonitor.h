#pragma once
// The system's mouse and modifier state as the program may observe it: a
// listen-only tap of the left mouse button, seen in every application, and
// the live button, modifier and pointer state of the login session.
//
// Locations are global top-left coordinates in points. Modifier flags use
// one bit layout whatever the backend (InputFlags below).
//
// On X11 a tap is a reader of XInput 2 raw button and motion events selected
// on the root (they arrive even while the window manager grabs the pointer
// to move a window); they carry no position, so the reader takes location
// and modifiers from QueryPointer as it hands each event over. Raw motion
// counts as a drag only while button 1 is down.
#include <cstdint>
#include <functional>
#include <memory>

#include "Platform/DispatchQueue.h"
#include "Platform/Geometry.h"

namespace tessaly {

// Modifier bits of event and session flags.
using EventFlags = std::uint64_t;
namespace InputFlags {
inline constexpr EventFlags shift = 0x20000;
inline constexpr EventFlags control = 0x40000;
inline constexpr EventFlags alternate = 0x80000;
inline constexpr EventFlags command = 0x100000;
}  // namespace InputFlags

// What a mouse tap can hand over. Besides the three left-button events the
// system may report that it switched the tap off.
enum class MouseTapEventType {
    leftMouseDown,
    leftMouseDragged,
    leftMouseUp,
    tapDisabledByTimeout,
    tapDisabledByUserInput,
    other,
};

// The left button's state as last seen; unknown where the answer would
// need a question to the system.
enum class ButtonState { up, down, unknown };

struct MouseTapEvent {
    MouseTapEventType type = MouseTapEventType::other;
    Point location;        // where the pointer was when the event was read
    EventFlags flags = 0;  // modifiers carried by the event itself
};

// One listen-only tap. It never alters or swallows an event.
class MouseTap {
public:
    using Handler = std::function<void(const MouseTapEvent&)>;

    virtual ~MouseTap() = default;

    // Enables the tap and attaches it to `thread`, a serial queue that plays
    // the tap's own thread: every event the tap sees from now on is handed to
    // `handler` by work queued on `thread`, in the order seen. Called once.
    virtual void start(std::shared_ptr<DispatchQueue> thread, Handler handler) = 0;

    // Switches the tap on again after the system switched it off. Does
    // nothing once the tap is invalidated. Thread-safe.
    virtual void enable() = 0;

    // Switches the tap off for good and drops the handler and the thread.
    // Synchronous: when it returns, nothing more is queued on the thread
    // (work queued before still runs). Safe to call before start(), twice,
    // and from any thread.
    virtual void invalidate() = 0;
};

class InputMonitor {
public:
    virtual ~InputMonitor() = default;

    // A new tap of left-button down, dragged and up, not yet started; null
    // when the system refuses one (no permission, no display).
    virtual std::unique_ptr<MouseTap> makeMouseTap() = 0;

    // Live state of the whole login session, read now.
    virtual bool isLeftButtonDown() const = 0;
    // The same, never unknown here; a backend that keeps the button's state
    // from its events answers without asking the system.
    virtual ButtonState leftButtonState() const {
        return isLeftButtonDown() ? ButtonState::down : ButtonState::up;
    }
    virtual EventFlags modifierFlags() const = 0;
    virtual Point pointerLocation() const = 0;
};

}  // namespace tessaly
