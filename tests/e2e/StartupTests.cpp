// Starting and ending the real program: without a display, without a window
// manager, on a signal, and when the X server goes away under it.
#include "EndToEndTest.h"

#include <signal.h>

namespace tessaly::e2e {
namespace {

using std::chrono::seconds;

// Files the program leaves in its own folders (the defaults file written
// before the start excepted). Lock files stay by design: a lock is held
// only while its holder lives, so a left file locks nothing.
std::vector<std::filesystem::path> leftovers(const std::filesystem::path& folders) {
    std::vector<std::filesystem::path> found;
    for (const char* sub : {"runtime", "data", "cache"}) {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folders / sub, ignored)) {
            if (!entry.is_directory() && entry.path().extension() != ".lock") found.push_back(entry.path());
        }
    }
    return found;
}

// openbox as people run it (the program starts Shift-drags for it).
class StartupTest : public EndToEndTest {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = EndToEndTest::desktopOptions();
        options.manager = test::X11WindowManager::openbox;
        return options;
    }
};

TEST_F(StartupTest, WithoutADisplayItSaysSoAndExitsWithAFailure) {
    for (const std::string display : {"none", ":4711"}) {
        SCOPED_TRACE("DISPLAY=" + display);
        TessalyProgram::Options options;
        options.display = display;
        auto run = TessalyProgram::start(*desktop, options);
        ASSERT_TRUE(run);
        const auto status = run->process().waitForExit(test::kX11Patience);
        ASSERT_TRUE(status) << "still running without a display";
        EXPECT_TRUE(status->exited) << status->describe();  // no crash, no abort
        EXPECT_NE(status->code, 0);
        EXPECT_NE(run->log().find("display"), std::string::npos) << run->log();
    }
}

class StartupWithoutWindowManagerTest : public EndToEndTest {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = EndToEndTest::desktopOptions();
        options.windowManager = false;
        return options;
    }
};

TEST_F(StartupWithoutWindowManagerTest, ItWaitsForAWindowManagerAndStartsOnceOneAnswers) {
    program = TessalyProgram::start(*desktop, {});
    ASSERT_TRUE(program);
    ASSERT_TRUE(program->process().waitForOutput("window manager", test::kX11Patience)) << program->log();
    EXPECT_FALSE(program->process().status()) << "gave up instead of waiting";
    EXPECT_EQ(program->process().count(TessalyProgram::sessionStartedLine), 0u);

    ASSERT_TRUE(startOnDesktop({"openbox", "--sm-disable"}));  // as it comes
    EXPECT_TRUE(program->waitUntilSessionRuns());
}

TEST_F(StartupTest, ATerminationSignalShutsDownInOrderAndTakesTheBarsAway) {
    auto a = desktop->launchXterm("first", "80x24+100+150");
    auto b = desktop->launchXterm("second", "80x24+800+150");
    ASSERT_TRUE(a && b);
    ASSERT_TRUE(startProgram());
    std::string why;
    ASSERT_TRUE(user->groupByDrag(b->window, a->window, why)) << why;
    ASSERT_TRUE(user->waitUntil([&] { return user->barAbove(a->window) || user->barAbove(b->window); }));

    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        if (signal == SIGINT) {
            ASSERT_TRUE(startProgram());
        }
        program->process().signal(signal);
        const auto status = program->process().waitForExit(test::kX11Patience);
        ASSERT_TRUE(status);
        EXPECT_TRUE(status->exited && status->code == 0) << status->describe();
        EXPECT_TRUE(user->waitForNoBars());
        EXPECT_EQ(leftovers(program->folders()), std::vector<std::filesystem::path>{});  // an ordinary quit writes no handoff
    }
}

TEST_F(StartupTest, WhenTheXServerGoesAwayItSaysSoExitsWithAFailureAndLeavesNoFiles) {
    auto a = desktop->launchXterm("first", "80x24+100+150");
    ASSERT_TRUE(a);
    ASSERT_TRUE(startProgram());
    kill(desktop->serverPid(), SIGKILL);
    const auto status = program->process().waitForExit(test::kX11Patience);
    ASSERT_TRUE(status) << "still running without its X server";
    EXPECT_TRUE(status->exited) << status->describe();
    EXPECT_NE(status->code, 0);
    EXPECT_NE(program->log().find("X server"), std::string::npos) << program->log();
    EXPECT_EQ(leftovers(program->folders()), std::vector<std::filesystem::path>{});
}

}  // namespace
}  // namespace tessaly::e2e
