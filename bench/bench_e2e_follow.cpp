// Live follow through the real program on a headless desktop (Xvfb +
// openbox): groups of 2, 5 and 10 windows are made by Shift-dragging title
// bars, then the active member is moved again and again. Measured: from the
// active member's frame reporting its new place (ConfigureNotify) to the
// last other member's frame reporting it, against a bare xcb program doing
// the same fan-out (on the same event, the same _NET_MOVERESIZE_WINDOW
// requests) to ungrouped windows of the same sizes, in the same run.
// Target: at most 1.3x the bare fan-out.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "X11BenchDesktop.h"
#include "e2e/ApplicationWindows.h"
#include "e2e/DesktopUser.h"
#include "e2e/TessalyProgram.h"

namespace {

using namespace tessaly;
using bench::Landing;
using bench::WindowPlace;

constexpr std::uint16_t kWidth = 200;
constexpr std::uint16_t kHeight = 140;
constexpr std::int16_t kShift = 24;  // each move goes between home and home + this, both ways
const std::vector<int> kSizes = {2, 5, 10};

struct Set {
    std::vector<xcb_window_t> windows;  // the active member first
    std::vector<xcb_window_t> frames;
    WindowPlace home;
    bool shifted = false;
};

struct Fixture {
    std::unique_ptr<test::X11Desktop> desktop;
    std::optional<e2e::TessalyProgram> program;
    std::optional<e2e::ApplicationWindows> applications;  // the grouped windows
    std::unique_ptr<e2e::DesktopUser> user;
    std::unique_ptr<X11Connection> bare;  // the bare fan-out's own connection
    std::map<int, Set> groups;            // by size: grouped through the program
    std::map<int, Set> loose;             // by size: ungrouped, moved by the bare fan-out
};

Fixture* fixture = nullptr;

WindowPlace toggle(Set& set) {
    set.shifted = !set.shifted;
    if (!set.shifted) return set.home;
    return WindowPlace{static_cast<std::int16_t>(set.home.x + kShift), static_cast<std::int16_t>(set.home.y + kShift)};
}

// Moves the set's first window and measures from its frame's landing to the
// last other frame's landing. With `fanOut`, the other moves are sent here
// the moment the first frame lands (the bare program); without, the
// program does it. Seconds; negative when a move never landed.
double followPass(Set& set, bool fanOut) {
    using Clock = std::chrono::steady_clock;
    xcb_connection_t* harness = fixture->desktop->connection().get();
    const WindowPlace place = toggle(set);
    X11Connection& bare = *fixture->bare;
    bench::sendMove(bare, set.windows.front(), place);
    bare.flush();
    std::vector<Landing> first{{set.frames.front(), place}};
    if (!bench::waitForLanding(harness, first)) return -1;
    const auto start = Clock::now();
    std::vector<Landing> others;
    for (std::size_t i = 1; i < set.windows.size(); ++i) {
        if (fanOut) bench::sendMove(bare, set.windows[i], place);
        others.push_back({set.frames[i], place});
    }
    if (fanOut) bare.flush();
    if (!bench::waitForLanding(harness, others)) return -1;
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
    state.counters["tessaly/bare"] = times.ratio();
}

// Makes the windows, groups them through the program, puts every set at home.
// Targets stand in a row at the top, the windows dragged onto them wait in
// rows further down (each drag is a real one, several hundred pixels), and
// the loose sets stand to the right.
bool setUp(Fixture& f) {
    std::vector<WindowPlace> places;
    // The grouped windows are applications of their own (the program
    // handles each application's focus); the loose ones are the bench's.
    std::vector<Point> applicationPlaces;
    std::map<int, std::vector<std::size_t>> groupIndexes, looseIndexes;  // by size: indexes into the windows
    int column = 0, waiting = 0;
    for (const int size : kSizes) {
        groupIndexes[size].push_back(applicationPlaces.size());
        applicationPlaces.push_back({30.0 + column * 290, 80});
        for (int i = 1; i < size; ++i) {
            groupIndexes[size].push_back(applicationPlaces.size());
            applicationPlaces.push_back({30.0 + (waiting % 7) * 150, 420.0 + (waiting / 7) * 200});
            ++waiting;
        }
        ++column;
    }
    for (const int size : kSizes) {
        for (int i = 0; i < size; ++i) {
            looseIndexes[size].push_back(applicationPlaces.size() + places.size());
            places.push_back({static_cast<std::int16_t>(1100 + i * 10), static_cast<std::int16_t>(80 + i * 20)});
        }
    }
    f.applications = e2e::ApplicationWindows::launch(*f.desktop, applicationPlaces, Size{kWidth, kHeight});
    const auto benchWindows = bench::createManagedWindows(*f.desktop, places, kWidth, kHeight);
    if (!f.applications || benchWindows.empty()) return false;
    auto windows = f.applications->windows();
    windows.insert(windows.end(), benchWindows.begin(), benchWindows.end());
    f.bare = X11Connection::open(f.desktop->display());
    if (!f.bare) return false;
    f.user = std::make_unique<e2e::DesktopUser>(*f.desktop, f.program->pid());
    int looseRow = 0;
    for (const int size : kSizes) {
        Set group, loose;
        for (const auto i : groupIndexes[size]) group.windows.push_back(windows[i]);
        for (const auto i : looseIndexes[size]) loose.windows.push_back(windows[i]);
        const Point home = applicationPlaces[groupIndexes[size].front()];
        group.home = WindowPlace{static_cast<std::int16_t>(home.x), static_cast<std::int16_t>(home.y)};
        loose.home = WindowPlace{1100, static_cast<std::int16_t>(80 + looseRow++ * 300)};
        // Group: drag each other window onto the first.
        for (std::size_t i = 1; i < group.windows.size(); ++i) {
            std::string why;
            if (!f.user->groupByDragRetrying(group.windows[i], group.windows.front(), why)) {
                std::printf("bench_e2e_follow: grouping %zu of %d failed: %s\n", i, size, why.c_str());
                return false;
            }
        }
        // The active member (the one the bar stands above) leads.
        std::optional<std::size_t> active;
        f.user->waitUntil([&] {
            for (std::size_t i = 0; i < group.windows.size() && !active; ++i) {
                if (f.user->barAbove(group.windows[i])) active = i;
            }
            return active.has_value();
        });
        if (!active) return false;
        std::swap(group.windows.front(), group.windows[*active]);
        f.groups[size] = group;
        f.loose[size] = loose;
    }
    // Every set at its home: each window of a set at the set's home place.
    for (auto* sets : {&f.groups, &f.loose}) {
        for (auto& [size, set] : *sets) {
            set.frames = f.desktop->windows().frameWindows(set.windows);
            f.desktop->windows().setPosition(set.windows.front(), Point{double(set.home.x), double(set.home.y)});
            if (sets == &f.loose) {
                for (const auto w : set.windows) {
                    f.desktop->windows().setPosition(w, Point{double(set.home.x), double(set.home.y)});
                }
            }
        }
    }
    return f.user->waitUntil([&] {
        for (auto* sets : {&f.groups, &f.loose}) {
            for (auto& [size, set] : *sets) {
                for (const auto w : set.windows) {
                    if (f.user->frame(w).origin != Point{double(set.home.x), double(set.home.y)}) return false;
                }
            }
        }
        return true;
    });
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fixture f;
    f.desktop = bench::startDesktopOrSkip("bench_e2e_follow", 1600, 1000);
    if (!f.desktop) return 0;
    e2e::TessalyProgram::Options options;
    options.defaults["dragHoldDelay"] = "0";
    f.program = e2e::TessalyProgram::start(*f.desktop, options);
    if (!f.program || !f.program->waitUntilSessionRuns()) {
        std::printf("bench_e2e_follow: tessaly did not start\n%s", f.program ? f.program->log().c_str() : "");
        return 1;
    }
    fixture = &f;
    const auto setUpStart = std::chrono::steady_clock::now();
    if (!setUp(f)) {
        std::printf("bench_e2e_follow: the groups could not be made\n%s", f.program->log().c_str());
        return 1;
    }
    std::printf("bench_e2e_follow: %zu groups made by dragging in %.1f s\n", kSizes.size(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - setUpStart).count());
    for (const int size : kSizes) {
        benchmark::RegisterBenchmark("BM_Follow", BM_Follow)->Arg(size)->Iterations(100)->UseManualTime()->Unit(benchmark::kMicrosecond);
    }
    bench::runBenchmarks();
    for (const auto& [size, times] : results) {
        if (times.bare.empty() || times.backend.empty()) continue;
        std::printf("follow %d members: tessaly/bare = %.2fx (median %.0f us vs %.0f us over %zu moves; target 1.3x)\n",
                    size, times.ratio(), times.backendMedian() * 1e6, times.bareMedian() * 1e6, times.bare.size());
    }
    fixture = nullptr;
    return 0;
}
