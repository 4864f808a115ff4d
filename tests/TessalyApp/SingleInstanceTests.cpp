#include "TessalyApp/SingleInstance.h"

#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Platform/TestFiles.h"

namespace tessaly {
namespace {

namespace fs = std::filesystem;
using Claim = SingleInstance::Claim;

// Serves reopen requests on the calling thread until `done` holds, waking
// on the socket itself (never on a timer of its own).
void serveUntil(SingleInstance& instance, const std::function<bool()>& done) {
    while (!done()) {
        pollfd entry{instance.descriptor(), POLLIN, 0};
        ::poll(&entry, 1, 20);
        instance.acceptPending();
    }
}

class SingleInstanceTests : public ::testing::Test {
protected:
    testing::TempFolder temp;
    fs::path folder = temp.path() / "run" / "tessaly";
};

TEST_F(SingleInstanceTests, SecondLaunchHandsAReopenToTheFirstAndTheLockDiesWithItsHolder) {
    int reopens = 0;
    {
        SingleInstance first(folder);
        ASSERT_EQ(first.claim(), Claim::primary);
        first.onReopen = [&] { ++reopens; };
        struct stat info {};
        ASSERT_EQ(::stat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        ASSERT_EQ(::stat(first.socketPath().c_str(), &info), 0);
        EXPECT_TRUE(S_ISSOCK(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0600u) << "the socket is not for this user alone";

        std::atomic<bool> finished{false};
        Claim second = Claim::unavailable;
        std::thread launch([&] {
            SingleInstance other(folder);
            second = other.claim();
            EXPECT_EQ(other.descriptor(), -1);
            finished = true;
        });
        serveUntil(first, [&] { return finished.load(); });
        launch.join();
        EXPECT_EQ(second, Claim::handedToRunning);
        EXPECT_EQ(reopens, 1);
        EXPECT_EQ(first.claim(), Claim::primary);  // a second call answers the first outcome
    }
    // The instance ended: its socket is gone and the next launch is the instance.
    EXPECT_FALSE(fs::exists(folder / "instance.sock"));
    SingleInstance next(folder);
    EXPECT_EQ(next.claim(), Claim::primary);
}

TEST_F(SingleInstanceTests, AnInstanceThatDiedWithoutCleaningUpLeavesNothingStale) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A crash: _exit runs no destructor, so the socket file stays behind.
        SingleInstance instance(folder);
        ::_exit(instance.claim() == Claim::primary ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(fs::exists(folder / "instance.sock"));

    SingleInstance next(folder);
    EXPECT_EQ(next.claim(), Claim::primary);
}

TEST_F(SingleInstanceTests, LaunchesAtTheSameInstantLeaveExactlyOneInstance) {
    constexpr int launches = 8;
    std::atomic<int> primaries{0};
    std::atomic<int> handed{0};
    std::atomic<int> finished{0};
    std::atomic<int> reopens{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < launches; ++i) {
        threads.emplace_back([&] {
            SingleInstance instance(folder);
            instance.onReopen = [&] { ++reopens; };
            while (!go) std::this_thread::yield();
            const Claim claim = instance.claim();
            if (claim == Claim::primary) {
                ++primaries;
                ++finished;
                serveUntil(instance, [&] { return finished.load() == launches; });
                return;
            }
            if (claim == Claim::handedToRunning) ++handed;
            ++finished;
        });
    }
    go = true;
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(primaries.load(), 1);
    EXPECT_EQ(handed.load(), launches - 1);
    EXPECT_EQ(reopens.load(), launches - 1);
}

TEST_F(SingleInstanceTests, ARunningInstanceThatDoesNotAnswerIsReportedNotDuplicated) {
    SingleInstance hung(folder);
    ASSERT_EQ(hung.claim(), Claim::primary);  // and never accepts
    SingleInstance launch(folder, {.start = 1.0, .answer = 0.2});
    std::string why;
    EXPECT_EQ(launch.claim(&why), Claim::runningButSilent);
    EXPECT_NE(why.find("did not answer"), std::string::npos) << why;
    EXPECT_FALSE(launch.isPrimary());
}

TEST_F(SingleInstanceTests, UnusableFoldersAreRefusedAndALooseOwnFolderIsTightened) {
    std::string why;
    testing::writeFile(temp.path() / "file", "x");
    EXPECT_EQ(SingleInstance(temp.path() / "file").claim(&why), Claim::unavailable);

    fs::create_directories(temp.path() / "real");
    fs::create_directory_symlink(temp.path() / "real", temp.path() / "link");
    EXPECT_EQ(SingleInstance(temp.path() / "link").claim(&why), Claim::unavailable);
    EXPECT_NE(why.find("not a folder"), std::string::npos) << why;

    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::all);
    SingleInstance instance(folder);
    EXPECT_EQ(instance.claim(), Claim::primary);
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST(SingleInstanceFolderTests, RuntimeFolderFirstElseAPerHostFolderInTheCache) {
    testing::ScopedEnvironment environment;
    environment.set("XDG_RUNTIME_DIR", "/run/user/1234");
    EXPECT_EQ(SingleInstance::defaultFolder(), fs::path("/run/user/1234/tessaly"));
    environment.unset("XDG_RUNTIME_DIR");
    environment.set("XDG_CACHE_HOME", "/home/u/.cache");
    const auto fallback = SingleInstance::defaultFolder();
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->parent_path(), fs::path("/home/u/.cache"));
    EXPECT_EQ(fallback->filename().string().rfind("tessaly-runtime-", 0), 0u);
}

}  // namespace
}  // namespace tessaly
