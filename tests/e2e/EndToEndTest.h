#pragma once
// The fixture of the end-to-end tests: a fresh headless desktop per test,
// the real tessaly program on it, XTEST input and read-backs of what a user
// sees. Gestures are paced by what the screen shows (a frame following the
// pointer, a preview appearing), never by sleeping.
#include "ScreenReadback.h"
#include "TessalyProgram.h"
#include "XTestInput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace tessaly::e2e {

class EndToEndTest : public ::testing::Test {
protected:
    static constexpr double kBarHeight = 30;  // the default tab bar height

    // A desktop of 1600 x 1000 with openbox as it comes (its stock
    // configuration: Shift and a title-bar drag do not move a window).
    virtual test::X11Desktop::Options desktopOptions() const {
        test::X11Desktop::Options options;
        options.width = 1600;
        options.height = 1000;
        options.stockConfiguration = true;
        return options;
    }

    void SetUp() override {
        std::string why;
        bool serverMissing = false;
        desktop = test::X11Desktop::start(desktopOptions(), why, serverMissing);
        if (!desktop) {
            if (serverMissing) GTEST_SKIP() << "no X11 test desktop: " << why;
            FAIL() << "the X11 test desktop did not start: " << why;
        }
        input = std::make_unique<XTestInput>(desktop->connection());
        screen = std::make_unique<ScreenReadback>(*desktop);
    }

    void TearDown() override {
        if (program && HasFailure()) {
            std::fprintf(stderr, "---- tessaly's log ----\n%s---- end of tessaly's log ----\n", program->log().c_str());
        }
        program.reset();
        for (auto& helper : helpers) helper.stop();
        helpers.clear();
        screen.reset();
        input.reset();
        desktop.reset();
    }

    // Starts the program and waits until its session runs.
    ::testing::AssertionResult startProgram(TessalyProgram::Options options = {}) {
        program = TessalyProgram::start(*desktop, options);
        if (!program) return ::testing::AssertionFailure() << "tessaly could not be started";
        if (!program->waitUntilSessionRuns()) {
            return ::testing::AssertionFailure() << "tessaly's session did not start: "
                                                 << (program->process().status() ? program->process().status()->describe()
                                                                                 : std::string("still running"));
        }
        return ::testing::AssertionSuccess();
    }

    // Starts a new openbox that replaces the running one (with the same
    // configuration) and waits until it has announced itself.
    bool replaceWindowManager() {
        const xcb_window_t before = desktop->connection().windowManagerCheckWindow();
        std::vector<std::string> argv{"openbox", "--replace", "--sm-disable"};
        const auto config = desktop->directory() / "openbox-rc.xml";
        if (std::filesystem::exists(config)) argv.insert(argv.end(), {"--config-file", config.string()});
        const auto& dir = desktop->directory();
        auto child = ChildProcess::start(argv, {{"DISPLAY", desktop->display()},
                                                {"HOME", (dir / "home").string()},
                                                {"XDG_CONFIG_HOME", (dir / "config").string()},
                                                {"XDG_CACHE_HOME", (dir / "cache").string()},
                                                {"XDG_DATA_HOME", (dir / "data").string()},
                                                {"XDG_RUNTIME_DIR", (dir / "runtime").string()}});
        if (!child) return false;
        helpers.push_back(std::move(*child));
        return waitUntil([&] {
            const xcb_window_t now = desktop->connection().windowManagerCheckWindow();
            return now != kNoWindow && now != before;
        });
    }

    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = test::kX11Patience) {
        return desktop->waitUntil(condition, timeout);
    }

    X11WindowInfo info(xcb_window_t client) {
        auto read = screen->client(client);
        return read ? *read : X11WindowInfo{};
    }
    Rect frame(xcb_window_t client) { return info(client).frame; }

    // A point on the client's title bar: the middle of its decoration's top.
    Point titleBarPoint(xcb_window_t client, double fromLeft = 60) {
        const auto i = info(client);
        return Point{i.frame.origin.x + fromLeft, i.frame.origin.y + std::max(2.0, i.extents.top / 2)};
    }

    // The program's shown override-redirect windows (bars, previews).
    std::vector<ShownWindow> overlays() { return screen->overrideRedirectOf(program->pid()); }

    // The bar of the group whose active member is `client`: one of the
    // program's override-redirect windows, as wide as the client's frame,
    // standing on the frame's top edge (or inside its title bar when there
    // is no room above) and directly above the frame in the stacking order.
    std::optional<ShownWindow> barAbove(xcb_window_t client) {
        const Rect f = frame(client);
        const xcb_window_t frameWindow = screen->frameWindow(client);
        for (const auto& w : overlays()) {
            const bool onTop = w.rect.maxY() == f.minY() || w.rect.minY() == f.minY();
            if (w.rect.size.width == f.size.width && w.rect.size.height == kBarHeight && w.rect.minX() == f.minX() &&
                onTop && screen->isDirectlyAbove(w.window, frameWindow)) {
                return w;
            }
        }
        return std::nullopt;
    }
    bool waitForBarAbove(xcb_window_t client) {
        return waitUntil([&] { return barAbove(client).has_value(); });
    }
    // No override-redirect window of the program is shown any more.
    bool waitForNoBars() {
        return waitUntil([&] { return overlays().empty(); });
    }

    // Whether the two clients share one frame, judged by `a`'s size increments.
    bool shareFrame(xcb_window_t a, xcb_window_t b) {
        return screen->sameFrame(frame(a), frame(b), screen->sizeIncrement(a));
    }
    bool waitForSharedFrame(xcb_window_t a, xcb_window_t b) {
        return waitUntil([&] { return shareFrame(a, b); });
    }

    // Moves the pointer to `to` in steps of about `step` pixels, waiting
    // after each for `arrived` (given the pointer's place) to hold.
    bool movePointer(Point from, Point to, double step, const std::function<bool(Point)>& arrived,
                     std::chrono::milliseconds perStep = std::chrono::seconds(5)) {
        const double dx = to.x - from.x, dy = to.y - from.y;
        const int steps = std::max(1, static_cast<int>(std::ceil(std::hypot(dx, dy) / step)));
        for (int i = 1; i <= steps; ++i) {
            const Point p{std::round(from.x + dx * i / steps), std::round(from.y + dy * i / steps)};
            input->moveTo(p);
            if (!waitUntil([&] { return arrived(p); }, perStep)) return false;
        }
        return true;
    }

    // Drags the client by its title bar to put the pointer at `to`,
    // optionally holding Shift, and waits after each step until the frame
    // follows the pointer. Before the release, `whileHeld` (when given) is
    // waited for. Answers false, with the reason in `why`, when the window
    // manager never moved the frame or `whileHeld` never held.
    bool dragTitleBar(xcb_window_t client, Point to, bool shift, std::string& why,
                      const std::function<bool()>& whileHeld = {}) {
        const Point grab = titleBarPoint(client);
        const Rect start = frame(client);
        const double offsetX = grab.x - start.origin.x, offsetY = grab.y - start.origin.y;
        input->moveTo(grab);
        if (shift) input->keyDown(KeySym::shiftL);
        input->press(1);
        const auto follows = [&](Point p) {
            const Rect now = frame(client);
            return now.origin.x == p.x - offsetX && now.origin.y == p.y - offsetY;
        };
        // The first steps: small, until the move has begun (the window
        // manager, or the program on its behalf, starts it after a little
        // motion).
        bool moving = false;
        Point at = grab;
        for (int i = 1; i <= 8 && !moving; ++i) {
            at = Point{grab.x + 4.0 * i, grab.y + 2.0 * i};
            input->moveTo(at);
            moving = waitUntil([&] { return follows(at); }, std::chrono::milliseconds(1500));
        }
        bool ok = moving && movePointer(at, to, 40, follows);
        if (!ok) why = moving ? "the frame stopped following the pointer" : "the window manager never moved the frame";
        if (ok && whileHeld && !waitUntil(whileHeld)) {
            ok = false;
            why = "what should show during the drag never showed";
        }
        input->release(1);
        if (shift) input->keyUp(KeySym::shiftL);
        return ok;
    }

    // Groups `dragged` onto `target` the way a user does: Shift-drag by the
    // title bar over the target, hover until the insert preview shows over
    // it, release. Answers whether the preview showed.
    bool groupByDrag(xcb_window_t dragged, xcb_window_t target, std::string& why) {
        const Rect t = frame(target);
        const Point over{t.midX(), t.midY()};
        const auto previewShown = [&] {
            for (const auto& w : overlays()) {
                if (w.rect.intersection(t).size.width >= t.size.width / 2 &&
                    w.rect.intersection(t).size.height >= t.size.height / 2) {
                    return true;
                }
            }
            return false;
        };
        return dragTitleBar(dragged, over, true, why, previewShown);
    }

    std::unique_ptr<test::X11Desktop> desktop;
    std::unique_ptr<XTestInput> input;
    std::unique_ptr<ScreenReadback> screen;
    std::optional<TessalyProgram> program;
    std::vector<ChildProcess> helpers;  // processes a test started besides the program
};

}  // namespace tessaly::e2e
