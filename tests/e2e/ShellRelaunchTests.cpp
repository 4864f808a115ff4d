// One instance and the relaunch on a real desktop: a second launch hands
// over to the running program and ends; the restart that applies a new
// display language starts the new program only once the old one has ended,
// and the new one puts the same windows back into the same groups and
// speaks the new language, also a member on another desktop, about which
// the restart gives no warning (the new program finds it there).
#include "ShellTest.h"

#include <fstream>
#include <set>
#include <sstream>

namespace tessaly::e2e {
namespace {

using std::chrono::seconds;

class ShellRelaunchTest : public ShellTest {
protected:
    // A second launch on the same folders: it must end by itself, with
    // success, leaving the running instance alone.
    void launchAgainAndExpectOneInstance(pid_t running) {
        ChildProcess* second = launch({});
        ASSERT_TRUE(second);
        const auto status = second->waitForExit(test::kX11Patience);
        ASSERT_TRUE(status) << "the second launch kept running";
        EXPECT_TRUE(status->exited && status->code == 0) << status->describe() << "\n" << second->output();
        EXPECT_EQ(instances(), std::vector<pid_t>{running});
    }

    // Opening the program again shows its settings window; there the user
    // chooses German on the General page and the restart it asks for.
    void restartInGerman() {
        launchAgainAndExpectOneInstance(pid());
        ASSERT_TRUE(waitForProgramWindow(settingsTitle)) << "the second launch did not bring the settings window up";
        auto language = a11y_->waitFor(pid(), "combo box", "English");
        ASSERT_TRUE(language) << "no language choice on the settings window's first page";
        user->click(language->center());
        const auto german = a11y_->waitFor(pid(), "list item", "German (Deutsch)");
        ASSERT_TRUE(german) << "the language list did not open";
        user->click(german->center());
        const auto restart = a11y_->waitFor(pid(), "push button", "Restart Now");
        ASSERT_TRUE(restart) << "no restart offered after choosing another language";
        user->click(restart->center());
    }

    static pid_t parentOf(pid_t process) {
        std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
        std::string line;
        std::getline(stat, line);
        const auto close = line.rfind(')');
        if (close == std::string::npos) return 0;
        std::istringstream rest(line.substr(close + 1));
        std::string state;
        pid_t parent = 0;
        rest >> state >> parent;
        return parent;
    }

    // The old process ends by itself, without a warning window first and
    // before any other instance runs; the new one runs its session and has
    // taken the handoff. The user then sits at the new one.
    void expectRelaunched(pid_t old) {
        bool overlapped = false;
        bool warned = false;
        std::set<pid_t> relaunchHelpers;
        ASSERT_TRUE(desktop->waitUntil([&] {
            // Listed first: the old one may end, and the new one start,
            // between the two looks, never the other way round. A child of
            // the old one is its relaunch helper on the way to the shell
            // (spawned, it runs the program's image for a moment); once
            // seen so it stays one, as the old one's end hands it to init
            // a moment before the old one shows as ended.
            const std::vector<pid_t> running = instances();
            for (const pid_t p : running) {
                if (parentOf(p) == old) relaunchHelpers.insert(p);
            }
            const bool ended = firstLaunch().status().has_value() || isZombie(old);
            for (const pid_t p : running) overlapped |= p != old && !relaunchHelpers.contains(p) && !ended;
            for (const auto& info : desktop->windows().read(desktop->windows().clientList())) {
                warned |= info.pid == ProcessID{old} && info.viewable && info.title != settingsTitle;
            }
            return ended || warned;
        })) << "the old program did not end for the restart";
        ASSERT_FALSE(warned) << "the restart warned that windows would leave their groups";
        const auto status = firstLaunch().waitForExit(seconds(1));
        ASSERT_TRUE(status);
        EXPECT_TRUE(status->exited && status->code == 0) << status->describe();
        EXPECT_FALSE(overlapped) << "the new program started before the old one had ended";

        std::vector<pid_t> running;
        ASSERT_TRUE(desktop->waitUntil([&] { return (running = instances()).size() == 1; }))
            << "no new program started";
        followInstance(running.front());
        ASSERT_TRUE(waitForLog(TessalyProgram::sessionStartedLine, 2)) << "the new program's session did not start";
        EXPECT_FALSE(std::filesystem::exists(handoffFile())) << "the handoff was not taken";
    }
};

TEST_F(ShellRelaunchTest, ARestartForANewLanguageBringsTheSameGroupsBackInThatLanguage) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    ASSERT_TRUE(startShell());
    const auto first = groupedXterms("relaunch-a", 120);
    ASSERT_TRUE(first);
    const auto second = groupedXterms("relaunch-b", 520);
    ASSERT_TRUE(second);
    const pid_t old = pid();
    ASSERT_NO_FATAL_FAILURE(restartInGerman());
    ASSERT_NO_FATAL_FAILURE(expectRelaunched(old));

    // The same windows, in the same groups, with their bars.
    for (const auto& pair : {*first, *second}) {
        EXPECT_TRUE(user->waitUntil([&] { return isGrouped(pair) || isGrouped(Pair{pair.inactive, pair.active}); }))
            << "a group did not come back on its windows";
    }
    EXPECT_EQ(user->bars().size(), 2u);

    // The new program speaks German: its settings window (a launch that is
    // not a login item shows it) and its pages.
    EXPECT_TRUE(waitForProgramWindow("Tessaly-Einstellungen")) << "the settings window is not in German";
    EXPECT_TRUE(a11y_->waitFor(pid(), "list item", "Allgemein")) << "the pages are not in German";

    // Opening it once more still leaves one program.
    launchAgainAndExpectOneInstance(pid());
}

class ShellRelaunchAcrossDesktopsTest : public ShellRelaunchTest {
protected:
    ShellRelaunchAcrossDesktopsTest() {
        desktops = 2;
        diagnostics = true;  // the log says when a member is suspended
    }
};

TEST_F(ShellRelaunchAcrossDesktopsTest, AMemberOnAnotherDesktopComesBackInItsGroupWithoutAWarning) {
    if (!accessibility()) GTEST_SKIP() << "no accessibility bus on this machine";
    // A member that leaves the desktop stays in its group, suspended.
    writeDefaults({{"offSpacePolicy", "\"suspend\""}});
    ASSERT_TRUE(startShell());
    const auto pair = groupedXterms("away", 150);
    ASSERT_TRUE(pair);
    ASSERT_TRUE(desktop->windows().moveToDesktop(pair->inactive, 1));
    const std::string suspended = "off-Space SUSPEND " + std::to_string(pair->inactive);
    ASSERT_TRUE(waitForLog(suspended)) << "the member sent to the other desktop was not suspended in its group";

    const pid_t old = pid();
    ASSERT_NO_FATAL_FAILURE(restartInGerman());
    ASSERT_NO_FATAL_FAILURE(expectRelaunched(old));

    // The group is back: its bar above the member here, and the member over
    // there in it again (suspended once more, as only a member can be).
    EXPECT_TRUE(user->waitUntil([&] { return user->barAbove(pair->active).has_value(); }))
        << "the group did not come back on the member on this desktop";
    EXPECT_TRUE(waitForLog(suspended, 2)) << "the member on the other desktop is not in the group again";
    EXPECT_EQ(desktop->windows().read(pair->inactive)->desktop, 1u) << "the member was taken from its desktop";
}

}  // namespace
}  // namespace tessaly::e2e
