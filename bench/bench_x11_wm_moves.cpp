// Move latency on each window manager people run (stock configurations, each
// on a headless desktop of its own, one after the other in this run): one
// window moved through the X11 backend's accessibility position write (what
// the engine does for a member), against bare xcb sending the same
// _NET_MOVERESIZE_WINDOW, from the request to the frame's ConfigureNotify at
// its new place. Target: backend within 1.1x of bare xcb on every window
// manager. A window manager that is not installed is skipped with a line.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Platform/X11/X11Accessibility.h"
#include "X11BenchDesktop.h"

namespace {

using namespace tessaly;
using bench::Landing;
using bench::WindowPlace;
using test::X11WindowManager;

constexpr std::uint16_t kWidth = 240;
constexpr std::uint16_t kHeight = 180;
constexpr WindowPlace kHome{200, 150};
constexpr std::int16_t kShift = 30;

struct Fixture {
    std::unique_ptr<test::X11Desktop> desktop;
    std::shared_ptr<X11Backend> backend;
    std::unique_ptr<X11Accessibility> accessibility;
    std::unique_ptr<X11Connection> bare;  // the bare code's own connection
    xcb_window_t window = kNoWindow;
    xcb_window_t frame = kNoWindow;
    // Where the frame window stands against the frame (window managers with
    // invisible borders make it larger).
    std::int16_t frameDx = 0;
    std::int16_t frameDy = 0;
    Size clientSize;
    // What bare xcb sends to land the frame at a place: the frame's top-left
    // with NorthWest gravity, or where the window manager publishes no
    // extents (i3, which ignores gravity) the client's with Static gravity.
    std::uint32_t gravity = 1;
    std::int16_t sendDx = 0;
    std::int16_t sendDy = 0;
    bool shifted = false;  // where the frame is now: home or home + shift
};

Fixture* fixture = nullptr;

// Moves the window to its other place with `move`, then waits until the
// frame reports it.
template <typename Move>
bool moveOnce(Move move) {
    const WindowPlace place = fixture->shifted ? kHome
                                               : WindowPlace{static_cast<std::int16_t>(kHome.x + kShift),
                                                             static_cast<std::int16_t>(kHome.y + kShift)};
    fixture->shifted = !fixture->shifted;
    move(place);
    const WindowPlace frameWindowPlace{static_cast<std::int16_t>(place.x + fixture->frameDx),
                                       static_cast<std::int16_t>(place.y + fixture->frameDy)};
    std::vector<Landing> pending{{fixture->frame, frameWindowPlace}};
    return bench::LandingWatch(fixture->desktop->connection().get()).wait(pending);
}

bool backendPass() {
    const auto pid = static_cast<ProcessID>(getpid());
    return moveOnce([pid](WindowPlace place) {
        const AXError error = fixture->accessibility->setAttributeValue(
            X11Accessibility::windowElement(pid, fixture->window), "AXPosition",
            Point{static_cast<double>(place.x), static_cast<double>(place.y)}, 0);
        benchmark::DoNotOptimize(error);
    });
}

// The same move written directly: the frame's top-left (NorthWest gravity)
// with the size the window keeps.
bool barePass() {
    xcb_connection_t* c = fixture->bare->get();
    return moveOnce([c](WindowPlace place) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = fixture->window;
        message.type = fixture->bare->atoms().NET_MOVERESIZE_WINDOW;
        message.data.data32[0] = fixture->gravity | (0xFu << 8) | (2u << 12);
        message.data.data32[1] = static_cast<std::uint32_t>(place.x + fixture->sendDx);
        message.data.data32[2] = static_cast<std::uint32_t>(place.y + fixture->sendDy);
        message.data.data32[3] = static_cast<std::uint32_t>(fixture->clientSize.width);
        message.data.data32[4] = static_cast<std::uint32_t>(fixture->clientSize.height);
        xcb_send_event(c, 0, fixture->bare->root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(c);
    });
}

std::map<std::string, bench::PairedTimes> results;  // by window manager

// Makes one managed window (floating on a tiling window manager), puts its
// frame at home and moves it once each way untimed.
bool setUp(Fixture& f, X11WindowManager manager) {
    const auto windows = bench::createManagedWindows(*f.desktop, {kHome}, kWidth, kHeight);
    if (windows.empty()) return false;
    f.window = windows.front();
    if (manager == X11WindowManager::i3) {
        std::ostringstream command;
        command << "[id=" << f.window << "] floating enable";
        if (f.desktop->run({"i3-msg", "-q", command.str()}) != 0) return false;
    }
    f.backend = X11Backend::open(f.desktop->display());
    f.bare = X11Connection::open(f.desktop->display());
    if (!f.backend || !f.bare) return false;
    f.accessibility = std::make_unique<X11Accessibility>(f.backend);
    const Point home{static_cast<double>(kHome.x), static_cast<double>(kHome.y)};
    const bool placed = f.desktop->waitUntil([&] {
        f.desktop->windows().setPosition(f.window, home);
        const auto info = f.desktop->windows().read(f.window);
        return info && info->frame.origin == home && info->frame.width() < 1000;
    });
    if (!placed) {
        const auto info = f.desktop->windows().read(f.window);
        if (info) {
            std::printf("bench_x11_wm_moves: the frame stays at %g,%g %gx%g\n", info->frame.minX(), info->frame.minY(),
                        info->frame.width(), info->frame.height());
        }
        return false;
    }
    const auto info = f.desktop->windows().read(f.window);
    f.frame = info->frameWindow;
    f.clientSize = info->clientFrame.size;
    xcb_connection_t* c = f.desktop->connection().get();
    const auto outer = xcbReply(c, xcb_get_geometry_reply, xcb_get_geometry(c, f.frame));
    if (!outer) return false;
    f.frameDx = static_cast<std::int16_t>(outer->x - home.x);
    f.frameDy = static_cast<std::int16_t>(outer->y - home.y);
    if (!info->extentsPublished) {
        const auto client = xcbReply(c, xcb_get_geometry_reply, xcb_get_geometry(c, f.window));
        if (!client) return false;
        f.gravity = 10;
        f.sendDx = static_cast<std::int16_t>(info->extents.left - client->border_width);
        f.sendDy = static_cast<std::int16_t>(info->extents.top - client->border_width);
    }
    f.shifted = false;
    fixture = &f;
    return barePass() && backendPass() && barePass() && backendPass();
}

void BM_Move(benchmark::State& state, std::string manager) {
    bench::runPaired(state, results[manager], backendPass, barePass);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::vector<std::string> skipped;
    for (const auto manager : test::X11Desktop::windowManagers()) {
        const std::string name = test::X11Desktop::name(manager);
        if (const auto missing = test::X11Desktop::missingPrograms(manager); !missing.empty()) {
            skipped.push_back(name + " (not installed)");
            continue;
        }
        Fixture f;
        f.desktop = bench::startDesktopOrSkip("bench_x11_wm_moves", 1920, 1080, manager);
        if (!f.desktop) {
            skipped.push_back(name + " (did not start)");
            continue;
        }
        if (!setUp(f, manager)) {
            std::printf("bench_x11_wm_moves: %s did not manage and move the window\n", name.c_str());
            return 1;
        }
        // A fixed count: enough passes for steady medians whatever the
        // minimum time asked for (a pass takes well under a millisecond).
        benchmark::RegisterBenchmark(("BM_Move/" + name).c_str(), BM_Move, name)
            ->Iterations(600)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
        bench::runRegistered();  // this window manager's benchmark only
        benchmark::ClearRegisteredBenchmarks();
        fixture = nullptr;
    }
    bool withinTarget = true;
    for (const auto manager : test::X11Desktop::windowManagers()) {
        const auto it = results.find(test::X11Desktop::name(manager));
        if (it == results.end() || it->second.bare.empty()) continue;
        const auto& times = it->second;
        std::printf("move latency on %-12s backend/bare = %.2fx (median %.1f us vs %.1f us, paired over %zu passes; "
                    "target 1.1x)\n",
                    it->first.c_str(), times.pairedRatio(), times.backendMedian() * 1e6, times.bareMedian() * 1e6,
                    times.bare.size());
        withinTarget = withinTarget && times.pairedRatio() <= 1.1;
    }
    benchmark::Shutdown();
    for (const auto& s : skipped) std::printf("move latency: skipped %s\n", s.c_str());
    std::printf("move latency: %s\n", withinTarget ? "within 1.1x on every window manager" : "ABOVE 1.1x somewhere");
    return 0;
}
