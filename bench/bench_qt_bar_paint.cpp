// Painting one tab bar (strip and tabs: backgrounds, icons, titles, badges,
// accents, buttons) of 2, 10 and 30 tabs, 1000 pixels wide, into an image,
// at device pixel ratio 1 and 2. Offscreen: only the painting is measured.
// Target: well under 1 ms per paint at 10 tabs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "BenchOutput.h"
#include "OverlayUI/TabStripGeometry.h"
#include "OverlayUI/Qt/QtOverlayFactory.h"
#include "OverlayUI/Qt/QtTabBarPanel.h"
#include "OverlayUI/Qt/TabBarView.h"

namespace {

using namespace tessaly;

constexpr int kBarWidth = 1000;

std::shared_ptr<const AppIcon> sampleIcon() {
    auto icon = std::make_shared<AppIcon>();
    icon->width = icon->height = 48;
    icon->argb.resize(48 * 48);
    for (int i = 0; i < 48 * 48; ++i) icon->argb[static_cast<std::size_t>(i)] = 0xff000000u | ((static_cast<std::uint32_t>(i) * 2654435761u) >> 8);
    return icon;
}

std::vector<TabViewModel> tabs(int count) {
    static const auto icon = sampleIcon();
    std::vector<TabViewModel> models;
    for (int i = 0; i < count; ++i) {
        TabViewModel tab;
        tab.windowID = static_cast<WindowID>(100 + i);
        tab.title = "Window title number " + std::to_string(i) + " — with some more words";
        tab.icon = icon;
        tab.isActive = i == 0;
        tab.isSuspended = i == 1;
        if (i % 3 == 0) tab.badge = std::to_string(i + 1);
        if (i % 4 == 0) tab.accent = TabColor(0.2, 0.78, 0.35);
        models.push_back(std::move(tab));
    }
    return models;
}

std::map<std::pair<int, int>, double> perPaint;  // (tabs, ratio) -> seconds

void BM_PaintBar(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const int ratio = static_cast<int>(state.range(1));
    QtOverlayFactory factory(nullptr, nullptr);
    auto panel = factory.makeTabBarPanel(Uuid::random());
    panel->render(tabs(count), std::string("Work"), TabColor(1, 0.58, 0), false);
    panel->place(TabStripGeometry::barLayout(Rect(0, 100, kBarWidth, 600), 30, {}));
    QCoreApplication::processEvents();
    TabBarView& view = static_cast<QtTabBarPanel&>(*panel).view();
    QImage image(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    for (auto _ : state) {
        view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["tabs"] = count;
    state.counters["ratio"] = ratio;
    perPaint[{count, ratio}] = 0;  // filled by the reporter below
}

// Keeps each run's time per paint for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : benchmark::ConsoleReporter(bench::consoleOptions()) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            const int count = static_cast<int>(run.counters.at("tabs"));
            const int ratio = static_cast<int>(run.counters.at("ratio"));
            perPaint[{count, ratio}] = run.GetAdjustedRealTime() * 1e-9;  // reported in ns
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (const int count : {2, 10, 30}) {
        for (const int ratio : {1, 2}) benchmark::RegisterBenchmark("BM_PaintBar", BM_PaintBar)->Args({count, ratio});
    }
    SummaryReporter reporter;
    const int status = bench::runBenchmarks(argc, argv, reporter);
    for (const auto& [key, seconds] : perPaint) {
        std::printf("bar paint, %d tabs at ratio %d: %.3f ms per paint%s\n", key.first, key.second, seconds * 1e3,
                    key.first == 10 ? (seconds < 1e-3 ? " (target < 1 ms: met)" : " (target < 1 ms: MISSED)") : "");
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
