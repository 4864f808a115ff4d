// The cost of a group following its active window, on the simulated
// desktop: one step is the active member's move, its frame change reported
// through the window system to the session, the adoption and commit, the
// fan-out to every other member and their frame reports judged as landed.
// Groups of 2, 5 and 10. The same moves fanned out by hand through the
// window system, with no session, are measured beside it; the ratio is what
// the session (engine, overlay and its own bookkeeping) adds on top of the
// window traffic of the simulated desktop.
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
#include "TessalySession/GroupSession.h"

namespace {

using namespace tessaly;

constexpr ProcessID firstPID = 500;

class NoIcons final : public AppIconSource {
public:
    std::shared_ptr<const AppIcon> icon(ProcessID) override { return nullptr; }
};

// A desktop with `size` windows of as many applications, all at one frame.
struct FollowDesktop {
    explicit FollowDesktop(int size) {
        for (int i = 0; i < size; ++i) {
            const ProcessID pid = firstPID + i;
            env.desktop->addApplication({pid, "org.example.App" + std::to_string(i), "App", ""});
            SimWindowSpec spec;
            spec.id = static_cast<WindowID>(i + 1);
            spec.pid = pid;
            spec.frame = frames[0];
            spec.title = "Window";
            env.desktop->addWindow(spec);
            ids.push_back(spec.id);
        }
        env.settle();
    }

    std::shared_ptr<const AXWindow> element(const AXServicesRef& services, WindowID id) const {
        const ProcessID pid = firstPID + static_cast<ProcessID>(id) - 1;
        return std::make_shared<const AXWindow>(services, SimDesktop::windowElement(pid, id), pid, 1.0f);
    }

    const Rect frames[2] = {Rect(100, 100, 800, 600), Rect(140, 120, 820, 610)};
    SimEnvironment env;
    std::vector<WindowID> ids;
};

void BM_sessionFollow(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    FollowDesktop desk(size);
    GroupSession session(GroupSession::Services{desk.env.services, nullptr, nullptr,
                                                std::make_shared<FakeOverlayFactory>(), std::make_shared<NoIcons>()},
                         true);
    const AXServicesRef services = session.windowSystem().axServices();
    for (int i = 1; i < size; ++i) session.group(desk.element(services, desk.ids[i]), desk.element(services, 1));
    desk.env.settle();
    session.engine().setActive(1);
    desk.env.settle();
    if (session.engine().groupCount() != 1 ||
        session.engine().groups().front().members.size() != static_cast<std::size_t>(size)) {
        state.SkipWithError("the group did not form");
        return;
    }
    std::size_t round = 0;
    for (auto _ : state) {
        desk.env.desktop->moveWindow(1, desk.frames[++round % 2]);
        desk.env.settle();
    }
    if (!(session.engine().groups().front().frame == desk.frames[round % 2])) state.SkipWithError("no follow");
    state.counters["per_step"] = bench::perItem(1);
}

// The same traffic without a session: the window system tracks every
// window and hears every frame report, the active window moves and every
// other window is sent the frame by hand.
void BM_bareFanOut(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    FollowDesktop desk(size);
    AXWindowSystem windows(desk.env.services);
    std::size_t reports = 0;
    windows.onEvent = [&reports](const WindowSystemEvent&) { ++reports; };
    for (const WindowID id : desk.ids) windows.track(desk.element(windows.axServices(), id));
    desk.env.settle();
    std::size_t round = 0;
    for (auto _ : state) {
        const Rect& frame = desk.frames[++round % 2];
        desk.env.desktop->moveWindow(1, frame);
        for (std::size_t i = 1; i < desk.ids.size(); ++i) windows.setFrame(frame, desk.ids[i]);
        desk.env.settle();
    }
    benchmark::DoNotOptimize(reports);
    state.counters["per_step"] = bench::perItem(1);
}

BENCHMARK(BM_sessionFollow)->Arg(2)->Arg(5)->Arg(10);
BENCHMARK(BM_bareFanOut)->Arg(2)->Arg(5)->Arg(10);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    std::map<std::string, std::map<std::string, double>> perStep;  // function -> size -> seconds

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const auto counter = run.counters.find("per_step");
            if (counter != run.counters.end()) perStep[run.run_name.function_name][run.run_name.args] = counter->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    Log::setSink([](LogLevel, LogCategory, std::string_view) {});
    RatioReporter reporter(tessaly::bench::consoleOptions());
    if (const int status = tessaly::bench::runBenchmarks(argc, argv, reporter); status != 0) return status;
    const auto& session = reporter.perStep["BM_sessionFollow"];
    const auto& bare = reporter.perStep["BM_bareFanOut"];
    for (const auto& [size, seconds] : session) {
        const auto baseline = bare.find(size);
        if (baseline == bare.end() || baseline->second <= 0) continue;
        std::printf("follow, group of %s: %.1f us per step, %.2fx the bare fan-out (%.1f us)\n", size.c_str(),
                    seconds * 1e6, seconds / baseline->second, baseline->second * 1e6);
    }
    return 0;
}
