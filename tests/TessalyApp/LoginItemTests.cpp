#include "TessalyApp/LoginItem.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Platform/Log.h"
#include "Platform/TestFiles.h"
#include "TessalyApp/DesktopEntry.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

class LoginItemTests : public ::testing::Test {
protected:
    LoginItemTests() {
        Log::setSink([this](LogLevel level, LogCategory category, std::string_view line) {
            if (category == LogCategory::app && level == LogLevel::error) log.emplace_back(line);
        });
    }
    ~LoginItemTests() override { Log::setSink(nullptr); }

    LoginItem item(fs::path file, std::optional<fs::path> executable = fs::path("/usr/bin/tessaly")) {
        LoginItem made(std::move(file), std::move(executable));
        made.onChangeResult = [this](bool ok) { results.push_back(ok); };
        return made;
    }

    testing::TempFolder temp;
    fs::path entry = temp.path() / "config" / "autostart" / "tessaly.desktop";
    std::vector<std::string> log;
    std::vector<bool> results;
};

TEST_F(LoginItemTests, TurningOnWritesTheEntryInAFolderItMakesAndTurningOffRemovesIt) {
    LoginItem login = item(entry, temp.path() / "my apps" / "tessaly");
    EXPECT_TRUE(login.canLaunchAtLogin());
    EXPECT_FALSE(login.isEnabled());

    ASSERT_TRUE(login.setEnabled(true));
    EXPECT_TRUE(login.isEnabled());
    const std::string text = testing::readFile(entry);
    EXPECT_NE(text.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=\"" + (temp.path() / "my apps" / "tessaly").string() + "\" --login-item\n"),
              std::string::npos)
        << text;
    struct stat info {};
    ASSERT_EQ(::stat(entry.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);

    ASSERT_TRUE(login.setEnabled(true));  // again: rewritten, still on
    ASSERT_TRUE(login.setEnabled(false));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(login.isEnabled());
    EXPECT_TRUE(login.setEnabled(false));  // nothing to remove is fine
    EXPECT_EQ(results, (std::vector<bool>{true, true, true, true}));
    EXPECT_TRUE(log.empty());
}

TEST_F(LoginItemTests, AnEntryCountsAsOnWhilePresentAndNotHidden) {
    LoginItem login = item(entry);
    testing::writeFile(entry, "[Desktop Entry]\nExec=tessaly\nHidden = True\n");
    EXPECT_FALSE(login.isEnabled());
    testing::writeFile(entry, "# Hidden=true\n[Desktop Entry]\nHidden=false\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(login.isEnabled());
    fs::remove(entry);
    fs::create_directories(entry);  // a folder where the entry belongs
    EXPECT_FALSE(login.isEnabled());
}

TEST_F(LoginItemTests, AChangeThatCannotBeMadeIsReportedAndLeavesTheStateAlone) {
    // The autostart folder cannot be made: a file sits where it belongs.
    testing::writeFile(entry.parent_path(), "not a folder");
    LoginItem blocked = item(entry);
    std::string why;
    EXPECT_FALSE(blocked.setEnabled(true, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(blocked.isEnabled());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("launch at login not turned on: ", 0), 0u) << log[0];

    // Nothing known to start.
    LoginItem noProgram = item(temp.path() / "other" / "tessaly.desktop", std::nullopt);
    EXPECT_FALSE(noProgram.canLaunchAtLogin());
    EXPECT_FALSE(noProgram.setEnabled(true));
    EXPECT_FALSE(fs::exists(temp.path() / "other"));
    EXPECT_EQ(results, (std::vector<bool>{false, false}));
}

TEST(LoginItemExecTests, CommandsAreQuotedAsTheEntryFormatAsks) {
    EXPECT_EQ(LoginItem::execValue("/usr/bin/tessaly"), "/usr/bin/tessaly --login-item");
    // Quoted: the blank; escaped inside quotes: " ` $ and \ (then doubled as
    // an entry string); a percent sign is doubled.
    EXPECT_EQ(LoginItem::execValue(R"(/opt/a b/"q"`$x\y%z)"),
              R"("/opt/a b/\\"q\\"\\`\\$x\\\\y%%z" --login-item)");
    EXPECT_EQ(LoginItem::execValue("/opt/100%/t"), "/opt/100%%/t --login-item");
    EXPECT_FALSE(LoginItem::execValue("/opt/line\nbreak"));
    EXPECT_FALSE(LoginItem::execValue(""));

    testing::ScopedEnvironment environment;
    environment.set("XDG_CONFIG_HOME", "/home/u/.config");
    EXPECT_EQ(LoginItem::defaultEntryFile(), fs::path("/home/u/.config/autostart/tessaly.desktop"));
}

// A user turned launch at login on in a build tree, then installed the
// package: the installed program, started, takes the entry over (with the
// application entry's name, descriptions and icon); an entry turned off, or
// none, stays as it is.
TEST_F(LoginItemTests, TheRunningCopyTakesOverAnEntryThatStartsAnotherOne) {
    LoginItem fromCheckout = item(entry, temp.path() / "checkout" / "build" / "release" / "tessaly");
    ASSERT_TRUE(fromCheckout.setEnabled(true));
    const std::string checkoutText = testing::readFile(entry);

    LoginItem installed = item(entry, fs::path("/usr/bin/tessaly"));
    EXPECT_TRUE(installed.refresh());
    const std::string text = testing::readFile(entry);
    EXPECT_NE(text.find("\nExec=/usr/bin/tessaly --login-item\n"), std::string::npos) << text;
    EXPECT_NE(text.find(DesktopEntry::identityLines()), std::string::npos) << text;
    const std::string application = DesktopEntry::applicationEntry();
    for (const char* key : {"\nName=", "\nName[ja]=", "\nIcon=", "\nComment[zh_TW]="}) {
        const auto line = [&](const std::string& entryText) {
            const auto at = entryText.find(key);
            return at == std::string::npos ? std::string() : entryText.substr(at, entryText.find('\n', at + 1) - at);
        };
        EXPECT_FALSE(line(application).empty()) << key;
        EXPECT_EQ(line(text), line(application)) << key;
    }
    EXPECT_FALSE(installed.refresh()) << "an entry already right is written again";
    EXPECT_TRUE(installed.isEnabled());

    // Turned off by the desktop's own settings (Hidden): left alone.
    testing::writeFile(entry, checkoutText + "Hidden=true\n");
    EXPECT_FALSE(installed.refresh());
    EXPECT_EQ(testing::readFile(entry), checkoutText + "Hidden=true\n");
    // No entry: none is made.
    fs::remove(entry);
    EXPECT_FALSE(installed.refresh());
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_TRUE(log.empty());
}

}  // namespace
}  // namespace tessaly
