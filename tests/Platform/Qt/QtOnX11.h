#pragma once
// Qt tests on a real, headless X11 desktop. A Qt application connects to one
// display when it is made, and scaling (QT_SCALE_FACTOR) is read then too, so
// these tests run in a child process of the test program: the child starts
// its own desktop (Xvfb and openbox, see X11Desktop), makes the application
// on it and runs the tests registered with TESSALY_QT_X11_TEST. A parent test
// runs one suite of them in a child and passes when the child does.
//
// Include this header before any Qt header: the X11 backend's headers it
// brings in have a member named like one of Qt's keyword macros.
//
// In the test program's main, before making the offscreen application:
//     if (auto code = QtOnX11::runChildIfAsked<QApplication>(argc, argv)) return *code;
#include "Platform/X11/X11Desktop.h"
#include "e2e/ChildProcess.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
    // with `variables` added to its environment; fails the calling test
    // with the child's output when the child fails, skips it without Xvfb.
    static void runSuite(const std::string& suite, const std::map<std::string, std::string>& variables = {},
                         std::chrono::seconds timeout = std::chrono::seconds(180)) {
        auto withChild = variables;
        withChild["TESSALY_QT_X11_CHILD"] = "1";
        // The child runs the whole suite, whichever shard of the program asked.
        withChild["GTEST_TOTAL_SHARDS"] = "1";
        withChild["GTEST_SHARD_INDEX"] = "0";
        auto child = e2e::ChildProcess::start({"/proc/self/exe", "--gtest_filter=" + suite + ".*"}, withChild);
        ASSERT_TRUE(child) << "cannot start the test program again";
        auto status = child->waitForExit(timeout);
        if (!status) status = child->stop();
        ASSERT_TRUE(status);
        if (status->exited && status->code == kNoServer) GTEST_SKIP() << "no X11 test desktop on this machine";
        EXPECT_EQ(child->output().find("Running 0 tests"), std::string::npos) << "no test registered in " << suite;
        EXPECT_TRUE(status->exited && status->code == 0)
            << "the tests of " << suite << " failed in their desktop (" << status->describe() << "):\n"
            << child->output();
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
