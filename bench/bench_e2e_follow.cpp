// Live follow through the real program on a headless desktop (Xvfb +
// openbox): groups of 2, 5, 10, 20 and 30 windows, rebuilt by the program from a
// relaunch handoff at its start, then the active member is moved again and
// again. Measured: from the active member's frame reporting its new place
// (ConfigureNotify) to the last other member's frame reporting it.
//
// The bare side, in the same run, is what a follower cannot do with less: on
// the same event it sends the same moves (_NET_MOVERESIZE_WINDOW) to as many
// ungrouped windows of the same kind (xlogo on both sides, each an
// application of its own), and moves one bar-sized override-redirect window
// onto the leader's frame, as the program must move its bar.
// Target: at most 1.2x the bare side at every size.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "X11BenchDesktop.h"
#include "e2e/ApplicationWindows.h"
#include "e2e/DesktopUser.h"
#include "e2e/HandoffFile.h"
#include "e2e/TessalyProgram.h"

namespace {

using namespace tessaly;
using bench::Landing;
using bench::WindowPlace;

constexpr std::uint16_t kWidth = 200;
constexpr std::uint16_t kHeight = 140;
constexpr std::uint16_t kBarHeight = 30;
constexpr std::int16_t kShift = 24;  // each move goes between home and home + this, both ways
constexpr double kTarget = 1.2;
const std::vector<int> kSizes = {2, 5, 10, 20, 30};

struct Set {
    std::vector<xcb_window_t> windows;  // the active member first
    std::vector<xcb_window_t> frames;
    WindowPlace home;
    bool shifted = false;
};

struct Fixture {
    std::unique_ptr<test::X11Desktop> desktop;
    std::optional<e2e::ApplicationWindows> applications;
    std::optional<e2e::TessalyProgram> program;
    std::unique_ptr<e2e::DesktopUser> user;
    std::unique_ptr<X11Connection> bare;  // the bare side's own connection
    xcb_window_t bareBar = kNoWindow;     // its stand-in for a bar
    std::unique_ptr<bench::LandingWatch> watch;
    std::map<int, Set> groups;  // by size: grouped by the program
    std::map<int, Set> loose;   // by size: ungrouped, moved by the bare side
};

Fixture* fixture = nullptr;

WindowPlace toggle(Set& set) {
    set.shifted = !set.shifted;
    if (!set.shifted) return set.home;
    return WindowPlace{static_cast<std::int16_t>(set.home.x + kShift), static_cast<std::int16_t>(set.home.y + kShift)};
}

// The bare side's answer to the leader's landing: the members' moves, then
// its bar onto the leader's frame (one ConfigureWindow, as a bar is placed).
void bareFollow(const Set& set, WindowPlace place) {
    X11Connection& bare = *fixture->bare;
    for (std::size_t i = 1; i < set.windows.size(); ++i) bench::sendMove(bare, set.windows[i], place);
    const std::uint32_t values[] = {static_cast<std::uint32_t>(place.x),
                                    static_cast<std::uint32_t>(place.y - kBarHeight),
                                    kWidth,
                                    kBarHeight,
                                    set.frames.front(),
                                    XCB_STACK_MODE_ABOVE};
    xcb_configure_window(bare.get(), fixture->bareBar,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE,
                         values);
    bare.flush();
}

// Says which frames did not report their place and where they are, with
// the end of the program's log, so that a failed run shows why.
void tellWhatDidNotLand(const Set& set, const std::vector<Landing>& pending, WindowPlace place) {
    std::fprintf(stderr, "%zu of %zu members did not land at %d,%d:\n", pending.size(), set.windows.size() - 1,
                 place.x, place.y);
    for (const Landing& l : pending) {
        const auto at = std::find(set.frames.begin(), set.frames.end(), l.frame) - set.frames.begin();
        const auto info = fixture->desktop->windows().read(set.windows[static_cast<std::size_t>(at)]);
        std::fprintf(stderr, "  frame 0x%x is at %s\n", l.frame,
                     info ? (std::to_string(info->frame.minX()) + "," + std::to_string(info->frame.minY())).c_str()
                          : "(gone)");
    }
    if (!fixture->program) return;
    const std::string log = fixture->program->log();
    const std::size_t tail = log.size() > 20000 ? log.size() - 20000 : 0;
    std::fprintf(stderr, "---- end of tessaly's log ----\n%s\n----\n", log.c_str() + tail);
}

// Moves the set's first window and measures from its frame's landing to the
// last other frame's landing; with `bareSide`, the bare side follows (else
// the program does). Seconds; negative when a move never landed.
double followPass(Set& set, bool bareSide) {
    using Clock = std::chrono::steady_clock;
    const WindowPlace place = toggle(set);
    // What the program wrote is read each pass: on a full pipe it would stop.
    if (fixture->program) fixture->program->log();
    fixture->watch->forget();
    bench::sendMove(*fixture->bare, set.windows.front(), place);
    fixture->bare->flush();
    std::vector<Landing> first{{set.frames.front(), place}};
    if (!fixture->watch->wait(first)) return -1;
    const auto start = Clock::now();
    if (bareSide) bareFollow(set, place);
    std::vector<Landing> others;
    for (std::size_t i = 1; i < set.windows.size(); ++i) others.push_back({set.frames[i], place});
    if (!fixture->watch->wait(others)) {
        tellWhatDidNotLand(set, others, place);
        return -1;
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::map<int, bench::PairedTimes> results;

void BM_Follow(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    auto& times = results[size];
    // Alternating which goes first, so both see the same load on the machine.
    bool programFirst = true;
    for (auto _ : state) {
        double program = 0, bare = 0;
        if (programFirst) {
            program = followPass(fixture->groups[size], false);
            bare = followPass(fixture->loose[size], true);
        } else {
            bare = followPass(fixture->loose[size], true);
            program = followPass(fixture->groups[size], false);
        }
        if (program < 0 || bare < 0) {
            state.SkipWithError(program < 0 ? "a member did not follow in time" : "a bare move did not land in time");
            break;
        }
        times.backend.push_back(program);
        times.bare.push_back(bare);
        state.SetIterationTime(program);
        programFirst = !programFirst;
    }
    state.counters["bare_us"] = times.bareMedian() * 1e6;
    state.counters["tessaly/bare"] = times.pairedRatio();
}

// An override-redirect window of a bar's size on the bare connection.
xcb_window_t makeBareBar(X11Connection& x) {
    const xcb_window_t w = xcb_generate_id(x.get());
    const std::uint32_t values[] = {x.screen().white_pixel, 1};
    xcb_create_window(x.get(), XCB_COPY_FROM_PARENT, w, x.root(), 0, 0, kWidth, kBarHeight, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(x.get(), w);
    x.flush();
    return w;
}

// Starts the windows (every one an xlogo of its own, at a place of its own),
// sorts them into sets and puts each set's windows at the set's home: the
// groups' homes in a row at the top, the loose sets' in a row below. Then
// the program starts and rebuilds the groups from a handoff (a rebuilt
// group keeps its windows where they are).
bool setUp(Fixture& f) {
    int total = 0;
    for (const int size : kSizes) total += 2 * size;
    std::vector<Point> places;
    for (int i = 0; i < total; ++i) places.push_back({10.0 + (i % 40) * 35, 600.0 + (i / 40) * 60});
    f.applications = e2e::ApplicationWindows::launch(*f.desktop, places, Size{kWidth, kHeight});
    if (!f.applications) return false;
    const auto& windows = f.applications->windows();
    std::size_t next = 0;
    int column = 0;
    for (const int size : kSizes) {
        Set group, loose;
        group.home = WindowPlace{static_cast<std::int16_t>(30 + column * 380), 60};
        loose.home = WindowPlace{static_cast<std::int16_t>(30 + column * 380), 300};
        for (int i = 0; i < size; ++i) group.windows.push_back(windows[next++]);
        for (int i = 0; i < size; ++i) loose.windows.push_back(windows[next++]);
        f.groups[size] = group;
        f.loose[size] = loose;
        ++column;
    }
    const auto atHome = [&](const Set& set) {
        const Point home{double(set.home.x), double(set.home.y)};
        return std::all_of(set.windows.begin(), set.windows.end(),
                           [&](xcb_window_t w) { return f.desktop->windows().read(w)->frame.origin == home; });
    };
    for (auto* sets : {&f.groups, &f.loose}) {
        for (auto& [size, set] : *sets) {
            for (const auto w : set.windows) f.desktop->windows().setPosition(w, Point{double(set.home.x), double(set.home.y)});
        }
    }
    const bool placed = f.desktop->waitUntil([&] {
        for (auto* sets : {&f.groups, &f.loose}) {
            for (auto& [size, set] : *sets) {
                if (!atHome(set)) return false;
            }
        }
        return true;
    });
    if (!placed) return false;

    // Each group's first window on top of the others, as the session that
    // wrote the handoff left its active member: the new one keeps the tab
    // with the window it finds in front.
    for (auto& [size, set] : f.groups) f.desktop->windows().raise(set.windows.front());
    const auto leadersOnTop = [&] {
        const std::vector<xcb_window_t> stacking = f.desktop->windows().stackingList();  // bottom first
        const auto depth = [&](xcb_window_t w) { return std::find(stacking.begin(), stacking.end(), w); };
        return std::all_of(f.groups.begin(), f.groups.end(), [&](const auto& entry) {
            const auto& members = entry.second.windows;
            return std::all_of(members.begin() + 1, members.end(),
                               [&](xcb_window_t w) { return depth(w) < depth(members.front()); });
        });
    };
    if (!f.desktop->waitUntil(leadersOnTop)) return false;

    const auto pids = f.applications->pids();
    const auto pidOf = [&](xcb_window_t w) {
        return pids[static_cast<std::size_t>(std::find(windows.begin(), windows.end(), w) - windows.begin())];
    };
    std::vector<e2e::HandoffGroup> handoff;
    for (auto* sets : {&f.groups, &f.loose}) {
        for (auto& [size, set] : *sets) set.frames = f.desktop->windows().frameWindows(set.windows);
    }
    for (auto& [size, set] : f.groups) {
        e2e::HandoffGroup saved{f.desktop->windows().read(set.windows.front())->frame, {}};
        for (const auto w : set.windows) saved.members.push_back({w, pidOf(w)});
        handoff.push_back(saved);
    }
    e2e::TessalyProgram::Options options;
    options.handoff = e2e::handoffJson(handoff);
    // The program's traces, for a run that looks into a failure.
    options.diagnostics = std::getenv("TESSALY_RECONCILE_LOG") != nullptr;
    f.program = e2e::TessalyProgram::start(*f.desktop, options);
    if (!f.program || !f.program->waitUntilSessionRuns()) return false;
    f.user = std::make_unique<e2e::DesktopUser>(*f.desktop, f.program->pid());
    // Ready: every group's bar above its leader.
    return f.user->waitUntil([&] {
        return std::all_of(f.groups.begin(), f.groups.end(),
                           [&](const auto& entry) { return f.user->barAbove(entry.second.windows.front()).has_value(); });
    });
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fixture f;
    f.desktop = bench::startDesktopOrSkip("bench_e2e_follow", 2000, 1000);
    if (!f.desktop) return 0;
    f.bare = X11Connection::open(f.desktop->display());
    if (!f.bare) return 1;
    f.bareBar = makeBareBar(*f.bare);
    f.watch = std::make_unique<bench::LandingWatch>(f.desktop->connection().get());
    fixture = &f;
    const auto setUpStart = std::chrono::steady_clock::now();
    if (!setUp(f)) {
        std::printf("bench_e2e_follow: the groups could not be made\n%s", f.program ? f.program->log().c_str() : "");
        return 1;
    }
    std::printf("bench_e2e_follow: %zu groups rebuilt from a handoff in %.1f s\n", kSizes.size(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - setUpStart).count());
    for (const int size : kSizes) {
        benchmark::RegisterBenchmark("BM_Follow", BM_Follow)->Arg(size)->Iterations(100)->UseManualTime()->Unit(benchmark::kMicrosecond);
    }
    bench::runBenchmarks();
    for (const auto& [size, times] : results) {
        if (times.bare.empty() || times.backend.empty()) continue;
        const double ratio = times.pairedRatio();
        std::printf("follow %d members: tessaly/bare = %.2fx (median %.0f us vs %.0f us over %zu moves; target %.1fx: %s)\n",
                    size, ratio, times.backendMedian() * 1e6, times.bareMedian() * 1e6, times.bare.size(), kTarget,
                    ratio <= kTarget ? "met" : "MISSED");
    }
    fixture = nullptr;
    return 0;
}
