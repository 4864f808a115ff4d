// Window discovery over a simulated window list: the cost of turning the
// list into windows and of the topmost-window search, per window, for lists
// of 50 and 500 windows (the cost should grow linearly).
#include <benchmark/benchmark.h>

#include <string>

#include "BenchOutput.h"
#include "Platform/Sim/SimEnvironment.h"
#include "TessalyCore/WindowDiscovery.h"

namespace {

using namespace tessaly;

struct Desktop {
    explicit Desktop(int windows) {
        for (int app = 0; app < 10; ++app) {
            env.desktop->addApplication({1000 + app, "org.example.app" + std::to_string(app),
                                         "App " + std::to_string(app), ""});
        }
        for (int i = 0; i < windows; ++i) {
            SimWindowSpec s;
            s.id = static_cast<WindowID>(i + 1);
            s.pid = 1000 + i % 10;
            // The first window opened (the bottom one) is the only one under the probe point.
            s.frame = i == 0 ? Rect(0, 0, 100, 100) : Rect(200 + i % 50, 200 + i % 40, 400, 300);
            s.title = "Window " + std::to_string(i);
            s.layer = i % 25 == 0 ? WindowLayer::floating : 0;
            env.desktop->addWindow(s);
        }
        env.settle();
    }
    SimEnvironment env;
};

void BM_AllWindows(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Desktop desktop(n);
    const WindowDiscovery discovery(desktop.env.services.windowList);
    for (auto _ : state) {
        auto windows = discovery.allWindows(true);
        benchmark::DoNotOptimize(windows);
    }
    state.counters["per_window"] = bench::perItem(n);
}

void BM_TopmostWindow(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Desktop desktop(n);
    const WindowDiscovery discovery(desktop.env.services.windowList);
    for (auto _ : state) {
        auto hit = discovery.topmostWindow(Point{50, 50}, {}, {});
        benchmark::DoNotOptimize(hit);
    }
    state.counters["per_window"] = bench::perItem(n);
}

BENCHMARK(BM_AllWindows)->Arg(50)->Arg(500);
BENCHMARK(BM_TopmostWindow)->Arg(50)->Arg(500);

}  // namespace

BENCHMARK_MAIN();
