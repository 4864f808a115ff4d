#pragma once
// What the X11 benchmarks share: the headless test desktop (Xvfb + openbox,
// or another window manager) or a clear skip line when it cannot be started, cheap managed windows
// made on the harness's connection, and a wait for frames to report their
// new place through ConfigureNotify.
#include "Platform/X11/X11Desktop.h"

#include <benchmark/benchmark.h>

#include <xcb/xcb_icccm.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::bench {

// Starts the desktop; when it cannot be started, prints why on one line
// (the program then exits 0: a machine without Xvfb has nothing to measure).
inline std::unique_ptr<test::X11Desktop> startDesktopOrSkip(
    const char* program, int width = 1920, int height = 1080,
    test::X11WindowManager manager = test::X11WindowManager::openboxTest) {
    test::X11Desktop::Options options;
    options.width = width;
    options.height = height;
    options.manager = manager;
    std::string why;
    bool serverMissing = false;
    auto desktop = test::X11Desktop::start(options, why, serverMissing);
    if (!desktop) {
        std::printf("%s: skipped, no X11 test desktop (%s%s)\n", program,
                    serverMissing ? "" : "it did not start: ", why.c_str());
        std::fflush(stdout);
    }
    return desktop;
}

struct WindowPlace {
    std::int16_t x = 0;
    std::int16_t y = 0;
};

// Creates top-level windows (not override-redirect) at `places`, each with
// `width` x `height`, carrying what an ordinary application window carries:
// WM_CLASS, WM_NAME, _NET_WM_PID, type NORMAL, a user-given position. Maps
// them and waits until the window manager manages every one (listed in
// _NET_CLIENT_LIST, reparented, viewable). Empty when that does not happen.
inline std::vector<xcb_window_t> createManagedWindows(test::X11Desktop& desktop, const std::vector<WindowPlace>& places,
                                                      std::uint16_t width, std::uint16_t height) {
    X11Connection& x = desktop.connection();
    xcb_connection_t* c = x.get();
    const auto& a = x.atoms();
    const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
    static constexpr char wmClass[] = "tessaly-bench\0TessalyBench";
    std::vector<xcb_window_t> windows;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const xcb_window_t w = xcb_generate_id(c);
        const std::uint32_t values[] = {x.screen().white_pixel};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, x.root(), places[i].x, places[i].y, width, height, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
        const std::string title = "bench window " + std::to_string(i);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(title.size()), title.data());
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof wmClass,
                            wmClass);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, a.NET_WM_PID, XCB_ATOM_CARDINAL, 32, 1, &pid);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, a.NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 32, 1,
                            &a.NET_WM_WINDOW_TYPE_NORMAL);
        xcb_size_hints_t hints{};
        xcb_icccm_size_hints_set_position(&hints, 1, places[i].x, places[i].y);
        xcb_icccm_size_hints_set_size(&hints, 1, width, height);
        xcb_icccm_set_wm_normal_hints(c, w, &hints);
        xcb_map_window(c, w);
        windows.push_back(w);
    }
    x.flush();
    const bool managed = desktop.waitUntil(
        [&] {
            auto listed = desktop.windows().clientList();
            std::sort(listed.begin(), listed.end());
            for (const auto w : windows) {
                if (!std::binary_search(listed.begin(), listed.end(), w)) return false;
            }
            const auto infos = desktop.windows().read(windows);
            return infos.size() == windows.size() && std::all_of(infos.begin(), infos.end(), [](const auto& info) {
                       return info.frameWindow != info.window && info.viewable;
                   });
        },
        std::chrono::seconds(30));
    if (!managed) return {};
    return windows;
}

// Asks the window manager to move `window`'s frame to `place`
// (_NET_MOVERESIZE_WINDOW, NorthWest gravity, as a pager); not flushed.
inline void sendMove(const X11Connection& x, xcb_window_t window, WindowPlace place) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = x.atoms().NET_MOVERESIZE_WINDOW;
    message.data.data32[0] = 1u | (1u << 8) | (1u << 9) | (2u << 12);  // NorthWest, x and y, from a pager
    message.data.data32[1] = static_cast<std::uint32_t>(place.x);
    message.data.data32[2] = static_cast<std::uint32_t>(place.y);
    xcb_send_event(x.get(), 0, x.root(), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

// A frame (a root child) and where its top-left should land.
struct Landing {
    xcb_window_t frame = kNoWindow;
    WindowPlace place;
};

// Watches frames land, reading ConfigureNotify events on a connection that
// selects SubstructureNotify on the root. A wait reads only until what it
// waits for has landed, and keeps the events it read for frames it was not
// waiting for: members that report their new place in the same batch as
// their leader are there for the next wait instead of being thrown away.
class LandingWatch {
public:
    explicit LandingWatch(xcb_connection_t* c) : c_(c) {}

    // A new pass: what was read before no longer counts.
    void forget() { kept_.clear(); }

    // Waits until every pending frame has reported its top-left at its
    // place. False when time runs out first.
    bool wait(std::vector<Landing>& pending, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        using Clock = std::chrono::steady_clock;
        std::erase_if(kept_, [&](const Seen& seen) { return settle(pending, seen); });
        const auto deadline = Clock::now() + timeout;
        while (!pending.empty()) {
            XEvent event{xcb_poll_for_event(c_)};
            if (!event) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
                if (left <= 0) return false;
                pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
                poll(&p, 1, static_cast<int>(left));
                continue;
            }
            if ((event->response_type & 0x7f) != XCB_CONFIGURE_NOTIFY) continue;
            const auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(event.get());
            const Seen seen{e->window, WindowPlace{e->x, e->y}};
            if (!settle(pending, seen) && kept_.size() < kKeptLimit) kept_.push_back(seen);
        }
        return true;
    }

private:
    struct Seen {
        xcb_window_t frame;
        WindowPlace place;
    };
    static constexpr std::size_t kKeptLimit = 100'000;

    // Takes the landing `seen` reports off `pending`; whether it did.
    static bool settle(std::vector<Landing>& pending, const Seen& seen) {
        const auto it = std::find_if(pending.begin(), pending.end(), [&](const Landing& l) {
            return l.frame == seen.frame && l.place.x == seen.place.x && l.place.y == seen.place.y;
        });
        if (it == pending.end()) return false;
        *it = pending.back();
        pending.pop_back();
        return true;
    }

    xcb_connection_t* c_;
    std::vector<Seen> kept_;
};

// Times of the backend and of the bare xcb code measured in alternation,
// pass after pass, so that both see the same load on the machine; compared
// by their medians.
struct PairedTimes {
    std::vector<double> backend;  // seconds per pass
    std::vector<double> bare;

    static double median(std::vector<double> values) {
        if (values.empty()) return 0;
        const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
        std::nth_element(values.begin(), middle, values.end());
        return *middle;
    }
    double backendMedian() const { return median(backend); }
    double bareMedian() const { return median(bare); }
    double ratio() const { return bareMedian() > 0 ? backendMedian() / bareMedian() : 0; }
    // The ratio from the median difference within each pair (the two passes
    // of a pair run back to back): steadier than the ratio of medians when
    // the machine's load drifts during the run.
    double pairedRatio() const {
        std::vector<double> differences;
        for (std::size_t i = 0; i < std::min(backend.size(), bare.size()); ++i) differences.push_back(backend[i] - bare[i]);
        return bareMedian() > 0 ? 1 + median(differences) / bareMedian() : 0;
    }
};

// Runs `backendPass` and `barePass` alternately (which one goes first
// alternates too), once per benchmark iteration each. The benchmark's time
// is the backend's (manual time); the bare code's median and the ratio are
// counters. A pass answers false when it failed.
template <typename BackendPass, typename BarePass>
void runPaired(benchmark::State& state, PairedTimes& times, BackendPass backendPass, BarePass barePass) {
    using Clock = std::chrono::steady_clock;
    const auto timed = [](auto& pass, std::vector<double>& into) {
        const auto start = Clock::now();
        const bool ok = pass();
        into.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        return ok;
    };
    bool backendFirst = true;
    for (auto _ : state) {
        bool ok = true;
        if (backendFirst) {
            ok = timed(backendPass, times.backend) && timed(barePass, times.bare);
        } else {
            ok = timed(barePass, times.bare) && timed(backendPass, times.backend);
        }
        if (!ok) {
            state.SkipWithError("a pass failed (a move did not land in time)");
            break;
        }
        state.SetIterationTime(times.backend.back());
        backendFirst = !backendFirst;
    }
    state.counters["bare_us"] = times.bareMedian() * 1e6;
    state.counters["backend/bare"] = times.ratio();
}

// Runs the registered benchmarks with the console reporter (colour only on
// a terminal).
inline void runRegistered() {
    benchmark::ConsoleReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                              : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
}

// The same, once, ending the library's run.
inline void runBenchmarks() {
    runRegistered();
    benchmark::Shutdown();
}

}  // namespace tessaly::bench
