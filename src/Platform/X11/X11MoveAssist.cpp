#include "Platform/X11/X11MoveAssist.h"

#include "Platform/Log.h"

#include <xcb/xinput.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace tessaly {

namespace {

constexpr std::uint32_t kLeftButton = 1;
constexpr std::uint32_t kMoveDirection = 8;     // _NET_WM_MOVERESIZE_MOVE
constexpr std::uint32_t kCancelDirection = 11;  // _NET_WM_MOVERESIZE_CANCEL
constexpr std::uint32_t kSourcePager = 2;

}  // namespace

std::unique_ptr<X11MoveAssist> X11MoveAssist::create(const std::shared_ptr<X11Backend>& backend) {
    auto input = X11RawInput::open(*backend, true);
    if (!input) return nullptr;
    std::unique_ptr<X11MoveAssist> assist(new X11MoveAssist(backend, std::move(*input)));
    assist->input_.select();
    X11MoveAssist* self = assist.get();
    const auto handler = [self](const xcb_generic_event_t& event) { self->handle(event); };
    if (!assist->thread_.start(*assist->input_.connection, handler, {}, [self] { self->drained(); })) return nullptr;
    return assist;
}

X11MoveAssist::X11MoveAssist(std::shared_ptr<X11Backend> backend, X11RawInput input)
    : backend_(std::move(backend)), input_(std::move(input)), masks_(X11ModifierMasks::read(*input_.connection)) {}

X11MoveAssist::~X11MoveAssist() { thread_.stop(); }

std::string X11MoveAssist::windowManagerName() const { return backend_->connection().windowManagerName(); }

bool X11MoveAssist::snapsMovesWithShift() const {
    // metacity ("Metacity"), marco ("Metacity (Marco)"), mutter ("Mutter")
    // and muffin ("Mutter (Muffin)"), which share metacity's edge snapping.
    const std::string name = windowManagerName();
    return name.starts_with("Metacity") || name.starts_with("Mutter") || name.starts_with("GNOME Shell");
}

bool X11MoveAssist::takesShiftDrags() const {
    // KWin ("KWin") drops a window moved with Shift held into the custom
    // tile under the pointer, and nothing in its settings turns that off.
    return windowManagerName() == "KWin";
}

void X11MoveAssist::handle(const xcb_generic_event_t& event) {
    std::uint32_t button = 0;
    switch (input_.rawType(event, &button)) {
    case XCB_INPUT_RAW_BUTTON_PRESS:
        if (button == kLeftButton) pressed();
        return;
    case XCB_INPUT_RAW_BUTTON_RELEASE:
        if (button == kLeftButton) released();
        return;
    case XCB_INPUT_RAW_MOTION:
        if (press_.client != kNoWindow && !press_.decided) moved();
        return;
    default: return;
    }
}

void X11MoveAssist::pressed() {
    press_ = {};
    const EventFlags wanted = modifiers_.load();
    if (wanted == 0) return;
    const X11Connection& x = *input_.connection;
    xcb_connection_t* c = x.get();
    const auto pointer = xcbReply(c, xcb_query_pointer_reply, xcb_query_pointer(c, x.root()));
    if (!pointer || pointer->child == kNoWindow) return;
    if ((masks_.eventFlags(pointer->mask) & wanted) != wanted) return;
    // The client held by the root child under the pointer.
    const X11Windows windows(x);
    const auto clients = windows.clientList();
    const auto frames = windows.frameWindows(clients);
    const auto at = std::find(frames.begin(), frames.end(), pointer->child);
    if (at == frames.end()) return;
    const xcb_window_t client = clients[static_cast<std::size_t>(at - frames.begin())];
    if (client == pointer->child) return;  // not framed: no title bar
    const auto info = windows.read(client);
    if (!info) return;
    // A title-bar press: inside the frame, above the client window.
    const Point p{static_cast<double>(pointer->root_x), static_cast<double>(pointer->root_y)};
    if (!info->frame.contains(p) || p.y >= info->clientFrame.minY()) return;
    const auto frame = xcbReply(c, xcb_get_geometry_reply, xcb_get_geometry(c, pointer->child));
    if (!frame) return;
    Log::trace(LogCategory::drag, "move assist: a title-bar press on window " + std::to_string(client));
    press_ = Press{.client = client,
                   .frameWindow = pointer->child,
                   .pointer = p,
                   .frameOrigin = Point{static_cast<double>(frame->x), static_cast<double>(frame->y)},
                   .habit = Habit{x.windowManagerCheckWindow(), wanted}};
}

void X11MoveAssist::moved() {
    xcb_connection_t* c = input_.connection->get();
    const auto pointerCookie = xcb_query_pointer(c, input_.connection->root());
    const auto frameCookie = xcb_get_geometry(c, press_.frameWindow);
    const auto pointer = xcbReply(c, xcb_query_pointer_reply, pointerCookie);
    const auto frame = xcbReply(c, xcb_get_geometry_reply, frameCookie);
    if (!pointer || !frame) {
        press_ = {};
        return;
    }
    const double dx = pointer->root_x - press_.pointer.x;
    const double dy = pointer->root_y - press_.pointer.y;
    if (std::hypot(dx, dy) < kDragThreshold) return;
    const auto now = std::chrono::steady_clock::now();
    if (!press_.pastThreshold) press_.pastThreshold = now;
    // The window manager moves it by itself: nothing to do.
    if (frame->x != press_.frameOrigin.x || frame->y != press_.frameOrigin.y) {
        press_.decided = true;
        movesByItself_ = press_.habit;
        return;
    }
    if (++press_.stillMotions < kStillMotions) return;
    if (now - *press_.pastThreshold < ownMovePatience(press_.habit)) return;
    press_.decided = true;
    press_.moveWanted = true;
}

void X11MoveAssist::drained() {
    xcb_connection_t* c = input_.connection->get();
    while (press_.moveWanted) {
        const bool held = buttonHeld();
        // The raw events the server sent before it answered were read with
        // the answer: they come first. A release among them ends this press
        // (and a button held then is a later press's).
        bool read = false;
        while (XEvent event{xcb_poll_for_queued_event(c)}) {
            handle(*event);
            read = true;
        }
        if (read) continue;
        press_.moveWanted = false;
        // A move asked for with the button up would wait for a release
        // that has been.
        if (!held) return;
        needsAssist_ = press_.habit;
        movesByItself_ = {};  // not this time, for all that time
        // From where the press was: the window catches up with the pointer,
        // as if the window manager had moved it from the start.
        press_.assisted = true;
        send(kMoveDirection);
        Log::trace(LogCategory::drag, "move assist: asked the window manager to move window " +
                                          std::to_string(press_.client));
    }
}

void X11MoveAssist::released() {
    // A window manager may take the request on only after the release (it
    // came between the request and its grab): the move then waits for a
    // release that has been. One that saw the release takes this for
    // nothing; icewm and xfwm4 take it for nothing either way. With the
    // button down again (this thread lagging behind), the window manager
    // ends that move on the next release, and a cancel would end the move
    // the next press begins.
    if (press_.client != kNoWindow) {
        const bool cancel = press_.assisted && !buttonHeld();
        if (cancel) send(kCancelDirection);
        const char* move = !press_.assisted ? ""
                           : cancel         ? ", its move cancelled"
                                            : ", its move left to the window manager";
        Log::trace(LogCategory::drag, "move assist: released window " + std::to_string(press_.client) + move);
    }
    press_ = {};
}

bool X11MoveAssist::buttonHeld() const {
    xcb_connection_t* c = input_.connection->get();
    const auto pointer = xcbReply(c, xcb_query_pointer_reply, xcb_query_pointer(c, input_.connection->root()));
    return pointer && (pointer->mask & XCB_BUTTON_MASK_1);
}

std::chrono::milliseconds X11MoveAssist::ownMovePatience(const Habit& habit) const {
    if (movesByItself_ == habit) return kKnownOwnMovePatience;
    if (needsAssist_ == habit) return std::chrono::milliseconds(0);
    return kOwnMovePatience;
}

void X11MoveAssist::send(std::uint32_t direction) const {
    const X11Connection& x = *input_.connection;
    x.sendClientMessage(x.root(), press_.client, x.atoms().NET_WM_MOVERESIZE,
                        static_cast<std::uint32_t>(static_cast<std::int32_t>(press_.pointer.x)),
                        static_cast<std::uint32_t>(static_cast<std::int32_t>(press_.pointer.y)), direction,
                        kLeftButton, kSourcePager);
    x.flush();
}

}  // namespace tessaly
