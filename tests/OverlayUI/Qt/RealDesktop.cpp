#include "RealDesktop.h"

#include <QApplication>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

namespace tessaly::test {

namespace {

constexpr const char* kChildFlag = "--real-desktop=";
constexpr int kSkipStatus = 77;  // the child found no X server to start
constexpr auto kChildPatience = std::chrono::seconds(180);

std::map<std::string, RealDesktopCase>& cases() {
    static std::map<std::string, RealDesktopCase> all;
    return all;
}

X11Desktop* runningDesktop = nullptr;

class RealDesktopBody : public ::testing::Test {
public:
    explicit RealDesktopBody(std::function<void()> body) : body_(std::move(body)) {}
    void TestBody() override { body_(); }

private:
    std::function<void()> body_;
};

// Reads everything the child writes until it closes its end or time is up.
bool readAll(int fd, std::string& out, std::chrono::steady_clock::time_point deadline) {
    char buffer[4096];
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return true;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

int runChild(const std::string& name, int argc, char** argv) {
    const auto found = cases().find(name);
    if (found == cases().end()) {
        std::fprintf(stderr, "no real-desktop case named %s\n", name.c_str());
        return 2;
    }
    std::string why;
    bool serverMissing = false;
    auto desktop = X11Desktop::start({}, why, serverMissing);
    if (!desktop) {
        std::printf("no X11 test desktop: %s\n", why.c_str());
        return serverMissing ? kSkipStatus : 1;
    }
    runningDesktop = desktop.get();
    ::setenv("DISPLAY", desktop->display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("XDG_RUNTIME_DIR", (desktop->directory() / "runtime").c_str(), 1);
    for (const auto& [variable, value] : found->second.environment) ::setenv(variable.c_str(), value.c_str(), 1);

    int status = 0;
    {
        QApplication app(argc, argv);
        ::testing::RegisterTest("RealDesktopChild", name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
                                [body = found->second.body]() -> ::testing::Test* { return new RealDesktopBody(body); });
        GTEST_FLAG_SET(filter, "RealDesktopChild." + name);
        status = RUN_ALL_TESTS();
        if (status == 0 && ::testing::UnitTest::GetInstance()->skipped_test_count() > 0) status = kSkipStatus;
    }
    runningDesktop = nullptr;
    return status;
}

}  // namespace

bool registerRealDesktopCase(const std::string& name, RealDesktopCase realCase) {
    cases()[name] = std::move(realCase);
    return true;
}

X11Desktop& realDesktop() { return *runningDesktop; }

void runRealDesktopChild(const std::string& name) {
    int fds[2];
    ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(length, 0);
    std::string flag = std::string(kChildFlag) + name;
    char* childArgv[] = {self, flag.data(), nullptr};
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls until exec.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        execv(self, childArgv);
        _exit(127);
    }
    close(fds[1]);
    ASSERT_GT(pid, 0);
    std::string output;
    const bool finished = readAll(fds[0], output, std::chrono::steady_clock::now() + kChildPatience);
    close(fds[0]);
    if (!finished) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(finished) << "the real-desktop case " << name << " did not finish in time:\n" << output;
    if (WIFEXITED(status) && WEXITSTATUS(status) == kSkipStatus) GTEST_SKIP() << output;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the real-desktop case " << name << " failed (status " << status << "):\n"
        << output;
}

int runTestProgram(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kChildFlag, std::strlen(kChildFlag)) == 0) {
            return runChild(argv[i] + std::strlen(kChildFlag), argc, argv);
        }
    }
    // Widget behaviour runs without a display.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace tessaly::test
