// The overlay logic's share of a tab bar's cost, over the recording fake of
// the toolkit half on the simulated desktop:
// - one 0.25 s tick (overview probe over the window list, then re-ordering
//   every shown bar) with N bars shown: it runs four times a second for the
//   whole session, so it bounds the overlay's idle cost;
// - one render of a bar of N tabs (models built, placement computed).
// Expected: a tick well under 50 µs at 20 bars (under 0.02 % of a core at
// four ticks a second), a render well under 50 µs at 30 tabs.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "BenchOutput.h"
#include "OverlayUI/FakeOverlay.h"
#include "OverlayUI/OverlayManager.h"
#include "OverlayUI/PublicZOrderSync.h"
#include "Platform/Sim/SimEnvironment.h"

namespace {

using namespace tessaly;

class NoIcons final : public AppIconSource {
public:
    std::shared_ptr<const AppIcon> icon(ProcessID) override { return icon_; }

private:
    std::shared_ptr<const AppIcon> icon_ = std::make_shared<AppIcon>();
};

struct Overlay {
    SimEnvironment env;
    std::shared_ptr<FakeOverlayFactory> factory = std::make_shared<FakeOverlayFactory>();
    OverlayManager manager{std::make_shared<PublicZOrderSync>(), std::make_shared<NoIcons>(), factory, env.services};

    // A group of `tabs` windows, each a real window of the simulated desktop.
    TabGroup addGroup(int index, int tabs) {
        std::vector<GroupMember> members;
        const Rect frame(40.0 * (index % 20), 100 + 10.0 * (index / 20), 800, 600);
        for (int t = 0; t < tabs; ++t) {
            const auto id = static_cast<WindowID>(1000 * (index + 1) + t);
            const auto pid = static_cast<ProcessID>(100 + index);
            if (t == 0) env.desktop->addApplication({pid, "com.example.app", "App", "/app"});
            SimWindowSpec spec;
            spec.id = id;
            spec.pid = pid;
            spec.frame = frame;
            spec.title = "Document";
            env.desktop->addWindow(spec);
            factory->stacking->push(id);
            members.emplace_back(id, pid, "Document " + std::to_string(t) + " — a title of ordinary length");
        }
        const WindowID active = members.front().windowID;
        TabGroup group(Uuid::random(), std::move(members), active, frame);
        manager.apply(GroupEvent::groupCreated(group));
        return group;
    }
};

void BM_OverlayTick(benchmark::State& state) {
    Overlay overlay;
    const auto bars = static_cast<int>(state.range(0));
    for (int i = 0; i < bars; ++i) overlay.addGroup(i, 3);
    for (auto _ : state) {
        overlay.manager.updateMissionControlState();
        overlay.manager.reassertAll();
    }
    state.counters["per bar"] = bench::perItem(bars);
}
BENCHMARK(BM_OverlayTick)->Arg(1)->Arg(20)->Arg(50);

void BM_OverlayRender(benchmark::State& state) {
    Overlay overlay;
    TabGroup group = overlay.addGroup(0, static_cast<int>(state.range(0)));
    const GroupEvent changed = GroupEvent::groupChanged(group);
    for (auto _ : state) {
        overlay.manager.apply(changed);
        overlay.factory->bars.front()->renders.clear();
        overlay.factory->bars.front()->placements.clear();
    }
}
BENCHMARK(BM_OverlayRender)->Arg(2)->Arg(10)->Arg(30);

}  // namespace

int main(int argc, char** argv) {
    benchmark::ConsoleReporter reporter(tessaly::bench::consoleOptions());
    return tessaly::bench::runBenchmarks(argc, argv, reporter);
}
