#pragma once
// Qt tests on a real, headless X11 desktop. A Qt application connects to one
// display when it is made, and scaling (QT_SCALE_FACTOR) is read then too, so
// these tests run in a child process of the test program: the child starts
// its own desktop (Xvfb and openbox, see X11Desktop), makes the application
// on it and runs the tests registered with TESSALY_QT_X11_TEST. A parent test
// runs one suite of them in a child and passes when the child does.
//
// In the test program's main, before making the offscreen application:
//     if (auto code = QtOnX11::runChildIfAsked<QApplication>(argc, argv)) return *code;
#include "Platform/X11/X11Desktop.h"
#include "Platform/TestFiles.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace tessaly::test {

class QtOnX11 {
public:
    // The exit code of a child that found no X server to start.
    static constexpr int kNoServer = 77;

    // In a child (the parent set TESSALY_QT_X11_CHILD): starts the desktop
    // (with TESSALY_QT_X11_DESKTOPS virtual desktops, one by default, and
    // TESSALY_QT_X11_XFT_DPI as the Xft.dpi resource when given),
    // makes the application `App` on it, runs the registered tests selected
    // by the command line and answers the exit code. Otherwise nullopt.
    template <typename App>
    static std::optional<int> runChildIfAsked(int argc, char** argv) {
        if (!std::getenv("TESSALY_QT_X11_CHILD")) return std::nullopt;
        std::string why;
        bool serverMissing = false;
        X11Desktop::Options options;
        if (const char* desktops = std::getenv("TESSALY_QT_X11_DESKTOPS")) options.desktops = std::atoi(desktops);
        auto started = X11Desktop::start(options, why, serverMissing);
        if (!started) {
            std::fprintf(stderr, "no desktop: %s\n", why.c_str());
            return serverMissing ? kNoServer : 1;
        }
        if (const char* dpi = std::getenv("TESSALY_QT_X11_XFT_DPI")) {
            // What xrdb would set: Qt reads it when it connects.
            const std::string resources = std::string("Xft.dpi:\t") + dpi + "\n";
            auto& x = started->connection();
            xcb_change_property(x.get(), XCB_PROP_MODE_REPLACE, x.root(), XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 8,
                                static_cast<std::uint32_t>(resources.size()), resources.data());
            x.sync();
        }
        desktopSlot() = started.get();
        ::setenv("DISPLAY", started->display().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        // Without a session bus, Qt's X11 theme would have the bus library
        // try to start one ("autolaunch"), which fails and leaks.
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
        int code = 1;
        {
            App app(argc, argv);
            for (const auto& entry : registry()) entry();
            code = RUN_ALL_TESTS();
        }
        desktopSlot() = nullptr;
        return code;  // the desktop goes after the application's connection
    }

    static bool isChild() { return desktopSlot() != nullptr; }
    static X11Desktop& desktop() { return *desktopSlot(); }

    template <typename Fixture>
    static bool add(const char* suite, const char* name, const char* file, int line) {
        registry().push_back([=] {
            // GoogleTest owns the fixture it gets from the factory.
            ::testing::RegisterTest(suite, name, nullptr, nullptr, file, line,
                                  []() -> ::testing::Test* { return new Fixture(); });
        });
        return true;
    }

    // From a parent test: runs the registered tests of `suite` in a child
    // with `environment` ("NAME=value") added; fails the calling test with
    // the child's output when the child fails, skips it without Xvfb.
    static void runSuite(const std::string& suite, const std::vector<std::string>& environment = {},
                         std::chrono::seconds timeout = std::chrono::seconds(180)) {
        testing::TempFolder folder;
        const std::string log = (folder.path() / "child.log").string();
        std::vector<std::string> env = environment;
        env.emplace_back("TESSALY_QT_X11_CHILD=1");
        for (char** e = environ; *e; ++e) {
            const std::string entry(*e);
            const auto name = entry.substr(0, entry.find('=') + 1);
            const bool replaced = std::any_of(env.begin(), env.end(), [&](const std::string& given) {
                return given.compare(0, name.size(), name) == 0;
            });
            if (!replaced) env.push_back(entry);
        }
        std::vector<std::string> args{"/proc/self/exe", "--gtest_filter=" + suite + ".*"};
        const int status = spawnAndWait(args, env, log, timeout);
        if (status == kNoServer) GTEST_SKIP() << "no X11 test desktop on this machine";
        EXPECT_EQ(status, 0) << "the tests of " << suite << " failed in their desktop:\n" << testing::readFile(log);
    }

private:
    static X11Desktop*& desktopSlot() {
        static X11Desktop* desktop = nullptr;
        return desktop;
    }
    static std::vector<std::function<void()>>& registry() {
        static std::vector<std::function<void()>> entries;
        return entries;
    }

    // Runs the program to its end (killed after `timeout`); its exit status,
    // or -1 when it did not exit normally.
    static int spawnAndWait(std::vector<std::string> args, std::vector<std::string> env, const std::string& log,
                            std::chrono::seconds timeout) {
        std::vector<char*> argp, envp;
        for (auto& a : args) argp.push_back(a.data());
        argp.push_back(nullptr);
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return -1;
        const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        if (fd >= 0) {
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, static_cast<int>(std::chrono::milliseconds(timeout).count()));
            close(fd);
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) != pid) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// The base of tests that run inside the child's desktop.
class QtOnX11Test : public ::testing::Test {
protected:
    X11Desktop& desktop() { return QtOnX11::desktop(); }

public:
    // Runs Qt's event loop until `condition` holds (checked after every
    // event and at least every 10 ms) or time is up.
    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = kX11Patience) {
        if (condition()) return true;
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (condition()) loop.quit();
        });
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        check.start(10);
        deadline.start(timeout);
        loop.exec();
        return condition();
    }
};

}  // namespace tessaly::test

// Defines a test that runs inside the child's desktop, like TEST_F over
// QtOnX11Test (or a fixture derived from it, with TESSALY_QT_X11_TEST_F).
#define TESSALY_QT_X11_TEST_F(fixture, suite, name)                                                          \
    class suite##_##name##_QtX11Test : public fixture {                                                      \
    public:                                                                                                  \
        void TestBody() override;                                                                            \
    };                                                                                                       \
    [[maybe_unused]] static const bool suite##_##name##_registered =                                         \
        ::tessaly::test::QtOnX11::add<suite##_##name##_QtX11Test>(#suite, #name, __FILE__, __LINE__);       \
    void suite##_##name##_QtX11Test::TestBody()
#define TESSALY_QT_X11_TEST(suite, name) TESSALY_QT_X11_TEST_F(::tessaly::test::QtOnX11Test, suite, name)
