#pragma once
// A user at the test desktop: drags title bars (with or without the
// grouping key, Shift unless told otherwise), groups windows the way the
// program teaches, and looks at what the program
// shows (its bars and previews, frames, stacking). Every gesture is paced by
// what the screen shows (a frame following the pointer, a preview
// appearing), never by sleeping. Shared by the end-to-end tests and the
// end-to-end benchmarks.
#include "ScreenReadback.h"
#include "XTestInput.h"

#include "Platform/X11/X11Desktop.h"

#include <chrono>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessaly::e2e {

class DesktopUser {
public:
    static constexpr double kBarHeight = 30;  // the default tab bar height
    // A bar inside a title bar is at most this much lower than the bar, and
    // at least this high.
    static constexpr double kTitleBarInset = 4;
    static constexpr double kLowestInside = 16;
    // The height of the band a bar's backing lays along the frame's top.
    static constexpr double kBackingReach = 18;
    // How far a window manager may hold a dragged frame back at an edge.
    static constexpr double kEdgeResistance = 20;
    // Pointer steps of a drag: about what a mouse reports at a brisk pace.
    static constexpr double kDragStep = 12;
    // How long one step may take to show on screen before it counts as held.
    static constexpr std::chrono::milliseconds kStepPatience{300};
    // The pace of a drag whose window does not follow the pointer step by
    // step (a window manager that snaps it from edge to edge).
    static constexpr std::chrono::milliseconds kSnapPace{40};

    // Whether the window manager keeps a bar directly above its window in
    // the stacking order (metacity keeps every bar above all windows).
    bool barsStackWithWindows = true;

    DesktopUser(test::X11Desktop& desktop, pid_t program)
        : desktop_(desktop), program_(program), input(desktop.connection()), screen(desktop) {
        if (takesShiftDrags()) groupingKey = KeySym::controlL;
    }

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
    // Its shown tab bars: the strips of the bar's height (above a window)
    // or of a height one inside a title bar may have, less the backing
    // bands (as high as a backing, which lie along a frame's whole top edge,
    // where a strip inside a title bar is inset well from the frame's sides).
    std::vector<ShownWindow> bars() {
        auto all = overlays();
        const double scale = barHeight / kBarHeight;
        const auto stacked = screen.stack();
        const auto isBacking = [&](const ShownWindow& w) {
            if (w.rect.size.height != kBackingReach * scale) return false;
            const double inset = 40 * scale;
            // (fluxbox's frames are override-redirect windows too.)
            return std::none_of(stacked.begin(), stacked.end(), [&](const ShownWindow& s) {
                const bool ours = s.overrideRedirect && s.pid == ProcessID{program_};
                return !ours && w.rect.minX() >= s.rect.minX() + inset &&
                       w.rect.maxX() <= s.rect.maxX() - inset && w.rect.minY() >= s.rect.minY() &&
                       w.rect.maxY() <= s.rect.maxY();
            });
        };
        std::erase_if(all, [&](const ShownWindow& w) {
            const double h = w.rect.size.height;
            const bool inside = h >= kLowestInside * scale && h <= barHeight - kTitleBarInset * scale && !isBacking(w);
            return h != barHeight && !inside;
        });
        return all;
    }
    // The bars' height in X pixels (twice the default where the program's
    // Qt scales by 2).
    double barHeight = kBarHeight;
    // The key a grouping drag holds: Shift, or Control where the program is
    // set to it (window managers that snap a window dragged with Shift).
    xcb_keysym_t groupingKey = KeySym::shiftL;

    // The bar of the group whose active member is `client`: one of the
    // program's override-redirect windows, standing on the frame's top
    // edge as wide as the frame, or, where there is no room above, inside
    // the title bar of what shows of the frame in the work area (a maximised
    // window's borders may lie beyond it), between the title bar's top and
    // the client, inset from both sides; and, unless only its place counts,
    // directly above the frame in the stacking order (where the window
    // manager keeps it there).
    std::optional<ShownWindow> barAbove(xcb_window_t client, bool placeOnly = false) {
        const X11WindowInfo i = info(client);
        const Rect f = i.frame;
        const Rect shown = f.intersection(screen.workArea());
        const xcb_window_t frameWindow = screen.frameWindow(client);
        for (const auto& w : bars()) {
            const bool above = w.rect == Rect(f.minX(), f.minY() - barHeight, f.width(), barHeight);
            if ((above || liesInTitleBar(w.rect, i, shown)) &&
                (placeOnly || !barsStackWithWindows || standsOn(w.window, frameWindow))) {
                return w;
            }
        }
        return std::nullopt;
    }
    // Whether `strip` lies inside the title bar the window manager draws
    // over the client, in what shows of it (`shown`), clear of both sides.
    static bool liesInTitleBar(const Rect& strip, const X11WindowInfo& client, const Rect& shown) {
        return strip.minY() >= shown.minY() && strip.maxY() <= client.clientFrame.minY() &&
               strip.minX() > shown.minX() && strip.maxX() < shown.maxX();
    }

    // Whether the program's strip is directly above the frame in the
    // stacking, or above nothing but its own backing band lying on the
    // frame (metacity keeps the frames it stacks next to each other, which
    // lifts a backing from below the frame to above it).
    // Windows no one sees (metacity's 1x1 marks off the top left corner)
    // are left out.
    bool standsOn(xcb_window_t strip, xcb_window_t frameWindow) {
        auto all = screen.stack();
        std::erase_if(all, [](const ShownWindow& s) { return s.rect.maxX() <= 0 || s.rect.maxY() <= 0; });
        const auto at = [&](xcb_window_t w) {
            return std::find_if(all.begin(), all.end(), [w](const ShownWindow& s) { return s.window == w; });
        };
        const auto u = at(strip);
        const auto l = at(frameWindow);
        if (u == all.end() || l == all.end() || u <= l) return false;
        if (u == l + 1) return true;
        const auto& between = *(l + 1);
        return u == l + 2 && between.overrideRedirect && between.pid == ProcessID{program_} &&
               between.rect.height() == kBackingReach;
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

    // With the button held at `from`: moves the pointer on a few pixels at a
    // time, as a hand does until the window follows, until `following`
    // holds for where the pointer is (the window manager, or the program on
    // its behalf, starts a move once the pointer has gone a few pixels, and
    // moves the window on the next motion it sees, however late). False
    // when it never did; `at` is where the pointer was left.
    bool moveUntilFollowing(Point from, Point& at, const std::function<bool(Point)>& following) {
        const auto deadline = std::chrono::steady_clock::now() + test::kX11Patience;
        for (int i = 1;; ++i) {
            // Six steps away, then to and fro by two pixels.
            at = i <= 6 ? Point{from.x + 6.0 * i, from.y + 2.0 * i}
                        : Point{from.x + 36.0 + 2.0 * (i % 2), from.y + 12.0};
            input.moveTo(at);
            if (waitUntil([&] { return following(at); }, kStepPatience)) return true;
            if (std::chrono::steady_clock::now() >= deadline) return false;
        }
    }

    // Whether the window manager snaps a window moved with Shift held from
    // edge to edge (of the screen and the other windows) instead of letting
    // it follow the pointer, as metacity, marco, mutter and muffin do.
    bool snapsMovesWithShift() const {
        using W = test::X11WindowManager;
        const W m = desktop_.windowManager();
        return m == W::metacity || m == W::marco || m == W::mutter || m == W::muffin;
    }
    // Whether the window manager drops a window moved with Shift held into
    // its own tiles (KWin): the program groups with Control there until the
    // user chooses a key, and so does this user.
    bool takesShiftDrags() const {
        using W = test::X11WindowManager;
        return desktop_.windowManager() == W::kwin || desktop_.windowManager() == W::kwinComposited;
    }

    // Drags the client by its title bar until the pointer is at `to`,
    // optionally holding the grouping modifier, waiting after each step
    // until the frame follows the pointer (where the window manager snaps
    // it, only until it moved at all, then at a hand's pace). Before the
    // release, `whileHeld` (when given) is waited for. False, with the
    // reason in `why`, when the frame never followed or `whileHeld` never
    // held; the button and the modifier are let go either way.
    bool dragTitleBar(xcb_window_t client, Point to, bool grouping, std::string& why,
                      const std::function<bool()>& whileHeld = {},
                      std::chrono::milliseconds holdPatience = test::kX11Patience) {
        const Point grab = titleBarPoint(client);
        const Rect start = frame(client);
        const Point offset{grab.x - start.origin.x, grab.y - start.origin.y};
        // Each step waits until the frame has moved with the pointer, as a
        // window does under a hand that moves at a human pace. A window
        // manager may hold a frame at another window's edge for a step
        // (edge resistance): then a frame near the pointer is enough.
        Point last = start.origin;
        const bool snapping = grouping && groupingKey == KeySym::shiftL && snapsMovesWithShift();
        const auto near = [&](Point p, Point origin) {
            return snapping || (std::abs(origin.x - (p.x - offset.x)) <= kEdgeResistance &&
                                std::abs(origin.y - (p.y - offset.y)) <= kEdgeResistance);
        };
        const auto follows = [&](Point p) {
            const bool moved = waitUntil(
                [&] {
                    const Point origin = frame(client).origin;
                    return origin != last && near(p, origin);
                },
                snapping ? kSnapPace : kStepPatience);
            const Point origin = frame(client).origin;
            last = origin;
            return moved || near(p, origin);
        };
        input.moveTo(grab);
        if (grouping) input.keyDown(groupingKey);
        input.press(1);
        Point at = grab;
        const bool moving = moveUntilFollowing(grab, at, [&](Point p) {
            const Point origin = frame(client).origin;
            return origin != start.origin && near(p, origin);
        });
        last = frame(client).origin;
        bool ok = moving && movePointer(at, to, kDragStep, follows);
        if (!ok) {
            const Point pointer = input.pointer();
            const Point origin = frame(client).origin;
            why = std::string(moving ? "the frame stopped following the pointer"
                                     : "the window manager never moved the frame") +
                  " (pointer at " + describe(pointer) + ", frame at " + describe(origin) + ", grabbed " +
                  describe(offset) + " into it)";
        }
        if (ok && whileHeld && !waitUntil(whileHeld, holdPatience)) {
            ok = false;
            why = "what should show during the drag never showed";
        }
        input.release(1);
        if (grouping) input.keyUp(groupingKey);
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

    // Groups `dragged` onto `target` as a user does: a drag by the title bar
    // with the grouping modifier over the target, a hover until the insert
    // preview shows over it, the release. False (with `why`) when the preview
    // never showed.
    bool groupByDrag(xcb_window_t dragged, xcb_window_t target, std::string& why,
                     std::chrono::milliseconds previewPatience = test::kX11Patience) {
        const Rect t = frame(target);
        const bool ok = dragTitleBar(dragged, Point{std::round(t.midX()), std::round(t.midY())}, true, why,
                                     [&] { return previewCovers(t); }, previewPatience);
        if (!ok) why += "; the program showed " + describe(overlays()) + " over a target at " + describe(t);
        return ok;
    }

    static std::string describe(Point p) {
        return std::to_string(static_cast<int>(p.x)) + "," + std::to_string(static_cast<int>(p.y));
    }
    static std::string describe(const Rect& r) {
        return std::to_string(static_cast<int>(r.size.width)) + "x" + std::to_string(static_cast<int>(r.size.height)) +
               "+" + std::to_string(static_cast<int>(r.origin.x)) + "+" + std::to_string(static_cast<int>(r.origin.y));
    }
    static std::string describe(const std::vector<ShownWindow>& windows) {
        std::string text = windows.empty() ? "nothing" : "";
        for (const auto& w : windows) text += (text.empty() ? "" : ", ") + describe(w.rect);
        return text;
    }

    // Brings the client forward with the focus (as a click on it would)
    // and waits until the window manager says it is active.
    bool focus(xcb_window_t client) {
        desktop_.windows().activate(client);
        return waitUntil([&] { return desktop_.windows().activeWindow() == client; });
    }

    // After a drop: the bar stands above one of the two windows and the
    // window manager has that one active (the program brings a group's
    // active window forward once it is made), so the next gesture is not
    // overtaken by it.
    bool waitForGroupSettled(xcb_window_t a, xcb_window_t b) {
        return waitUntil([&] {
            const xcb_window_t active = desktop_.windows().activeWindow();
            return (active == a || active == b) && barAbove(active).has_value();
        });
    }

    // Waits until _NET_ACTIVE_WINDOW has not changed for `quiet` (at most
    // for the usual patience).
    bool waitForSteadyFocus(std::chrono::milliseconds quiet) {
        xcb_window_t last = desktop_.windows().activeWindow();
        auto since = std::chrono::steady_clock::now();
        return waitUntil([&] {
            const xcb_window_t now = desktop_.windows().activeWindow();
            if (now != last) {
                last = now;
                since = std::chrono::steady_clock::now();
            }
            return std::chrono::steady_clock::now() - since >= quiet;
        });
    }

    // For set-ups that need the group, not a test of the gesture: focuses
    // the window, groups it by a drag, and when the drop did not take, puts
    // the window back where it was and tries again (at most `attempts`
    // times). Answers whether the two share one frame.
    bool groupByDragRetrying(xcb_window_t dragged, xcb_window_t target, std::string& why, int attempts = 3) {
        const Point home = frame(dragged).origin;
        for (int attempt = 0; attempt < attempts; ++attempt) {
            if (attempt > 0) {
                desktop_.windows().setPosition(dragged, home);
                waitUntil([&] { return frame(dragged).origin == home; });
            }
            focus(dragged);
            const bool previewed = groupByDrag(dragged, target, why, std::chrono::seconds(3));
            if (waitUntil([&] { return shareFrame(dragged, target); },
                          previewed ? test::kX11Patience : std::chrono::seconds(1))) {
                // The program may bring the group's window forward a little
                // later (after it checked that the frames landed): wait
                // until the focus has stayed put for a while, so that the
                // next drag's click is not overtaken.
                return waitForGroupSettled(dragged, target) && waitForSteadyFocus(std::chrono::milliseconds(700));
            }
        }
        return false;
    }

    // Asks the window manager to add or remove one _NET_WM_STATE of the
    // window, as a pager or a window menu does.
    void askState(xcb_window_t window, xcb_atom_t state, bool on) {
        const X11Connection& x = desktop_.connection();
        x.sendClientMessage(x.root(), window, x.atoms().NET_WM_STATE, on ? 1 : 0, state, XCB_ATOM_NONE, 2);
        x.flush();
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
