// Importing a full settings file into the settings store over the file-backed
// user defaults: every setting of the file, with 20 colour presets, 20
// auto-colour rules and 30 excluded applications. Written through, each
// setter rewrites the whole defaults file (the drag settings twice); with
// coalescing the import is one write, made once the burst's delay has passed
// (run here at once, as the timer would). The counter file_writes is the
// number of writes per import; the target is one.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "BenchOutput.h"
#include "Platform/ManualMainExecutor.h"
#include "Platform/UserDefaults.h"
#include "TessalyCore/SettingsStore.h"

namespace {

using namespace tessaly;

SettingsSnapshot fullFile() {
    SettingsSnapshot file;
    file.modifierGate = "control";
    file.holdDelay = 0.6;
    file.fullscreenPolicy = "detach";
    file.offSpacePolicy = "suspend";
    file.tabBarHeight = 36;
    file.tabBarOpacity = 0.85;
    file.appearanceMode = "dark";
    file.showTabBadges = true;
    file.tabBadgeColor = TabColor(1, 0.2, 0.2);
    file.nextTabHotkey = KeyCombo(124, HotkeyModifiers::control | HotkeyModifiers::command);
    file.prevTabHotkey = KeyCombo(123, HotkeyModifiers::control | HotkeyModifiers::command);
    std::vector<std::string> excluded;
    for (int i = 0; i < 30; ++i) excluded.push_back("org.example.excluded" + std::to_string(i));
    file.excludedBundleIDs = excluded;
    std::vector<ColorPreset> presets;
    std::vector<AutoColorRule> rules;
    for (int i = 0; i < 20; ++i) {
        presets.emplace_back(Uuid::random(), "Preset " + std::to_string(i), TabColor(i / 20.0, 0.5, 0.5));
        rules.emplace_back(Uuid::random(), std::set<std::string>{"org.example.app" + std::to_string(i)},
                           "Project " + std::to_string(i), MatchRule::TitleMatch::contains, TabColor(0.5, i / 20.0, 0.5));
    }
    file.colorPresets = presets;
    file.autoColorRules = rules;
    file.language = "de";
    return file;
}

class Folder {
public:
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

void importFile(benchmark::State& state, bool coalesced) {
    Folder folder;
    if (folder.path().empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    auto main = std::make_shared<ManualMainExecutor>();
    auto defaults = std::make_shared<FileUserDefaults>(folder.path() / "defaults.json");
    if (coalesced) defaults->coalesceWrites(main);
    SettingsStore store(defaults);
    const SettingsSnapshot file = fullFile();
    std::size_t imports = 0;
    for (auto _ : state) {
        store.apply(file);
        if (coalesced) main->advance(FileUserDefaults::defaultCoalescingDelay);
        ++imports;
    }
    state.counters["file_writes"] =
        static_cast<double>(defaults->fileWriteCount()) / static_cast<double>(imports ? imports : 1);
}

void BM_ImportWrittenThrough(benchmark::State& state) { importFile(state, false); }
void BM_ImportCoalesced(benchmark::State& state) { importFile(state, true); }
BENCHMARK(BM_ImportWrittenThrough)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportCoalesced)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
