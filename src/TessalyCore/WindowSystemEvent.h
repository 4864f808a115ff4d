#pragma once
// What the window system service reports about other applications' windows.
#include <ostream>
#include <string>

#include "Platform/Geometry.h"
#include "Platform/Types.h"

namespace tessaly {

struct WindowSystemEvent {
    enum class Kind {
        windowDestroyed,         // windowID
        windowFrameChanged,      // windowID, frame, isFullScreen
        windowMinimizedChanged,  // windowID, minimized
        titleChanged,            // windowID, title
        focusedWindowChanged,    // windowID, pid
    };

    Kind kind = Kind::windowDestroyed;
    WindowID windowID = 0;
    Rect frame;
    bool isFullScreen = false;
    bool minimized = false;
    std::string title;
    ProcessID pid = 0;

    static WindowSystemEvent windowDestroyed(WindowID id) { return {Kind::windowDestroyed, id, {}, false, false, {}, 0}; }
    static WindowSystemEvent windowFrameChanged(WindowID id, const Rect& frame, bool isFullScreen) {
        return {Kind::windowFrameChanged, id, frame, isFullScreen, false, {}, 0};
    }
    static WindowSystemEvent windowMinimizedChanged(WindowID id, bool minimized) {
        return {Kind::windowMinimizedChanged, id, {}, false, minimized, {}, 0};
    }
    static WindowSystemEvent titleChanged(WindowID id, std::string title) {
        return {Kind::titleChanged, id, {}, false, false, std::move(title), 0};
    }
    static WindowSystemEvent focusedWindowChanged(WindowID id, ProcessID pid) {
        return {Kind::focusedWindowChanged, id, {}, false, false, {}, pid};
    }

    friend bool operator==(const WindowSystemEvent&, const WindowSystemEvent&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const WindowSystemEvent& e) {
    switch (e.kind) {
        case WindowSystemEvent::Kind::windowDestroyed: return os << "windowDestroyed(" << e.windowID << ")";
        case WindowSystemEvent::Kind::windowFrameChanged:
            return os << "windowFrameChanged(" << e.windowID << ", " << e.frame << ", " << e.isFullScreen << ")";
        case WindowSystemEvent::Kind::windowMinimizedChanged:
            return os << "windowMinimizedChanged(" << e.windowID << ", " << e.minimized << ")";
        case WindowSystemEvent::Kind::titleChanged: return os << "titleChanged(" << e.windowID << ", " << e.title << ")";
        case WindowSystemEvent::Kind::focusedWindowChanged:
            return os << "focusedWindowChanged(" << e.windowID << ", pid " << e.pid << ")";
    }
    return os;
}

}  // namespace tessaly
