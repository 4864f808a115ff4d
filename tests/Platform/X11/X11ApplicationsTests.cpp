// Naming running applications after their desktop entries.
#include "Platform/X11/X11Applications.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Platform/TestFiles.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;

class X11DesktopEntriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root / "local");
        fs::create_directories(root / "system");
    }
    void write(const fs::path& file, const std::string& text) { testing::writeFile(file, text); }
    std::vector<fs::path> dirs() const { return {root / "local", root / "system"}; }

    testing::TempFolder folder;
    const fs::path root = folder.path();
};

TEST_F(X11DesktopEntriesTest, IdThenWindowClassThenFileName) {
    write(root / "system/org.example.Mail.desktop", "[Desktop Entry]\nType=Application\nName=Mail\n");
    write(root / "system/chat.desktop", "[Desktop Entry]\nType=Application\nName=Chat\nStartupWMClass=ChatWindow\n");
    write(root / "system/xterm.desktop", "[Desktop Entry]\nType=Application\nName=XTerm Terminal\n");
    // The user's own copy comes first.
    write(root / "local/org.example.Mail.desktop", "[Desktop Entry]\nType=Application\nName=My Mail\n");

    auto mail = findDesktopEntry("org.example.Mail", "", "", dirs());
    ASSERT_TRUE(mail);
    EXPECT_EQ(mail->id, "org.example.Mail");
    EXPECT_EQ(mail->name, "My Mail");
    EXPECT_EQ(mail->path, (root / "local/org.example.Mail.desktop").string());
    EXPECT_EQ(findDesktopEntry("org.example.Mail.desktop", "", "", dirs())->name, "My Mail");

    const auto chat = findDesktopEntry("", "chat-main", "chatwindow", dirs());
    ASSERT_TRUE(chat);
    EXPECT_EQ(chat->name, "Chat");
    const auto xterm = findDesktopEntry("", "xterm", "XTerm", dirs());
    ASSERT_TRUE(xterm);
    EXPECT_EQ(xterm->name, "XTerm Terminal");
    // Named in reverse-domain form after the class, with the icon it names.
    write(root / "system/org.example.Notes.desktop", "[Desktop Entry]\nType=Application\nName=Notes\nIcon=notes-app\n");
    const auto notes = findDesktopEntry("", "notes", "Notes", dirs());
    ASSERT_TRUE(notes);
    EXPECT_EQ(notes->id, "org.example.Notes");
    EXPECT_EQ(notes->icon, "notes-app");
    // A file named after the class itself comes before one named so only in its last part.
    write(root / "system/notes.desktop", "[Desktop Entry]\nType=Application\nName=Plain Notes\n");
    EXPECT_EQ(findDesktopEntry("", "notes", "Notes", dirs())->name, "Plain Notes");
    EXPECT_FALSE(findDesktopEntry("", "nothing", "Nothing", dirs()));
    EXPECT_FALSE(findDesktopEntry("", "", "", dirs()));
}

TEST_F(X11DesktopEntriesTest, HiddenEntriesAndOtherTypesAreNoApplications) {
    write(root / "system/hidden.desktop", "[Desktop Entry]\nType=Application\nName=Hidden\nNoDisplay=true\n");
    write(root / "system/link.desktop", "[Desktop Entry]\nType=Link\nName=Link\n");
    write(root / "system/late.desktop",
          "[Desktop Entry]\nType=Application\nName=Late\n[Desktop Action New]\nName=New Window\n");
    EXPECT_FALSE(findDesktopEntry("hidden", "", "", dirs()));
    EXPECT_FALSE(findDesktopEntry("", "link", "Link", dirs()));
    // Keys of other groups do not override the main group's.
    EXPECT_EQ(findDesktopEntry("late", "", "", dirs())->name, "Late");
}

}  // namespace
}  // namespace tessaly::test
