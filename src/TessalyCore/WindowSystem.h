#pragma once
// How the group engine acts on real windows. Every call returns at once; the
// window changes later (or not at all), and the engine never reads back.
#include "Platform/Geometry.h"
#include "Platform/MaximizedAxes.h"
#include "Platform/Types.h"

namespace tessaly {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Moves and sizes the window to the frame (global top-left coordinates).
    virtual void setFrame(const Rect& frame, WindowID of) = 0;
    // Has the window manager maximise the window along the axes, where the
    // window then takes `frame`; a window it will not maximise is given the
    // frame instead. Maximised along one axis, a window keeps its place and
    // length along the other: it is given the frame's there first (a tile).
    virtual void setMaximized(MaximizedAxes axes, const Rect& frame, WindowID of) = 0;
    // Brings the window to the front and activates its application.
    virtual void raiseAndActivate(WindowID windowID) = 0;
    // Asks the window to close; its departure comes back as a destruction event.
    virtual void close(WindowID windowID) = 0;
    // Minimises or restores the window (never called by the engine).
    virtual void setMinimized(WindowID windowID, bool minimized) = 0;
    // Rolls the window up to its title bar, or down again (never called by
    // the engine).
    virtual void setShaded(WindowID windowID, bool shaded) = 0;

protected:
    WindowSystem() = default;
    WindowSystem(const WindowSystem&) = default;
    WindowSystem& operator=(const WindowSystem&) = default;
};

}  // namespace tessaly
