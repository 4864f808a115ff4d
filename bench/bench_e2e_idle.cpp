// The real program at rest on a headless desktop (Xvfb + openbox, with a
// tray), its groups rebuilt from a relaunch handoff at its start, each
// window an xlogo of its own. Figures and targets:
// - the first bar on screen after the program's exec, 20 groups restored:
//   at most 100 ms (taken when the server announced its map, so that the
//   harness's own look at every window does not count);
// - 30 s with 20 groups and nothing happening: at most 0.02 % of a core and
//   at most one wake-up a second, summed over the program's threads from
//   the kernel's per-thread counters;
// - threads: a fixed number, the same with 20 groups as with 50;
// - resident memory: at most 38 MB with 20 groups, 40 MB with 50.
#include <benchmark/benchmark.h>

#include "ProcessUsage.h"
#include "X11BenchDesktop.h"
#include "e2e/ApplicationWindows.h"
#include "e2e/DesktopUser.h"
#include "e2e/HandoffFile.h"
#include "e2e/TessalyProgram.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tessaly;
using Clock = std::chrono::steady_clock;

constexpr int kGroups = 20;
constexpr int kManyGroups = 50;
constexpr double kIdleWindow = 30.0;  // seconds
constexpr Size kWindowSize{120, 80};

struct Targets {
    static constexpr double firstBarMs = 100;
    static constexpr double cpuPercent = 0.02;
    static constexpr double wakeUpsPerSecond = 1;
    static constexpr double megabytes = 38;
    static constexpr double megabytesMany = 40;
};

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

struct Fixture {
    std::unique_ptr<test::X11Desktop> desktop;
    std::optional<e2e::ChildProcess> tray;
    std::optional<e2e::ApplicationWindows> applications;  // two per group, side by side in pairs
    std::optional<e2e::TessalyProgram> program;
};

Fixture* fixture = nullptr;

// When each root child was first mapped, read by a thread of its own that
// waits on its socket the moment the server announces it.
class MapWatch {
public:
    explicit MapWatch(const std::string& display) : x_(X11Connection::open(display)) {
        if (!x_) return;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x_->get(), x_->root(), XCB_CW_EVENT_MASK, &mask);
        x_->sync();
        thread_ = std::thread([this] { run(); });
    }
    ~MapWatch() {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = write(stop_, &one, sizeof one);
        if (thread_.joinable()) thread_.join();
        close(stop_);
    }
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;

    std::optional<Clock::time_point> firstMapped(xcb_window_t window) const {
        std::lock_guard lock(mutex_);
        const auto it = mapped_.find(window);
        if (it == mapped_.end()) return std::nullopt;
        return it->second;
    }

private:
    void run() {
        xcb_connection_t* c = x_->get();
        pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {stop_, POLLIN, 0}};
        while (x_->isAlive()) {
            while (XEvent event{xcb_poll_for_event(c)}) {
                if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) continue;
                const auto window = reinterpret_cast<const xcb_map_notify_event_t*>(event.get())->window;
                std::lock_guard lock(mutex_);
                mapped_.try_emplace(window, Clock::now());
            }
            if (poll(fds, 2, -1) < 0 && errno != EINTR) return;
            if (fds[1].revents) return;
        }
    }

    std::unique_ptr<X11Connection> x_;
    int stop_ = eventfd(0, EFD_CLOEXEC);
    mutable std::mutex mutex_;
    std::map<xcb_window_t, Clock::time_point> mapped_;
    std::thread thread_;
};

Point groupPlace(int group) { return {10.0 + (group % 10) * 155, 60.0 + (group / 10) * 185}; }

// Every pair of windows at its group's place, as one group's members stand.
bool placeWindows(Fixture& f) {
    // Started in a row, each at a place of its own (that is how their
    // windows are told apart), then moved.
    std::vector<Point> places;
    for (int i = 0; i < 2 * kManyGroups; ++i) places.push_back({5.0 + i * 14, 850});
    f.applications = e2e::ApplicationWindows::launch(*f.desktop, places, kWindowSize);
    if (!f.applications) return false;
    const auto& windows = f.applications->windows();
    for (int i = 0; i < 2 * kManyGroups; ++i) f.desktop->windows().setPosition(windows[static_cast<std::size_t>(i)], groupPlace(i / 2));
    return f.desktop->waitUntil([&] {
        for (int i = 0; i < 2 * kManyGroups; ++i) {
            const auto info = f.desktop->windows().read(windows[static_cast<std::size_t>(i)]);
            if (!info || info->frame.origin != groupPlace(i / 2)) return false;
        }
        return true;
    });
}

// Starts the program with the first `groups` pairs as groups to rebuild;
// answers how long after the start its first bar showed (seconds, negative
// when not every group's bar showed in time).
double startProgram(Fixture& f, int groups) {
    const auto& windows = f.applications->windows();
    const auto pids = f.applications->pids();
    std::vector<e2e::HandoffGroup> handoff;
    for (int g = 0; g < groups; ++g) {
        const auto a = static_cast<std::size_t>(2 * g), b = a + 1;
        handoff.push_back({f.desktop->windows().read(windows[a])->frame, {{windows[a], pids[a]}, {windows[b], pids[b]}}});
    }
    e2e::TessalyProgram::Options options;
    options.handoff = e2e::handoffJson(handoff);
    f.program.reset();
    const MapWatch maps(f.desktop->display());
    const auto start = Clock::now();
    f.program = e2e::TessalyProgram::start(*f.desktop, options);
    if (!f.program) return -1;
    e2e::DesktopUser user(*f.desktop, f.program->pid());
    if (!user.waitUntil([&] { return user.bars().size() == static_cast<std::size_t>(groups); })) return -1;
    std::optional<Clock::time_point> first;
    for (const auto& bar : user.bars()) {
        const auto mapped = maps.firstMapped(bar.window);
        if (mapped && (!first || *mapped < *first)) first = mapped;
    }
    if (!first) return -1;
    const double firstBar = std::chrono::duration<double>(*first - start).count();
    // Let the start's own work (verifications, the first sweeps) pass.
    f.desktop->waitUntil([] { return false; }, std::chrono::seconds(3));
    return firstBar;
}

void BM_Idle(benchmark::State& state) {
    Fixture& f = *fixture;
    double firstBar = 0, cpu = 0, wakeUps = 0, rss = 0, rssMany = 0;
    bench::ThreadUsage threads, threadsMany;
    std::string cameOrWent;  // during the idle window
    for (auto _ : state) {
        firstBar = startProgram(f, kGroups);
        if (firstBar < 0) {
            state.SkipWithError("the program did not show every group's bar");
            return;
        }
        const pid_t pid = f.program->pid();
        const auto before = bench::ThreadUsage::of(pid);
        const auto start = Clock::now();
        // Nothing happens: the harness only waits, answering no events.
        f.desktop->waitUntil([] { return false; }, std::chrono::milliseconds(static_cast<int>(kIdleWindow * 1000)));
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        const auto after = bench::ThreadUsage::of(pid);
        cameOrWent = after.changesSince(before);
        cpu = (after.cpuSeconds - before.cpuSeconds) / elapsed;
        wakeUps = static_cast<double>(after.contextSwitches - before.contextSwitches) / elapsed;
        threads = after;
        rss = bench::residentBytes(pid);
        state.SetIterationTime(elapsed);

        if (startProgram(f, kManyGroups) < 0) {
            state.SkipWithError("the program did not show every bar of the larger set of groups");
            return;
        }
        threadsMany = bench::ThreadUsage::of(f.program->pid());
        rssMany = bench::residentBytes(f.program->pid());
    }
    state.counters["cpu_%"] = cpu * 100;
    state.counters["wakeups/s"] = wakeUps;
    state.counters["rss_MB"] = rss / 1e6;
    std::printf("first bar after exec with %d groups restored: %.0f ms (target %.0f ms: %s)\n", kGroups, firstBar * 1e3,
                Targets::firstBarMs, verdict(firstBar * 1e3 <= Targets::firstBarMs));
    std::printf("idle with %d groups and a tray over %.0f s: %.3f %% of a core (target %.2f %%: %s), %.1f wake-ups/s "
                "(target %.0f/s: %s)%s\n",
                kGroups, kIdleWindow, cpu * 100, Targets::cpuPercent, verdict(cpu * 100 <= Targets::cpuPercent), wakeUps,
                Targets::wakeUpsPerSecond, verdict(wakeUps <= Targets::wakeUpsPerSecond),
                cameOrWent.empty() ? "" : " (threads came or went meanwhile: their counts are partial)");
    if (!cameOrWent.empty()) std::printf("threads that came (+) or went (-) while idle: %s\n", cameOrWent.c_str());
    const std::size_t count = threads.threads.size(), countMany = threadsMany.threads.size();
    std::printf("threads: %zu with %d groups, %zu with %d (target: the same whatever the number of applications: %s)\n",
                count, kGroups, countMany, kManyGroups, verdict(count == countMany));
    const auto names = threads.countsByName(), namesMany = threadsMany.countsByName();
    std::string named;
    for (const auto& [name, n] : names) named += " \"" + name + "\"" + (n > 1 ? " x" + std::to_string(n) : "");
    std::printf("threads by name with %d groups:%s\n", kGroups, named.c_str());
    if (names != namesMany) {
        std::string differences;
        for (const auto& [name, n] : namesMany) {
            const auto it = names.find(name);
            const int was = it == names.end() ? 0 : it->second;
            if (was != n) differences += " \"" + name + "\" " + std::to_string(was) + " -> " + std::to_string(n) + ";";
        }
        for (const auto& [name, n] : names) {
            if (!namesMany.count(name)) differences += " \"" + name + "\" " + std::to_string(n) + " -> 0;";
        }
        std::printf("threads by name, %d groups -> %d:%s\n", kGroups, kManyGroups, differences.c_str());
    }
    std::printf("memory with a tray: %.1f MB with %d groups (target %.0f MB: %s), %.1f MB with %d (target %.0f MB: %s)\n",
                rss / 1e6, kGroups, Targets::megabytes, verdict(rss / 1e6 <= Targets::megabytes), rssMany / 1e6,
                kManyGroups, Targets::megabytesMany, verdict(rssMany / 1e6 <= Targets::megabytesMany));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fixture f;
    f.desktop = bench::startDesktopOrSkip("bench_e2e_idle", 1600, 1000);
    if (!f.desktop) return 0;
    f.tray = e2e::ChildProcess::start({"trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
                                       "--height", "32"},
                                      e2e::desktopVariables(*f.desktop));
    if (!f.tray) std::printf("bench_e2e_idle: no tray (trayer did not start); measuring without one\n");
    if (!placeWindows(f)) {
        std::printf("bench_e2e_idle: the windows did not come up at their places\n");
        return 1;
    }
    fixture = &f;
    benchmark::RegisterBenchmark("BM_Idle", BM_Idle)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
    bench::runBenchmarks();
    fixture = nullptr;
    return 0;
}
