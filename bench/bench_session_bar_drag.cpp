// The cost of one step of dragging a group by its tab bar, on the simulated
// desktop: the bar's reported motion, the resolution against the display,
// the move request to the active window, the bar's move, and, with the
// grouping modifier held, the search for a merge target among four other
// groups with the preview shown over one of them. Groups of 2 and 10.
//
// Only the session's own work is timed: the move requests it queues for
// the other application are carried out (by the simulated application)
// with the clock stopped. Target: well under 1 ms per step.
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "BenchOutput.h"

#include "AXKit/AXWindow.h"
#include "OverlayUI/FakeOverlay.h"
#include "Platform/Log.h"
#include "Platform/Sim/SimEnvironment.h"
#include "Platform/Sim/SimInput.h"
#include "TessalySession/GroupSession.h"

namespace {

using namespace tessaly;

constexpr ProcessID firstPID = 500;
constexpr int otherGroups = 4;

class NoIcons final : public AppIconSource {
public:
    std::shared_ptr<const AppIcon> icon(ProcessID) override { return nullptr; }
};

// The dragged group of `size` windows at the left, four pairs to its right
// that the dragged frame overlaps.
struct DragDesktop {
    explicit DragDesktop(int size) {
        WindowID next = 1;
        const auto add = [&](const Rect& frame) {
            const ProcessID pid = firstPID + static_cast<ProcessID>(next);
            env.desktop->addApplication({pid, "org.example.App" + std::to_string(next), "App", ""});
            SimWindowSpec spec;
            spec.id = next++;
            spec.pid = pid;
            spec.frame = frame;
            spec.title = "Window";
            env.desktop->addWindow(spec);
            return spec.id;
        };
        for (int i = 0; i < size; ++i) dragged.push_back(add(Rect(100, 100, 800, 600)));
        for (int g = 0; g < otherGroups; ++g) {
            const Rect frame(300.0 + 150 * g, 150.0 + 50 * g, 800, 600);
            others.push_back({add(frame), add(frame)});
        }
        env.settle();
    }

    AXWindowRef element(const AXServicesRef& services, WindowID id) const {
        const ProcessID pid = firstPID + static_cast<ProcessID>(id);
        return std::make_shared<const AXWindow>(services, SimDesktop::windowElement(pid, id), pid, 1.0f);
    }

    SimEnvironment env;
    std::vector<WindowID> dragged;
    std::vector<std::pair<WindowID, WindowID>> others;
};

void BM_barDragStep(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    DragDesktop desk(size);
    auto input = std::make_shared<SimInput>(*desk.env.main);
    auto overlay = std::make_shared<FakeOverlayFactory>();
    GroupSession session(GroupSession::Services{desk.env.services, input, input, overlay, std::make_shared<NoIcons>()},
                         true);
    const AXServicesRef services = session.windowSystem().axServices();
    for (int i = 1; i < size; ++i) {
        session.group(desk.element(services, desk.dragged[static_cast<std::size_t>(i)]),
                      desk.element(services, desk.dragged[0]));
    }
    for (const auto& [a, b] : desk.others) session.group(desk.element(services, b), desk.element(services, a));
    desk.env.settle();
    const auto group = session.engine().group(desk.dragged[0]);
    if (!group || group->members.size() != static_cast<std::size_t>(size) ||
        session.engine().groupCount() != 1 + otherGroups) {
        state.SkipWithError("the groups did not form");
        return;
    }
    input->setModifierFlags(InputFlags::shift);
    session.tabBarDidDragBy(group->id, {1, 1}, InputFlags::shift);  // opens the drag and parks the others
    desk.env.settle();

    Point step{3, 1};
    for (auto _ : state) {
        session.tabBarDidDragBy(group->id, step, InputFlags::shift);
        step = {-step.x, -step.y};
        state.PauseTiming();
        desk.env.settle();  // the simulated application takes the move
        state.ResumeTiming();
    }
    const bool offered = session.barDrags().at(group->id).mergeTarget.has_value();
    session.tabBarDidEndDrag(group->id);
    desk.env.settle();
    if (!offered) state.SkipWithError("no merge target was offered");
    state.counters["per_step"] = bench::perItem(1);
}

BENCHMARK(BM_barDragStep)->Arg(2)->Arg(10);

class StepReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    std::map<std::string, double> perStep;  // size -> seconds

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const auto counter = run.counters.find("per_step");
            if (counter != run.counters.end()) perStep[run.run_name.args] = counter->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    Log::setSink([](LogLevel, LogCategory, std::string_view) {});
    StepReporter reporter(tessaly::bench::consoleOptions());
    if (const int status = tessaly::bench::runBenchmarks(argc, argv, reporter); status != 0) return status;
    for (const auto& [size, seconds] : reporter.perStep) {
        std::printf("bar drag step, group of %s: %.1f us per step (target: under 1000 us)\n", size.c_str(),
                    seconds * 1e6);
    }
    return 0;
}
