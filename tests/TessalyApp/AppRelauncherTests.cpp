#include "TessalyApp/AppRelauncher.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "Platform/TestFiles.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;

// Waits for a child of ours to end, woken by the kernel: its exit status,
// or absent when it is still running at the deadline.
std::optional<int> waitForExit(pid_t pid, int timeoutMs) {
    const int handle = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (handle >= 0) {
        pollfd entry{handle, POLLIN, 0};
        ::poll(&entry, 1, timeoutMs);
        ::close(handle);
    }
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) != pid) return std::nullopt;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A stand-in for the old process: it runs until `end()` closes its pipe,
// and stays a zombie until reaped.
class OldProcess {
public:
    OldProcess() {
        int ends[2];
        if (::pipe(ends) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ends[1]);
            char byte;
            while (::read(ends[0], &byte, 1) > 0) {
            }
            ::_exit(0);
        }
        ::close(ends[0]);
        writeEnd_ = ends[1];
    }
    ~OldProcess() {
        end();
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    OldProcess(const OldProcess&) = delete;
    OldProcess& operator=(const OldProcess&) = delete;
    pid_t pid() const { return pid_; }
    void end() {
        if (writeEnd_ >= 0) ::close(writeEnd_);
        writeEnd_ = -1;
    }

private:
    pid_t pid_ = -1;
    int writeEnd_ = -1;
};

// The child processes of `pid`, as the kernel lists them.
std::string childrenOf(pid_t pid) {
    return testing::readFile("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (condition()) return true;
        ::poll(nullptr, 0, 10);
    }
    return condition();
}

class AppRelauncherTests : public ::testing::Test {
protected:
    AppRelauncherTests() {
        // The "new program": records what it finds of the old process when it
        // starts, and whether it inherited descriptor 200.
        program = temp.path() / "new program";
        testing::writeFile(program, "#!/bin/sh\n"
                                    "s=$(cat /proc/$TESSALY_TEST_OLD/stat 2>/dev/null)\n"
                                    "s=${s##*\") \"}\n"
                                    "leak=no; [ -e /proc/self/fd/200 ] && leak=yes\n"
                                    "echo \"old=${s%% *} leak=$leak\" > \"$TESSALY_TEST_MARKER\"\n");
        fs::permissions(program, fs::perms::owner_all);
        marker = temp.path() / "marker";
        environment.set("TESSALY_TEST_MARKER", marker.string());
    }

    testing::TempFolder temp;
    testing::ScopedEnvironment environment;
    fs::path program;
    fs::path marker;
};

TEST_F(AppRelauncherTests, TheNewProgramStartsOnlyAfterTheOldProcessEndedAndInheritsNothing) {
    OldProcess old;
    ASSERT_GT(old.pid(), 0);
    environment.set("TESSALY_TEST_OLD", std::to_string(old.pid()));
    // A descriptor left open by mistake must not reach the helper.
    const int pipeEnd = ::open("/dev/null", O_RDONLY);
    ASSERT_EQ(::dup2(pipeEnd, 200), 200);
    ::close(pipeEnd);

    const AppRelauncher relauncher(program);
    std::string why;
    const auto helper = relauncher.startHelper(old.pid(), AppRelauncher::maxPolls, &why);
    ::close(200);
    ASSERT_TRUE(helper) << why;
    // The helper waits: it is polling (its sleep runs) and nothing started yet.
    ASSERT_TRUE(waitUntil([&] { return !childrenOf(*helper).empty(); }));
    EXPECT_FALSE(fs::exists(marker));

    old.end();  // exits, and stays a zombie: that counts as ended
    EXPECT_EQ(waitForExit(*helper, 10000), 0);
    EXPECT_EQ(testing::readFile(marker), "old=Z leak=no\n");
}

TEST_F(AppRelauncherTests, AnOldProcessThatDoesNotEndIsNeverJoinedByASecondCopy) {
    OldProcess old;
    environment.set("TESSALY_TEST_OLD", std::to_string(old.pid()));
    const auto helper = AppRelauncher(program).startHelper(old.pid(), 3);
    ASSERT_TRUE(helper);
    EXPECT_EQ(waitForExit(*helper, 10000), 1);
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(AppRelauncherTests, ARecycledProcessIdIsNotTheOldProcess) {
    OldProcess unrelated;  // alive, but started at another time than the one given
    environment.set("TESSALY_TEST_OLD", std::to_string(unrelated.pid()));
    pid_t helper = -1;
    const std::string script(AppRelauncher::helperScript());
    const std::string pid = std::to_string(unrelated.pid());
    const std::string programText = program.string();
    const char* argv[] = {"/bin/sh", "-c", script.c_str(), programText.c_str(), pid.c_str(), "1", "3", nullptr};
    ASSERT_EQ(::posix_spawn(&helper, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    EXPECT_EQ(waitForExit(helper, 10000), 0);
    EXPECT_TRUE(fs::exists(marker));
}

TEST_F(AppRelauncherTests, NoReopenIsPromisedWithoutARunnableProgram) {
    std::string why;
    EXPECT_FALSE(AppRelauncher(std::nullopt).scheduleReopen(&why));
    EXPECT_NE(why.find("not known"), std::string::npos) << why;
    EXPECT_FALSE(AppRelauncher(temp.path() / "missing").scheduleReopen(&why));
    EXPECT_NE(why.find("gone or not executable"), std::string::npos) << why;
    testing::writeFile(temp.path() / "plain", "data");
    EXPECT_FALSE(AppRelauncher(temp.path() / "plain").scheduleReopen(&why));
}

TEST(AppRelauncherPathTests, ExecutableFromTheProcessLink) {
    EXPECT_EQ(AppRelauncher::executableFromLink("/usr/bin/tessaly (deleted)"), fs::path("/usr/bin/tessaly"));
    EXPECT_EQ(AppRelauncher::executableFromLink("/opt/my app/tessaly"), fs::path("/opt/my app/tessaly"));
    EXPECT_EQ(AppRelauncher::executableFromLink("/a (deleted)/b"), fs::path("/a (deleted)/b"));
    EXPECT_FALSE(AppRelauncher::executableFromLink("tessaly"));
    EXPECT_FALSE(AppRelauncher::executableFromLink(" (deleted)"));
    EXPECT_FALSE(AppRelauncher::executableFromLink(""));

    const auto own = AppRelauncher::resolveOwnExecutable();
    ASSERT_TRUE(own);
    EXPECT_EQ(*own, fs::canonical("/proc/self/exe"));
    EXPECT_TRUE(AppRelauncher::processStartTime(::getpid()));
    EXPECT_FALSE(AppRelauncher::processStartTime(-1));
}

}  // namespace
}  // namespace tessaly
