// The real-desktop suites, each in a child process with a desktop of its
// own (see QtOnX11.h): one at Qt's normal scale, with two virtual desktops,
// and one with Qt scaling by 2.
#include "Platform/Qt/QtOnX11.h"

#include <gtest/gtest.h>

using tessaly::test::QtOnX11;

TEST(QtOnX11, DesktopSuite) {
    if (QtOnX11::isChild()) GTEST_SKIP();
    QtOnX11::runSuite("QtDesktop", {"TESSALY_QT_X11_DESKTOPS=2"});
}

TEST(QtOnX11, ScaledDesktopSuite) {
    if (QtOnX11::isChild()) GTEST_SKIP();
    QtOnX11::runSuite("QtScaledDesktop", {"QT_SCALE_FACTOR=2"});
}
