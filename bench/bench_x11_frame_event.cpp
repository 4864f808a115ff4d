// A frame change on a real headless desktop (Xvfb + openbox) until the
// window system reports it: a window is moved by another client, and the
// time and the round trips on the backend's connections are measured from
// the move request until AXWindowSystem hands out the WindowFrameChanged
// (event reader, accessibility notification, frame read on the
// application's queue, main thread). Once with every read asking the
// server ("before": the backend keeps no clients), once answered from the
// clients the backend keeps in memory ("after").
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "Platform/ThreadQueueFactory.h"
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11Platform.h"
#include "Platform/X11/X11TestQueues.h"
#include "TessalyCore/AXWindowSystem.h"
#include "X11BenchDesktop.h"

namespace {

using namespace tessaly;
using bench::WindowPlace;

constexpr std::uint16_t kWidth = 200;
constexpr std::uint16_t kHeight = 140;
constexpr WindowPlace kHome{100, 120};
constexpr std::int16_t kShift = 24;

struct Fixture {
    std::unique_ptr<test::X11Desktop> desktop;
    std::unique_ptr<X11Platform> platform;
    test::X11TestWorkQueue work;
    std::unique_ptr<AXWindowSystem> system;
    std::unique_ptr<X11Connection> mover;  // the other client that moves the window
    xcb_window_t window = kNoWindow;
    bool shifted = false;
    std::vector<Rect> reported;
};

Fixture* fixture = nullptr;

struct Measured {
    std::vector<double> seconds;
    std::vector<double> roundTrips;
};
std::map<bool, Measured> results;  // by whether the backend keeps clients

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Moves the window to its other place and runs the main thread's work until
// the window system reports the frame there. Seconds; negative on time-out.
double change(std::uint64_t& roundTrips) {
    using Clock = std::chrono::steady_clock;
    Fixture& f = *fixture;
    f.shifted = !f.shifted;
    const std::int16_t at = f.shifted ? kShift : 0;
    const WindowPlace place{static_cast<std::int16_t>(kHome.x + at), static_cast<std::int16_t>(kHome.y + at)};
    f.reported.clear();
    const auto before = X11RoundTrips::count();
    const auto start = Clock::now();
    bench::sendMove(*f.mover, f.window, place);
    f.mover->flush();
    const bool seen = f.work.runUntil(
        [&] {
            return std::any_of(f.reported.begin(), f.reported.end(), [&](const Rect& r) {
                return r.origin == Point{double(place.x), double(place.y)};
            });
        },
        std::chrono::seconds(5));
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    roundTrips = X11RoundTrips::count() - before;
    return seen ? elapsed : -1;
}

void BM_FrameChangeToEvent(benchmark::State& state) {
    const bool keeps = state.range(0) != 0;
    fixture->platform->backend()->setKeepsClients(keeps);
    auto& measured = results[keeps];
    X11RoundTrips::setCounting(true);
    for (auto _ : state) {
        std::uint64_t trips = 0;
        const double seconds = change(trips);
        if (seconds < 0) {
            state.SkipWithError("the frame change was not reported in time");
            break;
        }
        measured.seconds.push_back(seconds);
        measured.roundTrips.push_back(static_cast<double>(trips));
        state.SetIterationTime(seconds);
    }
    X11RoundTrips::setCounting(false);
    // Let the last change's late work finish before the next run.
    fixture->work.runUntil([] { return false; }, std::chrono::milliseconds(20));
    state.counters["round_trips"] = median(measured.roundTrips);
}

bool setUp(Fixture& f) {
    const auto windows = bench::createManagedWindows(*f.desktop, {kHome}, kWidth, kHeight);
    if (windows.empty()) return false;
    f.window = windows.front();
    f.mover = X11Connection::open(f.desktop->display());
    f.platform = X11Platform::open(f.desktop->display());
    if (!f.mover || !f.platform) return false;
    const auto main = std::make_shared<test::X11TestExecutor>(f.work);
    const auto services = f.platform->services(nullptr, main, std::make_shared<ThreadQueueFactory>());
    f.system = std::make_unique<AXWindowSystem>(services);
    f.system->onEvent = [&f](const WindowSystemEvent& event) {
        if (const auto* changed = std::get_if<WindowSystemEvent::WindowFrameChanged>(&event.payload)) {
            f.reported.push_back(changed->frame);
        }
    };
    const ProcessID pid = getpid();
    f.system->track(std::make_shared<const AXWindow>(f.system->axServices(),
                                                     X11Accessibility::windowElement(pid, f.window), pid, 1.0f));
    return f.system->trackedCount() == 1;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fixture f;
    f.desktop = bench::startDesktopOrSkip("bench_x11_frame_event", 1280, 800);
    if (!f.desktop) return 0;
    if (!setUp(f)) {
        std::printf("bench_x11_frame_event: the window could not be made and tracked\n");
        return 1;
    }
    fixture = &f;
    for (const int keeps : {0, 1}) {
        benchmark::RegisterBenchmark(keeps ? "BM_FrameChangeToEvent/clientCache" : "BM_FrameChangeToEvent/noCache",
                                     BM_FrameChangeToEvent)
            ->Arg(keeps)
            ->Iterations(200)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
    bench::runBenchmarks();
    const auto& before = results[false];
    const auto& after = results[true];
    if (!before.seconds.empty() && !after.seconds.empty()) {
        std::printf("frame change to WindowSystemEvent: before the client cache %.0f round trips, %.0f us; "
                    "after %.0f round trips, %.0f us (medians over %zu changes)\n",
                    median(before.roundTrips), median(before.seconds) * 1e6, median(after.roundTrips),
                    median(after.seconds) * 1e6, after.seconds.size());
    }
    f.system.reset();
    fixture = nullptr;
    return 0;
}
