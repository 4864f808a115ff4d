// Colouring a pass of window titles against the user's auto-colour rules,
// the way the session does when it refreshes tab accents: for each title the
// first matching rule in list order wins. The rules mix case-insensitive
// "contains" patterns (ASCII and accented) and regular expressions; the regex
// cache is warm. A pass must stay well inside one 16 ms frame.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

#include "BenchOutput.h"
#include "TessalyCore/AutoColorRule.h"

namespace {

using tessaly::AutoColorRule;
using tessaly::MatchRule;
using tessaly::TabColor;
using tessaly::Uuid;

std::vector<AutoColorRule> makeRules() {
    std::vector<AutoColorRule> rules;
    for (int i = 0; i < 50; ++i) {
        const std::string n = std::to_string(i);
        std::set<std::string> apps;
        if (i % 5 == 0) apps = {"org.example.app" + n, "org.example.other" + n};
        if (i % 2 == 0) {
            const std::string pattern = i % 6 == 0 ? "Caf\u00e9 r\u00e9sum\u00e9 " + n : "Project " + n + " notes";
            rules.emplace_back(Uuid::random(), apps, pattern, MatchRule::TitleMatch::contains, TabColor(0.1, 0.2, 0.3));
        } else {
            const std::string pattern = i % 3 == 0 ? "(?i)^inbox \\(" + n + "\\d*\\)" : "ticket-" + n + "[0-9]{2,4}$";
            rules.emplace_back(Uuid::random(), apps, pattern, MatchRule::TitleMatch::regex, TabColor(0.3, 0.2, 0.1));
        }
    }
    return rules;
}

struct Window {
    std::optional<std::string> bundleID;
    std::string title;
};

std::vector<Window> makeWindows() {
    std::vector<Window> windows;
    for (int i = 0; i < 200; ++i) {
        const std::string n = std::to_string(i);
        Window window;
        if (i % 7 != 0) window.bundleID = "org.example.app" + std::to_string(i % 60);
        switch (i % 5) {
            case 0: window.title = "Quarterly planning \u2014 Draft " + n + " \u2014 Shared Documents"; break;
            case 1: window.title = "Inbox (" + std::to_string(i % 50) + "12) \u2013 someone@example.org"; break;
            case 2: window.title = "caf\u00e9 R\u00c9SUM\u00c9 " + std::to_string(i % 40); break;
            case 3: window.title = "Terminal \u2014 ~/src/ticket-" + std::to_string(i % 50) + "123"; break;
            default: window.title = "A fairly ordinary window title number " + n + " with no match at all"; break;
        }
        windows.push_back(window);
    }
    return windows;
}

void BM_AutoColorPass(benchmark::State& state) {
    const auto rules = makeRules();
    const auto windows = makeWindows();
    auto colourPass = [&] {
        int coloured = 0;
        for (const Window& window : windows) {
            for (const AutoColorRule& rule : rules) {
                if (rule.matches(window.bundleID, window.title)) {
                    ++coloured;
                    break;
                }
            }
        }
        return coloured;
    };
    benchmark::DoNotOptimize(colourPass());  // warm the regex cache
    for (auto _ : state) benchmark::DoNotOptimize(colourPass());
    // Shown as the time per title (all 50 rules in the worst case).
    state.counters["per_title"] = tessaly::bench::perItem(static_cast<double>(windows.size()));
    state.counters["coloured"] = colourPass();
}
BENCHMARK(BM_AutoColorPass)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
