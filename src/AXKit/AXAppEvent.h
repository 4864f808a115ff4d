#pragma once
// What an application's accessibility notifications become.
#include <string>

#include "AXKit/AXWindow.h"
#include "Platform/Types.h"

namespace tessaly {

struct AXAppEvent {
    enum class Kind {
        windowCreated,         // window
        windowDestroyed,       // windowID
        windowMoved,           // windowID
        windowResized,         // windowID
        windowMiniaturized,    // windowID
        windowDeminiaturized,  // windowID
        titleChanged,          // windowID, title
        focusedWindowChanged,  // window
    };

    Kind kind = Kind::windowCreated;
    AXWindowRef window;     // windowCreated, focusedWindowChanged
    WindowID windowID = 0;  // every other case
    std::string title;      // titleChanged

    static AXAppEvent withWindow(Kind kind, AXWindowRef window) { return AXAppEvent{kind, std::move(window), 0, {}}; }
    static AXAppEvent withID(Kind kind, WindowID id, std::string title = {}) {
        return AXAppEvent{kind, nullptr, id, std::move(title)};
    }
};

}  // namespace tessaly
