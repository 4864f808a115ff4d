// One drag-recognition tick while a window move is confirmed, with N windows
// on screen: the tick asks for the drop target, which hit-tests the on-screen
// list front to back. The pointer rests over the backmost window, so every
// tick walks the whole list. Expected: well under a millisecond at 200
// windows, and linear in the number of windows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "BenchOutput.h"
#include "TessalyCore/DragGroupingController.h"
#include "TessalyCore/WindowDiscovery.h"

namespace {

using namespace tessaly;

class ListEnvironment final : public DragEnvironment {
public:
    explicit ListEnvironment(int count) {
        // Small windows in a grid, the backmost one under the pointer, the
        // dragged window (id 1) in front.
        windows.push_back(window(1, Rect(0, 0, 300, 200)));
        for (int i = 2; i < count; ++i) {
            windows.push_back(window(static_cast<WindowID>(i), Rect(2000 + (i % 40) * 50.0, (i / 40) * 50.0, 40, 40)));
        }
        windows.push_back(window(static_cast<WindowID>(count + 1), Rect(500, 500, 400, 300)));
    }

    std::optional<DragCandidate> candidateWindow(Point at) override { return candidate(at, {}); }
    std::optional<Rect> liveFrame(WindowID of) override {
        for (const auto& w : windows) {
            if (w.windowID == of) return w.frame;
        }
        return std::nullopt;
    }
    std::optional<DragCandidate> dropTarget(Point at, WindowID excludingDragged) override {
        return candidate(at, {excludingDragged});
    }

    std::vector<DiscoveredWindow> windows;

private:
    static DiscoveredWindow window(WindowID id, Rect frame) {
        DiscoveredWindow w;
        w.windowID = id;
        w.pid = static_cast<ProcessID>(100 + id);
        w.ownerName = "App";
        w.frame = frame;
        w.isOnScreen = true;
        return w;
    }
    std::optional<DragCandidate> candidate(Point at, const std::set<WindowID>& excluding) const {
        const auto hit = WindowDiscovery::topmostWindow(windows, at, excluding, {});
        if (!hit) return std::nullopt;
        return DragCandidate{hit->windowID, hit->pid, hit->frame};
    }
};

void BM_DragTick(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ListEnvironment env(count);
    DragGroupingController controller(env, DragSettings{});
    int shown = 0;
    controller.onEvent = [&](const DragGroupingEvent&) { ++shown; };

    // Confirm a move of window 1 and bring it over the backmost window.
    double t = 1000;
    controller.mouseDown({100, 10}, t);
    auto step = [&](Point p) {
        env.windows.front().frame = Rect(p.x - 100, p.y - 10, 300, 200);
        t += 0.02;
        controller.mouseDragged(p, true, t);
    };
    step({106, 10});
    step({120, 10});
    step({700, 650});
    if (!controller.isDragging()) state.SkipWithError("drag not confirmed");

    for (auto _ : state) {
        t += DragGroupingController::hitTestInterval;  // every tick is a hit-test tick
        controller.tick(true, t);
    }
    benchmark::DoNotOptimize(shown);
    state.SetComplexityN(count);
}
BENCHMARK(BM_DragTick)->Arg(50)->Arg(200)->Arg(500)->Complexity(benchmark::oN);

// Prints the per-window cost at 500 windows against that at 50.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(tessaly::bench::consoleOptions()) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                perTick[run.complexity_n] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (perTick.contains(50) && perTick.contains(500)) {
            const double per50 = perTick[50] / 50;
            const double per500 = perTick[500] / 500;
            std::printf("per-window cost: %.2f ns at 50, %.2f ns at 500; ratio 500/50 = %.2f (1.0 = linear)\n",
                        per50, per500, per500 / per50);
        }
    }

private:
    std::map<std::int64_t, double> perTick;
};

}  // namespace

int main(int argc, char** argv) {
    RatioReporter reporter;
    return tessaly::bench::runBenchmarks(argc, argv, reporter);
}
