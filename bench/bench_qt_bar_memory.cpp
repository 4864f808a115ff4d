// What 20 tab bars cost at rest, on a real headless desktop (Xvfb +
// openbox) with 20 groups of two managed windows:
// - resident memory of a process showing the 20 bars (the X11 backend, the
//   overlay manager with its 0.25 s tick, the Qt factory), against a bare Qt
//   Widgets process showing 20 empty override-redirect widgets of the same
//   sizes, in the same run; target at most 1.3x;
// - CPU while nothing happens, summed over the process's threads. The target
//   is at most 0.1 % of a core over 30 s; it is a rate, measured here over
//   8 s (with nanosecond clocks) to keep the benchmark short.
// Both processes are this program, started with --bars or --bare.
#include "X11BenchDesktop.h"  // first: Qt's "emit" keyword would break the X11 headers

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchOutput.h"
#include "ProcessUsage.h"
#include "OverlayUI/OverlayManager.h"
#include "OverlayUI/PublicZOrderSync.h"
#include "OverlayUI/Qt/QtOverlayFactory.h"
#include "Platform/Qt/QtMainExecutor.h"
#include "Platform/X11/X11Displays.h"
#include "Platform/X11/X11WindowList.h"
#include "Platform/X11/X11WindowServer.h"
#include "Platform/X11/X11Platform.h"
#include "e2e/ChildProcess.h"

namespace {

using namespace tessaly;
using bench::WindowPlace;

constexpr int kGroups = 20;
constexpr double kIdleWindow = 8.0;  // seconds
constexpr double kTargetRatio = 1.3;
constexpr double kTargetCpuPercent = 0.1;
constexpr const char* kBarsArgument = "--bars";
constexpr const char* kBareArgument = "--bare";
constexpr std::uint16_t kWindowWidth = 300;
constexpr std::uint16_t kWindowHeight = 150;

WindowPlace placeOf(int group) {
    return {static_cast<std::int16_t>(20 + (group % 5) * 340), static_cast<std::int16_t>(80 + (group / 5) * 240)};
}

void sayReady() {
    std::printf("ready\n");
    std::fflush(stdout);
}

// The bars: one group of two windows per pair of ids on the command line.
int runBars(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    auto platform = X11Platform::open();
    if (!platform) return 1;
    // What the overlay uses of the platform (the session's other services,
    // with their bus listeners, are the session's cost, not the bars').
    PlatformServices services;
    services.windowList = std::make_shared<X11WindowList>(platform->backend());
    services.displays = std::make_shared<X11Displays>(platform->backend());
    services.privateSymbols = std::make_shared<X11WindowServer>(platform->backend());
    services.clock = std::make_shared<SystemClock>();
    services.mainExecutor = std::make_shared<QtMainExecutor>();
    auto factory = std::make_shared<QtOverlayFactory>(platform->backend(), nullptr);
    OverlayManager manager(std::make_shared<PublicZOrderSync>(), nullptr, factory, services);
    manager.missionControlProbe = [] { return false; };  // no system overview on X11
    std::vector<xcb_window_t> windows;
    for (int i = 2; i < argc; ++i) windows.push_back(static_cast<xcb_window_t>(std::stoul(argv[i])));
    const auto infos = platform->backend()->windows().read(windows);
    std::vector<Uuid> groups;
    for (std::size_t i = 0; i + 1 < infos.size(); i += 2) {
        const TabGroup group(Uuid::random(),
                             {GroupMember(infos[i].window, infos[i].pid.value_or(0), infos[i].title),
                              GroupMember(infos[i + 1].window, infos[i + 1].pid.value_or(0), infos[i + 1].title)},
                             infos[i].window, infos[i].frame);
        manager.apply(GroupEvent::groupCreated(group));
        groups.push_back(group.id);
    }
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        for (const Uuid& id : groups) {
            if (!manager.bar(id) || !manager.bar(id)->isShown()) return;
        }
        check.stop();
        sayReady();
    });
    check.start(10);
    const int status = QApplication::exec();
    manager.shutdown();
    return status;
}

// The baseline: empty frameless, override-redirect, never-focused widgets
// where the bars' strips would be.
int runBare(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    std::vector<std::unique_ptr<QWidget>> widgets;
    for (int i = 0; i < kGroups; ++i) {
        auto widget = std::make_unique<QWidget>(nullptr, Qt::Tool | Qt::FramelessWindowHint |
                                                             Qt::X11BypassWindowManagerHint |
                                                             Qt::WindowDoesNotAcceptFocus);
        widget->setAttribute(Qt::WA_ShowWithoutActivating);
        const WindowPlace place = placeOf(i);
        widget->setGeometry(place.x, place.y - 30, kWindowWidth, 30);
        widget->show();
        widgets.push_back(std::move(widget));
    }
    QTimer::singleShot(0, sayReady);
    return QApplication::exec();
}

struct Fixture {
    std::unique_ptr<test::X11Desktop> desktop;
    std::optional<e2e::ChildProcess> bars;
    std::optional<e2e::ChildProcess> bare;
};

Fixture* fixture = nullptr;

void BM_BarsAtRest(benchmark::State& state) {
    const pid_t bars = fixture->bars->pid();
    const pid_t bare = fixture->bare->pid();
    double cpu = 0, bareCpu = 0;
    for (auto _ : state) {
        const double before = bench::ThreadUsage::of(bars).cpuSeconds;
        const double bareBefore = bench::ThreadUsage::of(bare).cpuSeconds;
        const auto start = std::chrono::steady_clock::now();
        // Nothing happens: the harness only waits, answering no events.
        fixture->desktop->waitUntil([] { return false; },
                                    std::chrono::milliseconds(static_cast<int>(kIdleWindow * 1000)));
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu = (bench::ThreadUsage::of(bars).cpuSeconds - before) / elapsed;
        bareCpu = (bench::ThreadUsage::of(bare).cpuSeconds - bareBefore) / elapsed;
        state.SetIterationTime(elapsed);
    }
    const double rss = bench::residentBytes(bars), bareRss = bench::residentBytes(bare);
    state.counters["cpu_%"] = cpu * 100;
    state.counters["rss_MB"] = rss / 1e6;
    state.counters["bare_rss_MB"] = bareRss / 1e6;
    std::printf("idle with %d bars: %.3f %% of a core over %.0f s (target %.1f %% over 30 s: %s; bare Qt process "
                "%.3f %%)\n",
                kGroups, cpu * 100, kIdleWindow, kTargetCpuPercent, cpu * 100 <= kTargetCpuPercent ? "met" : "MISSED",
                bareCpu * 100);
    const double ratio = bareRss > 0 ? rss / bareRss : 0;
    std::printf("memory with %d bars: bars/bare = %.2fx (%.1f MB vs %.1f MB for %d empty override-redirect widgets; "
                "target %.1fx: %s)\n",
                kGroups, ratio, rss / 1e6, bareRss / 1e6, kGroups, kTargetRatio,
                ratio <= kTargetRatio ? "met" : "MISSED");
}

bool startProcesses(Fixture& f) {
    std::vector<WindowPlace> places;
    for (int i = 0; i < kGroups; ++i) {
        places.push_back(placeOf(i));
        places.push_back(placeOf(i));
    }
    const auto windows = bench::createManagedWindows(*f.desktop, places, kWindowWidth, kWindowHeight);
    if (windows.empty()) return false;
    const auto self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::vector<std::string> barsArgv{self, kBarsArgument};
    for (const xcb_window_t window : windows) barsArgv.push_back(std::to_string(window));
    const std::map<std::string, std::string> environment{{"DISPLAY", f.desktop->display()},
                                                         {"XDG_RUNTIME_DIR", (f.desktop->directory() / "runtime").string()}};
    f.bars = e2e::ChildProcess::start(barsArgv, environment);
    f.bare = e2e::ChildProcess::start({self, kBareArgument}, environment);
    return f.bars && f.bare && f.bars->waitForOutput("ready", test::kX11Patience) &&
           f.bare->waitForOutput("ready", test::kX11Patience);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], kBarsArgument) == 0) return runBars(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], kBareArgument) == 0) return runBare(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fixture f;
    f.desktop = bench::startDesktopOrSkip("bench_qt_bar_memory");
    if (!f.desktop) return 0;
    if (!startProcesses(f)) {
        std::printf("bench_qt_bar_memory: the bars or the bare widgets did not come up\n%s%s",
                    f.bars ? f.bars->output().c_str() : "", f.bare ? f.bare->output().c_str() : "");
        return 1;
    }
    fixture = &f;
    benchmark::RegisterBenchmark("BM_BarsAtRest", BM_BarsAtRest)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
    bench::runBenchmarks();
    fixture = nullptr;
    f.bars->stop();
    f.bare->stop();
    return 0;
}
