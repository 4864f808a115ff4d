#pragma once
// The move assist over X11. A thread of its own listens to XInput 2 raw
// button and motion events on the root (announcing XI 2.2, so they keep
// coming while the window manager grabs the pointer). A left press with the
// grouping modifiers held whose pointer lies on a client's title bar (inside
// the frame, above the client window) is remembered; when the pointer has
// then moved a few pixels and the frame has not moved (the window manager
// does not move it on that press), the window manager is asked to move the
// window (_NET_WM_MOVERESIZE, direction move, button 1, source pager). The
// window manager ends the move on the release.
#include "Platform/WindowMoveAssist.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11EventThread.h"
#include "Platform/X11/X11Keyboard.h"
#include "Platform/X11/X11RawInput.h"

#include <atomic>
#include <memory>

namespace tessaly {

class X11MoveAssist final : public WindowMoveAssist {
public:
    // How far the pointer moves before the assist looks at the frame, and
    // on how many motions past that the frame must have stayed (a window
    // manager that moves on that press by itself has started by then).
    static constexpr double kDragThreshold = 8;
    static constexpr int kStillMotions = 2;

    // Null when the server has no XInput 2.2 or no connection can be made.
    static std::unique_ptr<X11MoveAssist> create(const std::shared_ptr<X11Backend>& backend);
    ~X11MoveAssist() override;

    void setGroupingModifiers(EventFlags modifiers) override { modifiers_.store(modifiers); }
    // Told by the running window manager's name (its check window's
    // _NET_WM_NAME), read again when another one runs.
    bool snapsMovesWithShift() const override;

private:
    X11MoveAssist(std::shared_ptr<X11Backend> backend, X11RawInput input);
    void handle(const xcb_generic_event_t& event);
    void pressed();
    void moved();

    struct Press {
        xcb_window_t client = kNoWindow;
        xcb_window_t frameWindow = kNoWindow;
        Point pointer;
        Point frameOrigin;  // of the frame window, when pressed
        int stillMotions = 0;  // past the threshold, with the frame where it was
        bool decided = false;
    };

    std::shared_ptr<X11Backend> backend_;  // sends the move request
    X11RawInput input_;                    // the thread's own connection
    const X11ModifierMasks masks_;
    std::atomic<EventFlags> modifiers_{0};
    Press press_;  // the thread's only
    // The window manager last asked about (its check window) and its answer.
    mutable xcb_window_t snapsAskedOf_ = kNoWindow;
    mutable bool snaps_ = false;
    X11EventThread thread_;
};

}  // namespace tessaly
