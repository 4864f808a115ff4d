#pragma once
// What the window system service reports about other applications' windows:
// one case per change, each with what it carries.
#include <ostream>
#include <string>
#include <utility>
#include <variant>

#include "Platform/Geometry.h"
#include "Platform/MaximizedAxes.h"
#include "Platform/Overloaded.h"
#include "Platform/Types.h"

namespace tessaly {

struct WindowSystemEvent {
    enum class Kind { windowDestroyed, windowFrameChanged, windowMinimizedChanged, titleChanged, focusedWindowChanged };

    struct WindowDestroyed {
        WindowID windowID = 0;
        friend bool operator==(const WindowDestroyed&, const WindowDestroyed&) = default;
    };
    // The window's frame now, read after it moved or resized (or after the
    // window manager maximised, restored, rolled it up or down again).
    struct WindowFrameChanged {
        WindowID windowID = 0;
        Rect frame;
        bool isFullScreen = false;
        MaximizedAxes maximized;
        bool shaded = false;  // rolled up to its title bar
        friend bool operator==(const WindowFrameChanged&, const WindowFrameChanged&) = default;
    };
    struct WindowMinimizedChanged {
        WindowID windowID = 0;
        bool minimized = false;
        friend bool operator==(const WindowMinimizedChanged&, const WindowMinimizedChanged&) = default;
    };
    struct TitleChanged {
        WindowID windowID = 0;
        std::string title;
        friend bool operator==(const TitleChanged&, const TitleChanged&) = default;
    };
    // The application `pid` now has this window focused.
    struct FocusedWindowChanged {
        WindowID windowID = 0;
        ProcessID pid = 0;
        friend bool operator==(const FocusedWindowChanged&, const FocusedWindowChanged&) = default;
    };

    // In the order of Kind.
    using Payload =
        std::variant<WindowDestroyed, WindowFrameChanged, WindowMinimizedChanged, TitleChanged, FocusedWindowChanged>;
    Payload payload;

    static WindowSystemEvent windowDestroyed(WindowID id) { return {WindowDestroyed{id}}; }
    static WindowSystemEvent windowFrameChanged(WindowID id, const Rect& frame, bool isFullScreen,
                                                MaximizedAxes maximized = {}, bool shaded = false) {
        return {WindowFrameChanged{id, frame, isFullScreen, maximized, shaded}};
    }
    static WindowSystemEvent windowMinimizedChanged(WindowID id, bool minimized) {
        return {WindowMinimizedChanged{id, minimized}};
    }
    static WindowSystemEvent titleChanged(WindowID id, std::string title) {
        return {TitleChanged{id, std::move(title)}};
    }
    static WindowSystemEvent focusedWindowChanged(WindowID id, ProcessID pid) {
        return {FocusedWindowChanged{id, pid}};
    }

    Kind kind() const { return static_cast<Kind>(payload.index()); }
    // Every case names one window.
    WindowID windowID() const {
        return std::visit([](const auto& value) { return value.windowID; }, payload);
    }

    friend bool operator==(const WindowSystemEvent&, const WindowSystemEvent&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const WindowSystemEvent& event) {
    using E = WindowSystemEvent;
    std::visit(Overloaded{
                   [&](const E::WindowDestroyed& e) { os << "windowDestroyed(" << e.windowID << ")"; },
                   [&](const E::WindowFrameChanged& e) {
                       os << "windowFrameChanged(" << e.windowID << ", " << e.frame << ", " << e.isFullScreen;
                       if (e.maximized.any()) os << ", maximised " << e.maximized;
                       if (e.shaded) os << ", shaded";
                       os << ")";
                   },
                   [&](const E::WindowMinimizedChanged& e) {
                       os << "windowMinimizedChanged(" << e.windowID << ", " << e.minimized << ")";
                   },
                   [&](const E::TitleChanged& e) { os << "titleChanged(" << e.windowID << ", " << e.title << ")"; },
                   [&](const E::FocusedWindowChanged& e) {
                       os << "focusedWindowChanged(" << e.windowID << ", pid " << e.pid << ")";
                   },
               },
               event.payload);
    return os;
}

}  // namespace tessaly
