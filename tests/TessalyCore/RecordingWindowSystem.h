#pragma once
// A WindowSystem that only writes down what it was asked, in order, for tests
// of the group engine and of anything built on it.
#include <ostream>
#include <vector>

#include "Platform/Geometry.h"
#include "Platform/Types.h"
#include "TessalyCore/WindowSystem.h"

namespace tessaly::testing {

struct WindowCall {
    enum class Kind { setFrame, setMaximized, raiseAndActivate, close, setMinimized };
    Kind kind = Kind::setFrame;
    WindowID windowID = 0;
    Rect frame;              // setFrame and setMaximized only
    bool minimized = false;  // setMinimized only
    MaximizedAxes axes;      // setMaximized only

    static WindowCall setFrame(const Rect& frame, WindowID of) { return {Kind::setFrame, of, frame, false, {}}; }
    static WindowCall setMaximized(MaximizedAxes axes, const Rect& frame, WindowID of) {
        return {Kind::setMaximized, of, frame, false, axes};
    }
    static WindowCall raiseAndActivate(WindowID windowID) { return {Kind::raiseAndActivate, windowID, {}, false, {}}; }
    static WindowCall close(WindowID windowID) { return {Kind::close, windowID, {}, false, {}}; }
    static WindowCall setMinimized(WindowID windowID, bool minimized) {
        return {Kind::setMinimized, windowID, {}, minimized, {}};
    }

    friend bool operator==(const WindowCall&, const WindowCall&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const WindowCall& call) {
    switch (call.kind) {
        case WindowCall::Kind::setFrame: return os << "setFrame(" << call.frame << ", " << call.windowID << ")";
        case WindowCall::Kind::setMaximized:
            return os << "setMaximized(" << call.axes << ", " << call.frame << ", " << call.windowID << ")";
        case WindowCall::Kind::raiseAndActivate: return os << "raiseAndActivate(" << call.windowID << ")";
        case WindowCall::Kind::close: return os << "close(" << call.windowID << ")";
        case WindowCall::Kind::setMinimized:
            return os << "setMinimized(" << call.windowID << ", " << (call.minimized ? "true" : "false") << ")";
    }
    return os;
}

class RecordingWindowSystem final : public WindowSystem {
public:
    std::vector<WindowCall> calls;

    void setFrame(const Rect& frame, WindowID of) override { calls.push_back(WindowCall::setFrame(frame, of)); }
    void setMaximized(MaximizedAxes axes, const Rect& frame, WindowID of) override {
        calls.push_back(WindowCall::setMaximized(axes, frame, of));
    }
    void raiseAndActivate(WindowID windowID) override { calls.push_back(WindowCall::raiseAndActivate(windowID)); }
    void close(WindowID windowID) override { calls.push_back(WindowCall::close(windowID)); }
    void setMinimized(WindowID windowID, bool minimized) override {
        calls.push_back(WindowCall::setMinimized(windowID, minimized));
    }
    void setShaded(WindowID, bool) override {}

    // The calls so far, leaving the record empty.
    std::vector<WindowCall> take() {
        std::vector<WindowCall> taken;
        taken.swap(calls);
        return taken;
    }
};

}  // namespace tessaly::testing
