// The real program at rest on a headless desktop (Xvfb + openbox) with 20
// groups made by Shift-dragging title bars, and nothing happening (the 1 s
// sweep and the 0.25 s overlay tick still run):
// - CPU over a 30 s window, summed over the program's threads; target at
//   most 0.2 % of a core;
// - resident memory, against a bare Qt Widgets process showing 20
//   override-redirect widgets on the same desktop in the same run; target
//   at most 1.5x.
// The bare process is this program itself, started with --bare-qt-widgets.
#include <benchmark/benchmark.h>

// The project's headers before Qt's: Qt's keyword macros (emit) would
// otherwise rewrite their declarations.
#include "ProcessUsage.h"
#include "X11BenchDesktop.h"
#include "e2e/ApplicationWindows.h"
#include "e2e/DesktopUser.h"
#include "e2e/TessalyProgram.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessaly;

constexpr int kGroups = 20;
constexpr double kIdleWindow = 30.0;  // seconds
constexpr const char* kBareArgument = "--bare-qt-widgets";

// The baseline: a Qt Widgets process showing `count` frameless,
// override-redirect, never-focused widgets; says "ready" once they are up.
int runBareWidgets(int argc, char** argv, int count) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    std::vector<std::unique_ptr<QWidget>> widgets;
    for (int i = 0; i < count; ++i) {
        auto widget = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                                                             Qt::WindowDoesNotAcceptFocus | Qt::Tool);
        widget->setAttribute(Qt::WA_ShowWithoutActivating);
        widget->setGeometry(20 + (i % 5) * 320, 30 + (i / 5) * 240, 300, 30);
        widget->show();
        widgets.push_back(std::move(widget));
    }
    QTimer::singleShot(0, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return QApplication::exec();
}

struct Fixture {
    std::unique_ptr<test::X11Desktop> desktop;
    std::optional<e2e::TessalyProgram> program;
    std::optional<e2e::ApplicationWindows> applications;
    std::optional<e2e::ChildProcess> bare;
};

Fixture* fixture = nullptr;

bool makeGroups(Fixture& f) {
    // Each window an application of its own (the program handles each
    // application's focus).
    std::vector<Point> places;
    for (int i = 0; i < kGroups; ++i) {
        const double x = 20 + (i % 5) * 320, y = 70 + (i / 5) * 240;
        places.push_back({x, y});
        places.push_back({x + 160, y});
    }
    f.applications = e2e::ApplicationWindows::launch(*f.desktop, places, Size{150, 110});
    if (!f.applications) return false;
    const auto& windows = f.applications->windows();
    e2e::DesktopUser user(*f.desktop, f.program->pid());
    for (int i = 0; i < kGroups; ++i) {
        const xcb_window_t target = windows[2 * i], dragged = windows[2 * i + 1];
        std::string why;
        if (!user.groupByDragRetrying(dragged, target, why)) {
            std::printf("bench_e2e_idle: group %d was not made (%s)\n", i, why.c_str());
            return false;
        }
    }
    return user.waitUntil([&] { return user.bars().size() == kGroups; });
}

void BM_Idle(benchmark::State& state) {
    const pid_t program = fixture->program->pid();
    const pid_t bare = fixture->bare->pid();
    double cpu = 0, bareCpu = 0;
    for (auto _ : state) {
        const double before = bench::cpuSeconds(program), bareBefore = bench::cpuSeconds(bare);
        const auto start = std::chrono::steady_clock::now();
        // Nothing happens: the harness only waits, answering no events.
        fixture->desktop->waitUntil([] { return false; }, std::chrono::milliseconds(static_cast<int>(kIdleWindow * 1000)));
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu = (bench::cpuSeconds(program) - before) / elapsed;
        bareCpu = (bench::cpuSeconds(bare) - bareBefore) / elapsed;
        state.SetIterationTime(elapsed);
    }
    const double rss = bench::residentBytes(program), bareRss = bench::residentBytes(bare);
    state.counters["cpu_%"] = cpu * 100;
    state.counters["bare_cpu_%"] = bareCpu * 100;
    state.counters["rss_MB"] = rss / 1e6;
    state.counters["bare_rss_MB"] = bareRss / 1e6;
    std::printf("idle with %d groups: %.3f %% of a core over %.0f s (target 0.2 %%; bare Qt process %.3f %%)\n", kGroups,
                cpu * 100, kIdleWindow, bareCpu * 100);
    std::printf("memory with %d groups: tessaly/bare = %.2fx (%.1f MB vs %.1f MB for %d bare override-redirect widgets; "
                "target 1.5x)\n",
                kGroups, bareRss > 0 ? rss / bareRss : 0, rss / 1e6, bareRss / 1e6, kGroups);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kBareArgument) == 0) return runBareWidgets(argc, argv, std::atoi(argv[2]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Fixture f;
    f.desktop = bench::startDesktopOrSkip("bench_e2e_idle", 1600, 1000);
    if (!f.desktop) return 0;
    e2e::TessalyProgram::Options options;
    options.defaults["dragHoldDelay"] = "0";
    f.program = e2e::TessalyProgram::start(*f.desktop, options);
    if (!f.program || !f.program->waitUntilSessionRuns() || !makeGroups(f)) {
        std::printf("bench_e2e_idle: tessaly did not start or the groups could not be made\n%s",
                    f.program ? f.program->log().c_str() : "");
        return 1;
    }
    const auto self = std::filesystem::read_symlink("/proc/self/exe");
    f.bare = e2e::ChildProcess::start({self.string(), kBareArgument, std::to_string(kGroups)},
                                      {{"DISPLAY", f.desktop->display()}});
    if (!f.bare || !f.bare->waitForOutput("ready", test::kX11Patience)) {
        std::printf("bench_e2e_idle: the bare Qt process did not come up\n");
        return 1;
    }
    fixture = &f;
    benchmark::RegisterBenchmark("BM_Idle", BM_Idle)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
    bench::runBenchmarks();
    fixture = nullptr;
    return 0;
}
