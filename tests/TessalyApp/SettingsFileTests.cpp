// Export and import of settings files through the model, with the window's
// dialogs played by a script.
#include <deque>

#include <gtest/gtest.h>

#include "Platform/Clock.h"
#include "Platform/ManualMainExecutor.h"
#include "Platform/TestFiles.h"
#include "Platform/UserDefaults.h"
#include "SettingsFakeShell.h"
#include "TessalyApp/SettingsModel.h"
#include "TessalyCore/L10n.h"
#include "TessalyCore/SettingsTransfer.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using tessaly::testing::TempFolder;
using Style = SettingsFilePrompts::AlertStyle;

// Answers each question at once from what the test put in, and keeps what was asked.
class ScriptedPrompts : public SettingsFilePrompts {
public:
    std::optional<fs::path> file;
    bool confirms = true;
    std::vector<std::string> proposedNames;
    std::vector<std::string> confirmTexts;
    struct Alert {
        Style style;
        std::string title;
        std::string text;
    };
    std::vector<Alert> alerts;

    void chooseExportFile(const std::string& fileName, std::function<void(std::optional<fs::path>)> done) override {
        proposedNames.push_back(fileName);
        done(file);
    }
    void chooseImportFile(std::function<void(std::optional<fs::path>)> done) override { done(file); }
    void confirm(const std::string&, const std::string& text, const std::string&, const std::string&,
                 std::function<void(bool)> done) override {
        confirmTexts.push_back(text);
        done(confirms);
    }
    void showAlert(Style style, const std::string& title, const std::string& text) override {
        alerts.push_back({style, title, text});
    }
};

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() { environment.clock = clock; }

    // A model over a fresh store on `defaults`.
    std::unique_ptr<SettingsModel> makeModel(std::shared_ptr<UserDefaults> storage) {
        store = std::make_unique<SettingsStore>(std::move(storage));
        store->onChange = [this] { ++storeChanges; };
        auto model = std::make_unique<SettingsModel>(*store, environment);
        model->filePrompts = prompts;
        return model;
    }

    L10n::ScopedLanguageForTesting english{AppLanguage::english};
    TempFolder folder;
    // 2026-12-06 12:00 UTC.
    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>(1796558400.0);
    tessaly::testing::SettingsFakeShell shell;
    SettingsModelEnvironment environment = shell.environment();
    std::shared_ptr<ScriptedPrompts> prompts = std::make_shared<ScriptedPrompts>();
    std::unique_ptr<SettingsStore> store;
    std::optional<AppLanguage>& storedLanguage = shell.storedLanguage;
    bool& loginItem = shell.loginItem;
    bool& loginItemFails = shell.loginItemFails;
    int storeChanges = 0;
};

TEST_F(SettingsFileTest, ExportThenImportBringsEverySettingBack) {
    auto source = makeModel(std::make_shared<InMemoryUserDefaults>());
    source->setTabBarHeight(40);
    source->setAppearanceMode(AppearanceMode::light);
    source->addColorPreset("Work", TabColor(1, 0, 0));
    source->setLanguage(AppLanguage::german);
    loginItem = true;
    prompts->file = folder.path() / "out.json";
    source->exportSettings();
    ASSERT_EQ(prompts->proposedNames.size(), 1u);
    EXPECT_EQ(prompts->proposedNames[0], SettingsTransfer::defaultFileName(clock->now()));
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts[0].style, Style::informational);
    EXPECT_EQ(prompts->alerts[0].text, L10n::exportDoneBody("out.json", folder.path().filename().string()));

    // Another machine: English, no login item.
    storedLanguage.reset();
    loginItem = false;
    auto target = makeModel(std::make_shared<InMemoryUserDefaults>());
    target->hotkeyRecorder().begin(HotkeyRecorder::Target::nextTab);
    storeChanges = 0;
    target->importSettings();
    ASSERT_EQ(prompts->confirmTexts.size(), 1u);
    EXPECT_EQ(prompts->confirmTexts[0], L10n::importConfirmBody());
    EXPECT_EQ(storeChanges, 1);  // the store notifies once for the whole file
    EXPECT_EQ(target->tabBarHeight(), 40);
    EXPECT_EQ(target->appearanceMode(), AppearanceMode::light);
    ASSERT_EQ(target->colorPresets().size(), 1u);
    EXPECT_EQ(target->colorPresets()[0].name, "Work");
    EXPECT_EQ(target->language(), AppLanguage::german);
    EXPECT_TRUE(target->languageNeedsRestart());
    EXPECT_TRUE(loginItem);
    EXPECT_TRUE(target->launchAtLogin());
    EXPECT_FALSE(target->hotkeyRecorder().isRecording());
    EXPECT_EQ(prompts->alerts.size(), 1u);  // no alert for a good import
}

TEST_F(SettingsFileTest, RefusedFilesAndACancelledConfirmationChangeNothing) {
    auto model = makeModel(std::make_shared<InMemoryUserDefaults>());
    const fs::path file = folder.path() / "in.json";
    prompts->file = file;
    const auto importing = [&](const std::string& bytes) {
        tessaly::testing::writeFile(file, bytes);
        prompts->alerts.clear();
        model->importSettings();
    };
    importing(R"({"app": "Tessaly", "version": 0})");
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts[0].title, L10n::importFailedTitle());
    EXPECT_EQ(prompts->alerts[0].text, L10n::importErrorUnsupportedVersion(0));
    importing(R"({"app": "Tessaly", "version": 3})");
    EXPECT_EQ(prompts->alerts[0].text, L10n::importErrorNewerVersion());
    importing(R"({"app": "Other", "version": 1})");
    EXPECT_EQ(prompts->alerts[0].text, L10n::importErrorNotOurFile());
    importing(std::string(200, '[') + std::string(200, ']'));
    EXPECT_EQ(prompts->alerts[0].text, L10n::importErrorUnreadable());
    importing(R"({"app": "Tessaly", "version": 1, "tabBarHeight": 1e999})");
    EXPECT_EQ(prompts->alerts[0].text, L10n::importErrorUnreadable());
    EXPECT_EQ(storeChanges, 0);

    // One bad preset: the confirmation counts it; cancelling applies nothing.
    prompts->confirms = false;
    importing(R"({"app": "Tessaly", "version": 1, "tabBarHeight": 44, "language": "de", "launchAtLogin": true,
                  "colorPresets": [{"name": "x"}]})");
    ASSERT_EQ(prompts->confirmTexts.size(), 1u);
    EXPECT_EQ(prompts->confirmTexts[0], SettingsTransfer::confirmReplaceText(1));
    EXPECT_TRUE(prompts->alerts.empty());
    EXPECT_EQ(storeChanges, 0);
    EXPECT_EQ(model->tabBarHeight(), 30);
    EXPECT_FALSE(storedLanguage);
    EXPECT_FALSE(loginItem);

    // Cancelling the file choice asks nothing more.
    prompts->file.reset();
    model->importSettings();
    EXPECT_EQ(prompts->confirmTexts.size(), 1u);
}

TEST_F(SettingsFileTest, AFileWithoutLanguageOrLoginItemLeavesThemAlone) {
    auto model = makeModel(std::make_shared<InMemoryUserDefaults>());
    loginItem = true;
    SettingsSnapshot file;
    file.language = "xx";  // names none of the languages
    model->applyImport(file);
    EXPECT_EQ(model->language(), AppLanguage::english);
    EXPECT_FALSE(model->languageNeedsRestart());
    EXPECT_FALSE(storedLanguage);
    EXPECT_TRUE(loginItem);
}

TEST_F(SettingsFileTest, AFailedLoginItemChangeKeepsTheImportAndSaysSo) {
    auto model = makeModel(std::make_shared<InMemoryUserDefaults>());
    loginItemFails = true;
    SettingsSnapshot file;
    file.tabBarOpacity = 0.5;
    file.launchAtLogin = true;
    model->applyImport(file);
    EXPECT_EQ(model->tabBarOpacity(), 0.5);
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts[0].style, Style::warning);
    EXPECT_EQ(prompts->alerts[0].text, L10n::importLaunchAtLoginFailed());
}

TEST_F(SettingsFileTest, AnImportThatCannotBeSavedIsUndoneAndReported) {
    // A regular file where the config folder should be: the settings cannot be written.
    tessaly::testing::writeFile(folder.path() / "config", "x");
    auto defaults = std::make_shared<FileUserDefaults>(folder.path() / "config" / "defaults.json");
    defaults->coalesceWrites(std::make_shared<ManualMainExecutor>());
    auto model = makeModel(defaults);
    model->setTabBarHeight(25);
    storeChanges = 0;
    SettingsSnapshot file;
    file.tabBarHeight = 44;
    file.language = "de";
    file.launchAtLogin = true;
    model->applyImport(file);
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts[0].style, Style::warning);
    EXPECT_EQ(prompts->alerts[0].title, L10n::importFailedTitle());
    // Nothing of the file stays in effect, and the session is told so.
    EXPECT_EQ(store->tabBarHeight(), 25);
    EXPECT_EQ(model->tabBarHeight(), 25);
    EXPECT_EQ(storeChanges, 2);
    EXPECT_FALSE(storedLanguage);
    EXPECT_FALSE(loginItem);
}

TEST_F(SettingsFileTest, AnExportThatCannotBeWrittenIsReported) {
    auto model = makeModel(std::make_shared<InMemoryUserDefaults>());
    prompts->file = folder.path() / "missing" / "out.json";
    model->exportSettings();
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts[0].title, L10n::exportFailedTitle());
    EXPECT_EQ(prompts->alerts[0].text, L10n::exportErrorUnwritable());
    EXPECT_FALSE(fs::exists(folder.path() / "missing"));
}

TEST_F(SettingsFileTest, AnswersArrivingAfterTheModelIsGoneDoNothing) {
    struct LatePrompts : ScriptedPrompts {
        std::function<void(std::optional<fs::path>)> pending;
        void chooseImportFile(std::function<void(std::optional<fs::path>)> done) override { pending = std::move(done); }
    };
    auto late = std::make_shared<LatePrompts>();
    auto model = makeModel(std::make_shared<InMemoryUserDefaults>());
    model->filePrompts = late;
    model->importSettings();
    model.reset();
    late->pending(folder.path() / "whatever.json");
    EXPECT_TRUE(late->alerts.empty());
}

}  // namespace
}  // namespace tessaly
