// The program as the desktop knows it. Its windows match its application
// entry: a window's class (WM_CLASS) is the entry's StartupWMClass, so a
// dock or task bar shows the window under the entry, and the window carries
// the program's icon (_NET_WM_ICON) for those that draw the window's own.
// And the launch-at-login entry starts the copy of the program that runs.
#include "ShellTest.h"

namespace tessaly::e2e {
namespace {

// The value of `key` in the built application entry.
std::string entryValue(std::string_view key) {
    std::ifstream in(TESSALY_DESKTOP_ENTRY);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(std::string(key) + "=")) return line.substr(key.size() + 1);
    }
    return {};
}

using DesktopIdentityTest = ShellTest;

TEST_F(DesktopIdentityTest, TheSettingsWindowHasTheEntrysClassAndTheProgramsIcon) {
    const std::string windowClass = entryValue("StartupWMClass");
    ASSERT_FALSE(windowClass.empty()) << "no StartupWMClass in " << TESSALY_DESKTOP_ENTRY;
    ASSERT_TRUE(startShell({}));
    const auto window = waitForProgramWindow(settingsTitle);
    ASSERT_TRUE(window) << "the start showed no settings window";
    EXPECT_EQ(window->className, windowClass);
    EXPECT_EQ(window->instanceName, windowClass);

    // _NET_WM_ICON: width, height, then the pixels, for each size.
    xcb_connection_t* c = desktop->connection().get();
    const auto atom = xcbReply(c, xcb_intern_atom_reply, xcb_intern_atom(c, 0, 12, "_NET_WM_ICON"));
    ASSERT_TRUE(atom);
    const auto icon = xcbReply(c, xcb_get_property_reply,
                               xcb_get_property(c, 0, window->window, atom->atom, XCB_ATOM_CARDINAL, 0, 1 << 20));
    ASSERT_TRUE(icon);
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(icon.get()));
    const auto count = static_cast<std::size_t>(xcb_get_property_value_length(icon.get())) / 4;
    std::vector<std::uint32_t> sides;
    for (std::size_t at = 0; at + 2 <= count; at += 2 + std::size_t{values[at]} * values[at + 1]) {
        sides.push_back(values[at]);
        // The middle of the tile is opaque.
        const std::size_t side = values[at];
        if (at + 2 + side * side <= count) {
            EXPECT_EQ(values[at + 2 + side * (side / 2) + side / 2] >> 24, 0xffu) << side;
        }
    }
    EXPECT_FALSE(sides.empty()) << "the settings window carries no icon";
}

// Launch at login was turned on from a checkout's build, since cleaned
// away; the program is then installed (here: linked into a prefix) and
// started: the entry now starts the installed program, and it carries the
// application entry's name and icon.
TEST_F(DesktopIdentityTest, TheInstalledProgramTakesTheLoginEntryOverFromAGoneBuild) {
    const auto bin = desktop->directory() / "prefix" / "bin";
    std::filesystem::create_directories(bin);
    std::error_code linkError;
    std::filesystem::create_hard_link(TessalyProgram::path(), bin / "tessaly", linkError);
    if (linkError) std::filesystem::copy_file(TessalyProgram::path(), bin / "tessaly");
    program = (bin / "tessaly").string();
    const auto entry = desktop->directory() / "tessaly-shell" / "config" / "autostart" / "tessaly.desktop";
    testing::writeFile(entry, "[Desktop Entry]\nType=Application\nName=Tessaly\n"
                              "Exec=/home/u/gone/build/release/tessaly --login-item\nTerminal=false\n");

    ASSERT_TRUE(startShell());
    const std::string text = testing::readFile(entry);
    EXPECT_NE(text.find("\nExec=" + program + " --login-item\n"), std::string::npos) << text;
    for (const char* key : {"Name", "Icon"}) {
        EXPECT_NE(text.find("\n" + std::string(key) + "=" + entryValue(key) + "\n"), std::string::npos) << key << ": " << text;
    }
}

}  // namespace
}  // namespace tessaly::e2e
