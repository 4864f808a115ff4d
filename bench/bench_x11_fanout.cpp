// Fan-out on a real headless desktop (Xvfb + openbox): moving the other
// members of a group of 2, 10 and 50 windows through the X11 backend's
// accessibility position writes (what the window system does for each
// member), against a bare xcb loop sending the same _NET_MOVERESIZE_WINDOW
// requests. Both wait until every frame has reported its new place in a
// ConfigureNotify. Target: backend within 1.5x of the bare loop.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Platform/X11/X11Accessibility.h"
#include "X11BenchDesktop.h"

namespace {

using namespace tessaly;
using bench::Landing;
using bench::WindowPlace;

constexpr int kLargestGroup = 50;
constexpr std::uint16_t kWidth = 160;
constexpr std::uint16_t kHeight = 120;
// Every move goes between a window's home and home + this offset, so each
// one really changes the frame.
constexpr std::int16_t kShiftX = 20;
constexpr std::int16_t kShiftY = 15;

struct Fixture {
    std::unique_ptr<test::X11Desktop> desktop;
    std::shared_ptr<X11Backend> backend;
    std::unique_ptr<X11Accessibility> accessibility;
    std::unique_ptr<X11Connection> bare;  // the bare loop's own connection
    std::vector<xcb_window_t> windows;
    std::vector<xcb_window_t> frames;
    std::vector<WindowPlace> homes;
    std::vector<bool> shifted;  // where each frame is now: home or home + shift
};

Fixture* fixture = nullptr;

WindowPlace nextPlace(std::size_t i) {
    const WindowPlace home = fixture->homes[i];
    if (fixture->shifted[i]) return home;
    return WindowPlace{static_cast<std::int16_t>(home.x + kShiftX), static_cast<std::int16_t>(home.y + kShiftY)};
}

// Moves the members after the first (the one the user moved) of a group of
// `size` with `move`, then waits until they have all landed.
template <typename Move>
bool fanOut(std::size_t size, Move move) {
    std::vector<Landing> pending;
    for (std::size_t i = 1; i < size; ++i) {
        const WindowPlace place = nextPlace(i);
        move(fixture->windows[i], place);
        pending.push_back({fixture->frames[i], place});
        fixture->shifted[i] = !fixture->shifted[i];
    }
    return bench::LandingWatch(fixture->desktop->connection().get()).wait(pending);
}

// Through the backend: the accessibility position write, one per member.
bool backendPass(std::size_t size) {
    const auto pid = static_cast<ProcessID>(getpid());
    return fanOut(size, [pid](xcb_window_t window, WindowPlace place) {
        const AXError error = fixture->accessibility->setAttributeValue(
            X11Accessibility::windowElement(pid, window), "AXPosition",
            Point{static_cast<double>(place.x), static_cast<double>(place.y)}, 0);
        benchmark::DoNotOptimize(error);
    });
}

// The same moves as bare _NET_MOVERESIZE_WINDOW messages.
bool barePass(std::size_t size) {
    xcb_connection_t* c = fixture->bare->get();
    const xcb_window_t root = fixture->bare->root();
    const xcb_atom_t moveResize = fixture->bare->atoms().NET_MOVERESIZE_WINDOW;
    return fanOut(size, [&](xcb_window_t window, WindowPlace place) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = moveResize;
        // NorthWest gravity, x and y present, source: a pager.
        message.data.data32[0] = 1u | (1u << 8) | (1u << 9) | (2u << 12);
        message.data.data32[1] = static_cast<std::uint32_t>(place.x);
        message.data.data32[2] = static_cast<std::uint32_t>(place.y);
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(c);
    });
}

std::map<int, bench::PairedTimes> results;  // by group size

// The backend's fan-out (the benchmark's time) with the bare loop's run in
// alternation.
void BM_FanOut(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    auto& times = results[static_cast<int>(size)];
    bench::runPaired(state, times, [size] { return backendPass(size); }, [size] { return barePass(size); });
    state.counters["moves"] = static_cast<double>(size - 1);
}

// Lays out the windows on a grid, waits until openbox manages them all and
// puts every frame at its home.
bool setUp(Fixture& f) {
    std::vector<WindowPlace> places;
    for (int i = 0; i < kLargestGroup; ++i) {
        places.push_back({static_cast<std::int16_t>(40 + (i % 10) * 185), static_cast<std::int16_t>(40 + (i / 10) * 200)});
    }
    f.windows = bench::createManagedWindows(*f.desktop, places, kWidth, kHeight);
    if (f.windows.empty()) return false;
    f.backend = X11Backend::open(f.desktop->display());
    f.bare = X11Connection::open(f.desktop->display());
    if (!f.backend || !f.bare) return false;
    f.accessibility = std::make_unique<X11Accessibility>(f.backend);
    f.frames = f.desktop->windows().frameWindows(f.windows);
    f.homes = places;
    f.shifted.assign(places.size(), false);
    for (std::size_t i = 0; i < f.windows.size(); ++i) {
        f.desktop->windows().setPosition(f.windows[i],
                                         Point{static_cast<double>(places[i].x), static_cast<double>(places[i].y)});
    }
    // Read back rather than wait for events: a frame already at home sends none.
    const bool placed = f.desktop->waitUntil([&] {
        const auto infos = f.desktop->windows().read(f.windows);
        if (infos.size() != f.windows.size()) return false;
        for (std::size_t i = 0; i < infos.size(); ++i) {
            const Point home{static_cast<double>(places[i].x), static_cast<double>(places[i].y)};
            if (infos[i].frame.origin != home) return false;
        }
        return true;
    });
    // The first moves after the windows appeared are much slower (the window
    // manager is still settling): one untimed round of each.
    fixture = &f;
    return placed && barePass(f.windows.size()) && backendPass(f.windows.size());
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fixture f;
    f.desktop = bench::startDesktopOrSkip("bench_x11_fanout");
    if (!f.desktop) return 0;
    if (!setUp(f)) {
        std::printf("bench_x11_fanout: the test desktop did not manage and place %d windows\n", kLargestGroup);
        return 1;
    }

    for (const int size : {2, 10, kLargestGroup}) {
        benchmark::RegisterBenchmark("BM_FanOut", BM_FanOut)->Arg(size)->UseManualTime()->Unit(benchmark::kMicrosecond);
    }
    bench::runBenchmarks();

    for (const auto& [size, times] : results) {
        if (times.bare.empty() || times.backend.empty()) continue;
        std::printf("fan-out %d windows: backend/bare = %.2fx (median %.1f us vs %.1f us over %zu passes; target 1.5x)\n",
                    size, times.ratio(), times.backendMedian() * 1e6, times.bareMedian() * 1e6, times.bare.size());
    }
    fixture = nullptr;
    return 0;
}
