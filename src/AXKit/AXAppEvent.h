#pragma once
// What an application's accessibility notifications become: one case per
// notification the program listens to, each with what it carries.
#include <string>
#include <utility>
#include <variant>

#include "AXKit/AXWindow.h"
#include "Platform/Types.h"

namespace tessaly {

struct AXAppEvent {
    enum class Kind {
        windowCreated,
        windowDestroyed,
        windowMoved,
        windowResized,
        windowMiniaturized,
        windowDeminiaturized,
        titleChanged,
        focusedWindowChanged,
    };

    // A window of the application appeared (not yet observed).
    struct WindowCreated {
        AXWindowRef window;
    };
    // An observed window went away.
    struct WindowDestroyed {
        WindowID windowID = 0;
    };
    struct WindowMoved {
        WindowID windowID = 0;
    };
    struct WindowResized {
        WindowID windowID = 0;
    };
    struct WindowMiniaturized {
        WindowID windowID = 0;
    };
    struct WindowDeminiaturized {
        WindowID windowID = 0;
    };
    // An observed window has a new title, read when the notification came.
    struct TitleChanged {
        WindowID windowID = 0;
        std::string title;
    };
    // The application's focused window is now this one.
    struct FocusedWindowChanged {
        AXWindowRef window;
    };

    // In the order of Kind.
    using Payload = std::variant<WindowCreated, WindowDestroyed, WindowMoved, WindowResized, WindowMiniaturized,
                                 WindowDeminiaturized, TitleChanged, FocusedWindowChanged>;
    Payload payload;

    Kind kind() const { return static_cast<Kind>(payload.index()); }
};

}  // namespace tessaly
