#pragma once
// The fixture of the end-to-end tests: a fresh headless desktop per test,
// the real tessaly program on it, and a user at the desktop (XTEST input and
// read-backs of what a user sees).
#include "ApplicationWindows.h"
#include "DesktopUser.h"
#include "HandoffGroups.h"
#include "TessalyProgram.h"
#include "Platform/X11/OpenFaults.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

namespace tessaly::e2e {

class EndToEndTest : public ::testing::Test {
protected:
    // A desktop of 1600 x 1000 with openbox in the harness's configuration
    // (Shift and a title-bar drag move a window); tests of the stock
    // configuration say so.
    virtual test::X11Desktop::Options desktopOptions() const {
        test::X11Desktop::Options options;
        options.width = 1600;
        options.height = 1000;
        return options;
    }

    void SetUp() override {
        if (const auto fault = test::openFault(desktopOptions().manager)) GTEST_SKIP() << *fault;
        std::string why;
        bool serverMissing = false;
        desktop = test::X11Desktop::start(desktopOptions(), why, serverMissing);
        if (!desktop) {
            if (serverMissing) GTEST_SKIP() << "no X11 test desktop: " << why;
            FAIL() << "the X11 test desktop did not start: " << why;
        }
    }

    void TearDown() override {
        if (program && HasFailure()) {
            std::fprintf(stderr, "---- tessaly's log ----\n%s---- end of tessaly's log ----\n", program->log().c_str());
        }
        user.reset();
        program.reset();
        for (auto& helper : helpers) helper.stop();
        helpers.clear();
        desktop.reset();
    }

    // Starts the program, waits until its session runs, and seats the user.
    ::testing::AssertionResult startProgram(TessalyProgram::Options options = {}) {
        user.reset();
        program = TessalyProgram::start(*desktop, options);
        if (!program) return ::testing::AssertionFailure() << "tessaly could not be started";
        if (!program->waitUntilSessionRuns()) {
            const auto status = program->process().status();
            return ::testing::AssertionFailure() << "tessaly's session did not start ("
                                                 << (status ? status->describe() : std::string("still running")) << ")\n"
                                                 << program->process().stacks();
        }
        user = std::make_unique<DesktopUser>(*desktop, program->pid());
        return ::testing::AssertionSuccess();
    }

    // The same, with each list of windows rebuilt as one group at the start
    // (handoffGroups).
    ::testing::AssertionResult startProgramWithGroups(const std::vector<std::vector<xcb_window_t>>& groups,
                                                      TessalyProgram::Options options = {}) {
        const auto handoff = handoffGroups(*desktop, groups);
        if (!handoff) return ::testing::AssertionFailure() << "a window of the groups is gone";
        options.handoff = *handoff;
        return startProgram(std::move(options));
    }

    // Waits until the window's frame has stood still for `quiet`: a window
    // that goes on sizing itself after it shows (gtk3-widget-factory grows
    // as it fills its pages in, the longer the busier the machine). Answers
    // the frame it settled at, or nothing.
    std::optional<Rect> waitForSteadyFrame(xcb_window_t window,
                                           std::chrono::milliseconds quiet = std::chrono::milliseconds(700)) {
        std::optional<Rect> last;
        auto since = std::chrono::steady_clock::now();
        const bool steady = desktop->waitUntil([&] {
            const auto info = desktop->windows().read(window);
            if (!info) return false;
            if (!last || info->frame != *last) {
                last = info->frame;
                since = std::chrono::steady_clock::now();
            }
            return std::chrono::steady_clock::now() - since >= quiet;
        });
        return steady ? last : std::nullopt;
    }

    // Starts a process on the desktop's display with the desktop's HOME and
    // XDG folders (as a window manager the user starts); stopped at the end.
    bool startOnDesktop(const std::vector<std::string>& argv) {
        auto child = ChildProcess::start(argv, desktopVariables(*desktop));
        if (!child) return false;
        helpers.push_back(std::move(*child));
        return true;
    }

    std::unique_ptr<test::X11Desktop> desktop;
    std::optional<TessalyProgram> program;
    std::unique_ptr<DesktopUser> user;
    std::vector<ChildProcess> helpers;  // processes a test started besides the program
};

// The same end-to-end behaviour on each window manager people run, with its
// stock configuration: the parameter is the window manager. Instantiated as
// "WindowManagers" with test::X11WindowManagerName, a test shows in the
// window manager x behaviour table printed after the tests.
class EndToEndOnWindowManager : public EndToEndTest, public ::testing::WithParamInterface<test::X11WindowManager> {
protected:
    test::X11Desktop::Options desktopOptions() const override {
        auto options = EndToEndTest::desktopOptions();
        options.manager = GetParam();
        return options;
    }
    test::X11WindowManager manager() const { return GetParam(); }
    // The window manager's own maximise toggle: Meta+Page Up on KWin,
    // Alt+F10 on the others that have one.
    void pressMaximiseShortcut() {
        const bool kwin =
            manager() == test::X11WindowManager::kwin || manager() == test::X11WindowManager::kwinComposited;
        const xcb_keysym_t modifier = kwin ? KeySym::superL : KeySym::altL;
        const xcb_keysym_t key = kwin ? KeySym::pageUp : KeySym::f10;
        user->input.keyDown(modifier);
        user->input.keyDown(key);
        user->input.keyUp(key);
        user->input.keyUp(modifier);
    }
};

// The same, skipped on a window manager that maximises no window (i3).
class EndToEndOnMaximisingWindowManager : public EndToEndOnWindowManager {
protected:
    void SetUp() override {
        EndToEndOnWindowManager::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        const auto& a = desktop->connection().atoms();
        if (!desktop->connection().windowManagerSupports(a.NET_WM_STATE_MAXIMIZED_VERT)) {
            GTEST_SKIP() << test::X11Desktop::name(manager()) << " does not maximise windows";
        }
    }
};

}  // namespace tessaly::e2e
