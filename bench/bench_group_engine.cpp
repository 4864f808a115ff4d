// Cost of the group engine's liveness sweep and frame commit as the number of
// groups grows: 10, 100 and 1,000 groups of 5 members, swept against 2,000
// live window ids. The cost per member should stay flat.
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include <benchmark/benchmark.h>

#include "BenchOutput.h"

#include "TessalyCore/GroupEngine.h"

namespace {

using namespace tessaly;

constexpr int membersPerGroup = 5;
constexpr std::size_t liveWindowCount = 2000;

class CountingWindowSystem final : public WindowSystem {
public:
    std::size_t count = 0;
    void setFrame(const Rect&, WindowID) override { ++count; }
    void setMaximized(MaximizedAxes, const Rect&, WindowID) override { ++count; }
    void raiseAndActivate(WindowID) override { ++count; }
    void close(WindowID) override { ++count; }
    void setMinimized(WindowID, bool) override { ++count; }
    void setShaded(WindowID, bool) override { ++count; }
};

WindowID windowID(int group, int member) { return static_cast<WindowID>(1 + group * membersPerGroup + member); }

std::unique_ptr<GroupEngine> makeEngine(int groupCount, const std::shared_ptr<WindowSystem>& windows) {
    auto engine = std::make_unique<GroupEngine>(windows);
    for (int g = 0; g < groupCount; ++g) {
        std::vector<GroupMember> members;
        for (int m = 0; m < membersPerGroup; ++m) members.emplace_back(windowID(g, m), 100 + g, "Window");
        engine->adoptGroup(TabGroup(Uuid::random(), members, windowID(g, 0), Rect(0, 0, 800, 600)));
    }
    return engine;
}

// 2,000 ids: the first two members of every group (up to 2,000), the rest
// windows that belong to no group. Three members in five are missing at every size.
std::unordered_set<WindowID> liveWindows(int groupCount) {
    std::unordered_set<WindowID> alive;
    for (int g = 0; g < groupCount && alive.size() < liveWindowCount; ++g) {
        alive.insert(windowID(g, 0));
        alive.insert(windowID(g, 1));
    }
    for (WindowID filler = 10'000'000; alive.size() < liveWindowCount; ++filler) alive.insert(filler);
    return alive;
}

// Each iteration times sweepsPerRound sweeps of a fresh model: fewer than
// the eviction limit, so every sweep does the same counting work.
void BM_sweep(benchmark::State& state) {
    const int groupCount = static_cast<int>(state.range(0));
    constexpr int sweepsPerRound = GroupEngine::missingSweepLimit - 1;
    const auto windows = std::make_shared<CountingWindowSystem>();
    const auto alive = liveWindows(groupCount);
    for (auto _ : state) {
        const auto engine = makeEngine(groupCount, windows);
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < sweepsPerRound; ++i) engine->sweep(alive);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        benchmark::DoNotOptimize(engine->groupCount());
    }
    state.counters["per_member"] = bench::perItem(static_cast<double>(groupCount) * membersPerGroup * sweepsPerRound);
}

// Each iteration commits a changed frame to every group from its active member.
void BM_commitGroupFrame(benchmark::State& state) {
    const int groupCount = static_cast<int>(state.range(0));
    const auto windows = std::make_shared<CountingWindowSystem>();
    const auto engine = makeEngine(groupCount, windows);
    engine->onEvent = [](const GroupEvent& event) { benchmark::DoNotOptimize(&event); };
    const Rect frames[2] = {Rect(10, 20, 800, 600), Rect(30, 40, 820, 610)};
    std::size_t round = 0;
    for (auto _ : state) {
        const Rect& frame = frames[round++ % 2];
        for (int g = 0; g < groupCount; ++g) engine->commitGroupFrame(frame, windowID(g, 0), false);
    }
    benchmark::DoNotOptimize(windows->count);
    state.counters["per_member"] = bench::perItem(static_cast<double>(groupCount) * membersPerGroup);
}

BENCHMARK(BM_sweep)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime();
BENCHMARK(BM_commitGroupFrame)->Arg(10)->Arg(100)->Arg(1000);

// Keeps the per-member cost of every run, to print the scaling afterwards.
class ScalingReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    std::map<std::string, std::map<std::string, double>> perMember;  // function -> groups -> seconds

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const auto counter = run.counters.find("per_member");
            if (counter == run.counters.end()) continue;
            perMember[run.run_name.function_name][run.run_name.args] = counter->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    ScalingReporter reporter(tessaly::bench::consoleOptions());
    if (const int status = tessaly::bench::runBenchmarks(argc, argv, reporter); status != 0) return status;

    for (const auto& [function, sizes] : reporter.perMember) {
        const auto small = sizes.find("10");
        const auto large = sizes.find("1000");
        if (small == sizes.end() || large == sizes.end() || small->second <= 0) continue;
        const std::string name = function.rfind("BM_", 0) == 0 ? function.substr(3) : function;
        std::printf("%s per-member cost ratio 1000/10 groups: %.2fx (%.1f ns vs %.1f ns)\n", name.c_str(),
                    large->second / small->second, large->second * 1e9, small->second * 1e9);
    }
    return 0;
}
