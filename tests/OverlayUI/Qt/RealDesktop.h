#pragma once
// Real-desktop cases for the Qt overlay. Qt picks its platform once, when the
// QApplication is made, and this program's own QApplication is an offscreen
// one. So each real-desktop case runs in a child process of its own: the
// child starts a fresh headless desktop (Xvfb + openbox), points DISPLAY at
// it, only then makes an xcb QApplication, and runs the case's body. The
// parent test waits for the child (with a deadline) and reports its verdict
// and output.
//
//   REAL_DESKTOP_TEST(TabBarOnDesktop, AppearsAboveFrame) { ... realDesktop() ... }
//
// A case with its own environment (QT_SCALE_FACTOR...) says so with
// REAL_DESKTOP_TEST_ENV(Suite, Name, {{"QT_SCALE_FACTOR", "2"}}).
#include "Platform/X11/X11Desktop.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tessaly::test {

using EnvironmentList = std::vector<std::pair<std::string, std::string>>;

struct RealDesktopCase {
    std::function<void()> body;
    EnvironmentList environment;
};

// Registers a case under "Suite_Name"; answers true (for a static initialiser).
bool registerRealDesktopCase(const std::string& name, RealDesktopCase realCase);

// Parent side: runs the case in a child process and turns its outcome into
// this test's (pass, failure with the child's output, or skip).
void runRealDesktopChild(const std::string& name);

// Child side: the desktop of the running case.
X11Desktop& realDesktop();

// Entry point of the test program (main.cpp): answers the exit status.
int runTestProgram(int argc, char** argv);

}  // namespace tessaly::test

#define TESSALY_REAL_DESKTOP_TEST_IMPL(Suite, Name, Env)                                                    \
    static void Suite##_##Name##_RealBody();                                                               \
    [[maybe_unused]] static const bool Suite##_##Name##_Registered =                                       \
        ::tessaly::test::registerRealDesktopCase(#Suite "_" #Name, {&Suite##_##Name##_RealBody, Env});     \
    TEST(Suite, Name) { ::tessaly::test::runRealDesktopChild(#Suite "_" #Name); }                          \
    static void Suite##_##Name##_RealBody()

#define REAL_DESKTOP_TEST(Suite, Name) TESSALY_REAL_DESKTOP_TEST_IMPL(Suite, Name, {})
#define REAL_DESKTOP_TEST_ENV(Suite, Name, ...) \
    TESSALY_REAL_DESKTOP_TEST_IMPL(Suite, Name, (::tessaly::test::EnvironmentList __VA_ARGS__))
