#pragma once
// A user at the test desktop: drags title bars (with or without Shift),
// groups windows the way the program teaches, and looks at what the program
// shows (its bars and previews, frames, stacking). Every gesture is paced by
// what the screen shows (a frame following the pointer, a preview
// appearing), never by sleeping. Shared by the end-to-end tests and the
// end-to-end benchmarks.
#include "ScreenReadback.h"
#include "XTestInput.h"

#include "Platform/X11/X11Desktop.h"

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::e2e {

class DesktopUser {
public:
    static constexpr double kBarHeight = 30;  // the default tab bar height

    DesktopUser(test::X11Desktop& desktop, pid_t program)
        : desktop_(desktop), program_(program), input(desktop.connection()), screen(desktop) {}

    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = test::kX11Patience) {
        return desktop_.waitUntil(condition, timeout);
    }

    X11WindowInfo info(xcb_window_t client) {
        auto read = screen.client(client);
        return read ? *read : X11WindowInfo{};
    }
    Rect frame(xcb_window_t client) { return info(client).frame; }

    // A point on the client's title bar, in the middle of the decoration's top.
    Point titleBarPoint(xcb_window_t client, double fromLeft = 60) {
        const auto i = info(client);
        return Point{i.frame.origin.x + fromLeft, i.frame.origin.y + std::max(2.0, std::floor(i.extents.top / 2))};
    }

    // The program's shown override-redirect windows (bars with their
    // backings behind the windows, previews).
    std::vector<ShownWindow> overlays() { return screen.overrideRedirectOf(program_); }
    // Its shown tab bars: the strips of the bar's height.
    std::vector<ShownWindow> bars() {
        auto all = overlays();
        std::erase_if(all, [](const ShownWindow& w) { return w.rect.size.height != kBarHeight; });
        return all;
    }

    // The bar of the group whose active member is `client`: one of the
    // program's override-redirect windows, as wide as the client's frame,
    // standing on the frame's top edge (or inside its title bar when there
    // is no room above) and directly above the frame in the stacking order.
    std::optional<ShownWindow> barAbove(xcb_window_t client) {
        const Rect f = frame(client);
        const xcb_window_t frameWindow = screen.frameWindow(client);
        for (const auto& w : bars()) {
            const bool onTop = w.rect.maxY() == f.minY() || w.rect.minY() == f.minY();
            if (w.rect.size.width == f.size.width && w.rect.minX() == f.minX() && onTop && screen.isDirectlyAbove(w.window, frameWindow)) {
                return w;
            }
        }
        return std::nullopt;
    }
    bool waitForBarAbove(xcb_window_t client) {
        return waitUntil([&] { return barAbove(client).has_value(); });
    }
    bool waitForNoBars() {
        return waitUntil([&] { return overlays().empty(); });
    }

    // Whether the two clients share one frame, judged by `a`'s size increments.
    bool shareFrame(xcb_window_t a, xcb_window_t b) {
        return screen.sameFrame(frame(a), frame(b), screen.sizeIncrement(a));
    }
    bool waitForSharedFrame(xcb_window_t a, xcb_window_t b) {
        return waitUntil([&] { return shareFrame(a, b); });
    }

    // Moves the pointer from `from` to `to` in steps of about `step` pixels,
    // waiting after each for `arrived` (given the pointer's place) to hold.
    bool movePointer(Point from, Point to, double step, const std::function<bool(Point)>& arrived,
                     std::chrono::milliseconds perStep = std::chrono::seconds(5)) {
        const double dx = to.x - from.x, dy = to.y - from.y;
        const int steps = std::max(1, static_cast<int>(std::ceil(std::hypot(dx, dy) / step)));
        for (int i = 1; i <= steps; ++i) {
            const Point p{std::round(from.x + dx * i / steps), std::round(from.y + dy * i / steps)};
            input.moveTo(p);
            if (!waitUntil([&] { return arrived(p); }, perStep)) return false;
        }
        return true;
    }

    // Drags the client by its title bar until the pointer is at `to`,
    // optionally holding Shift, waiting after each step until the frame
    // follows the pointer. Before the release, `whileHeld` (when given) is
    // waited for. False, with the reason in `why`, when the frame never
    // followed or `whileHeld` never held; the button and Shift are let go
    // either way.
    bool dragTitleBar(xcb_window_t client, Point to, bool shift, std::string& why,
                      const std::function<bool()>& whileHeld = {}) {
        const Point grab = titleBarPoint(client);
        const Rect start = frame(client);
        const Point offset{grab.x - start.origin.x, grab.y - start.origin.y};
        const auto follows = [&](Point p) { return frame(client).origin == Point{p.x - offset.x, p.y - offset.y}; };
        input.moveTo(grab);
        if (shift) input.keyDown(KeySym::shiftL);
        input.press(1);
        // A little motion first: the window manager (or the program on its
        // behalf) starts the move only once the pointer has moved.
        bool moving = false;
        Point at = grab;
        for (int i = 1; i <= 8 && !moving; ++i) {
            at = Point{grab.x + 4.0 * i, grab.y + 2.0 * i};
            input.moveTo(at);
            moving = waitUntil([&] { return follows(at); }, std::chrono::milliseconds(1500));
        }
        bool ok = moving && movePointer(at, to, 40, follows);
        if (!ok) why = moving ? "the frame stopped following the pointer" : "the window manager never moved the frame";
        if (ok && whileHeld && !waitUntil(whileHeld)) {
            ok = false;
            why = "what should show during the drag never showed";
        }
        input.release(1);
        if (shift) input.keyUp(KeySym::shiftL);
        return ok;
    }

    // Whether one of the program's windows covers at least half of `area`
    // each way (the insert preview over a drop target).
    bool previewCovers(const Rect& area) {
        for (const auto& w : overlays()) {
            const Rect overlap = w.rect.intersection(area);
            if (overlap.size.width >= area.size.width / 2 && overlap.size.height >= area.size.height / 2) return true;
        }
        return false;
    }

    // Groups `dragged` onto `target` as a user does: a Shift-drag by the
    // title bar over the target, a hover until the insert preview shows
    // over it, the release. False (with `why`) when the preview never showed.
    bool groupByDrag(xcb_window_t dragged, xcb_window_t target, std::string& why) {
        const Rect t = frame(target);
        return dragTitleBar(dragged, Point{std::round(t.midX()), std::round(t.midY())}, true, why,
                            [&] { return previewCovers(t); });
    }

    // Clicks at `at` with the left button.
    void click(Point at) {
        input.moveTo(at);
        input.press(1);
        input.release(1);
    }

private:
    test::X11Desktop& desktop_;
    pid_t program_;

public:
    XTestInput input;
    ScreenReadback screen;
};

}  // namespace tessaly::e2e
