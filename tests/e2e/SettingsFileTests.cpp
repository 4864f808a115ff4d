// The settings file on a real desktop, through the General page and the
// file dialogs a user types a path into: exported, a setting changed,
// imported back (the bars follow), and a damaged file answered with the
// alert that says so.
#include "ShellTest.h"

#include <fstream>

namespace tessaly::e2e {
namespace {

constexpr xcb_keysym_t keyReturn = 0xff0d;

class SettingsFileTest : public ShellTest {
protected:
    // Waits for a shown object of `role` whose name holds `part`, in any of
    // the program's windows.
    std::optional<Accessible> waitForText(std::string_view role, std::string_view part) {
        std::optional<Accessible> found;
        a11y_->waitUntil(pid(), [&](const std::vector<Accessible>& tree) {
            for (const auto& a : tree) {
                if (a.isShowing() && a.role == role && a.name.find(part) != std::string::npos) {
                    found = a;
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    // A file dialog is up with the focus in its file name: the path is
    // typed over whatever name it proposes, and Return chooses it.
    bool chooseInFileDialog(const std::filesystem::path& file) {
        const bool shown = a11y_->waitUntil(pid(), [](const std::vector<Accessible>& tree) {
            for (const auto& a : tree) {
                if (a.depth == 1 && a.isShowing() && a.role == "dialog" && a.has(Accessible::active)) return true;
            }
            return false;
        });
        if (!shown) return false;
        pressCombo({KeySym::controlL}, 'a');
        type(file.string());
        pressKey(keyReturn);
        return true;
    }
    std::size_t barHeight(xcb_window_t client) {
        const auto bar = barOn(client);
        return bar ? static_cast<std::size_t>(bar->rect.size.height) : 0;
    }
};

TEST_F(SettingsFileTest, ExportedSettingsComeBackOnImportAndADamagedFileIsRefusedWithAnAlert) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ASSERT_TRUE(startShell());
    const auto pair = groupedXterms("file", 150, 20);
    ASSERT_TRUE(pair);
    ASSERT_TRUE(openSettingsWindow());
    const auto exported = folders_ / "home" / "saved-settings.json";

    // Export from the General page.
    ASSERT_TRUE(clickControl("push button", "Export…"));
    ASSERT_TRUE(chooseInFileDialog(exported)) << "no save dialog";
    ASSERT_TRUE(waitForText("label", "Settings exported.")) << "no word that the settings were exported";
    ASSERT_TRUE(desktop->waitUntil([&] { return std::filesystem::exists(exported); }));
    {
        std::ifstream in(exported);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        EXPECT_NE(text.find("\"tabBarHeight\""), std::string::npos) << text;
    }
    pressKey(keyReturn);  // OK

    // A setting changed: the bars are taller.
    ASSERT_TRUE(openPage("Tab Bar"));
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(clickControl("push button", "+"));
    ASSERT_TRUE(user->waitUntil([&] { return barHeight(pair->active) == 34; })) << "the bars did not grow";

    // Imported back, after the confirmation: the bars are as exported.
    ASSERT_TRUE(openPage("General"));
    ASSERT_TRUE(clickControl("push button", "Import…"));
    ASSERT_TRUE(chooseInFileDialog(exported)) << "no open dialog";
    ASSERT_TRUE(waitForText("label", "Replace your current settings?")) << "no confirmation before replacing";
    const auto replace = a11y_->waitFor(pid(), "push button", "Replace");
    ASSERT_TRUE(replace);
    user->click(replace->center());
    EXPECT_TRUE(user->waitUntil([&] { return barHeight(pair->active) == 30; })) << "the bars kept the changed height";
    ASSERT_TRUE(openPage("Tab Bar"));
    EXPECT_TRUE(control("label", "Tab Bar Height: 30\u00A0px")) << "the page does not show the imported height";

    // A damaged file: the alert says so, and nothing changes.
    const auto damaged = folders_ / "home" / "damaged.json";
    testing::writeFile(damaged, "{\"format\": \"tessaly-settings\", \"tabBarHeight\": 4");
    ASSERT_TRUE(openPage("General"));
    ASSERT_TRUE(clickControl("push button", "Import…"));
    ASSERT_TRUE(chooseInFileDialog(damaged)) << "no open dialog";
    EXPECT_TRUE(waitForText("label", "Couldn't import the settings.")) << "no alert for a damaged file";
    EXPECT_TRUE(waitForText("label", "The file is damaged or isn't in the expected format."))
        << "the alert does not say what is wrong";
    pressKey(keyReturn);
    EXPECT_EQ(barHeight(pair->active), 30u);
}

}  // namespace
}  // namespace tessaly::e2e
