// The real-desktop suites, each in a child process with a desktop of its
// own (see QtOnX11.h): one at Qt's normal scale, with two virtual desktops,
// and two with Qt scaling by 2: told by QT_SCALE_FACTOR, and by an Xft.dpi
// of 192.
#include "Platform/Qt/QtOnX11.h"

#include <gtest/gtest.h>

using tessaly::test::QtOnX11;

TEST(QtOnX11, DesktopSuite) {
    if (QtOnX11::isChild()) GTEST_SKIP();
    QtOnX11::runSuite("QtDesktop", {{"TESSALY_QT_X11_DESKTOPS", "2"}});
}

TEST(QtOnX11, ScaledDesktopSuite) {
    if (QtOnX11::isChild()) GTEST_SKIP();
    QtOnX11::runSuite("QtScaledDesktop", {{"QT_SCALE_FACTOR", "2"}});
}

TEST(QtOnX11, XftScaledDesktopSuite) {
    if (QtOnX11::isChild()) GTEST_SKIP();
    QtOnX11::runSuite("QtXftScaledDesktop", {{"TESSALY_QT_X11_XFT_DPI", "192"}});
}
