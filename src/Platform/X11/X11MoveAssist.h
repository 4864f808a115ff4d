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
//
// A window manager is not asked while it may be starting a move of its own
// (icewm, asked then, runs two moves, ends one and keeps the pointer): until
// it has been seen to need the assist with these modifiers, it is given a
// moment past the threshold to move the window by itself, and a long one
// once it has been seen to move such a window by itself. And a move must
// not outlast the press: it is asked for only with the button held and
// every raw event the server sent before handled (a thread that lags
// behind must not take the button of a later press for this one's), and it
// is cancelled on the release (_NET_WM_MOVERESIZE_CANCEL), for a window
// manager that took the request on only after the release, unless the
// button is down again (the cancel would end the move of that next press).
#include "Platform/WindowMoveAssist.h"
#include "Platform/X11/X11Backend.h"
#include "Platform/X11/X11EventThread.h"
#include "Platform/X11/X11Keyboard.h"
#include "Platform/X11/X11RawInput.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace tessaly {

class X11MoveAssist final : public WindowMoveAssist {
public:
    // How far the pointer moves before the assist looks at the frame, and
    // on how many motions past that the frame must have stayed (a window
    // manager that moves on that press by itself has started by then).
    static constexpr double kDragThreshold = 8;
    static constexpr int kStillMotions = 2;
    // How long past the threshold a window manager not seen to need the
    // assist has to start moving the window by itself; one seen to move such
    // a window by itself has longer (it is slow to start, say on a busy
    // machine, rather than not moving it).
    static constexpr std::chrono::milliseconds kOwnMovePatience{250};
    static constexpr std::chrono::milliseconds kKnownOwnMovePatience{1500};

    // Null when the server has no XInput 2.2 or no connection can be made.
    static std::unique_ptr<X11MoveAssist> create(const std::shared_ptr<X11Backend>& backend);
    ~X11MoveAssist() override;

    void setGroupingModifiers(EventFlags modifiers) override { modifiers_.store(modifiers); }
    // Both told by the running window manager's name (its check window's
    // _NET_WM_NAME), read again when another one runs.
    bool snapsMovesWithShift() const override;
    bool takesShiftDrags() const override;

private:
    X11MoveAssist(std::shared_ptr<X11Backend> backend, X11RawInput input);
    void handle(const xcb_generic_event_t& event);
    void pressed();
    void moved();
    void released();
    // Once every event read has been handed out: asks for the move decided
    // on, while this press's button is still held.
    void drained();
    bool buttonHeld() const;
    // A _NET_WM_MOVERESIZE for the pressed client, from where it was pressed.
    void send(std::uint32_t direction) const;

    // What a window manager (by its check window) does on a title-bar press
    // with these modifiers.
    struct Habit {
        xcb_window_t windowManager = kNoWindow;
        EventFlags modifiers = 0;
        bool operator==(const Habit&) const = default;
    };
    // How long past the threshold the window manager has to move the
    // window by itself before it is asked.
    std::chrono::milliseconds ownMovePatience(const Habit& habit) const;
    struct Press {
        xcb_window_t client = kNoWindow;
        xcb_window_t frameWindow = kNoWindow;
        Point pointer;
        Point frameOrigin;  // of the frame window, when pressed
        Habit habit;
        int stillMotions = 0;  // past the threshold, with the frame where it was
        std::optional<std::chrono::steady_clock::time_point> pastThreshold{};
        bool decided = false;
        bool moveWanted = false;  // decided to ask, once the events read are handled
        bool assisted = false;    // the window manager was asked to move it
    };

    std::shared_ptr<X11Backend> backend_;  // asked for the window manager's name
    X11RawInput input_;                    // the thread's own connection
    const X11ModifierMasks masks_;
    std::atomic<EventFlags> modifiers_{0};
    // The thread's only:
    Press press_;
    Habit needsAssist_;    // the last window manager and modifiers seen to need it
    Habit movesByItself_;  // and seen to move such a window by itself
    // The name of the running window manager, read again when another runs.
    std::string windowManagerName() const;
    X11EventThread thread_;
};

}  // namespace tessaly
