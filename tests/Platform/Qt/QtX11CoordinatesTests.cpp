// Logical and X coordinates, at Qt's normal scale and with Qt scaling by 2
// (QT_SCALE_FACTOR, or an Xft.dpi of 192, in the scaled suites' children),
// checked against where real windows land on the server.
#include "Platform/Qt/QtOnX11.h"
#include "Platform/Qt/QtX11Coordinates.h"
#include "Platform/Qt/QtToolPanel.h"
#include "Platform/Qt/QtX11Connection.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using tessaly::Point;
using tessaly::QtX11Connection;
using tessaly::QtX11Coordinates;
using tessaly::Rect;

Rect xGeometry(const tessaly::X11Connection& x, xcb_window_t window) {
    const auto g = tessaly::xcbReply(x.get(), xcb_get_geometry_reply, xcb_get_geometry(x.get(), window));
    if (!g) return Rect::null();
    return Rect(g->x, g->y, g->width, g->height);
}

// The same checks at either scale: `ratio` is what Qt must be scaling by.
void checkRealWindows(tessaly::test::X11Desktop& desktop, double ratio) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    ASSERT_EQ(screen->devicePixelRatio(), ratio);
    EXPECT_EQ(QtX11Coordinates::toX(QRectF(screen->geometry())), Rect(0, 0, 1920, 1080));

    // Conversions agree with each other and with the scale.
    EXPECT_EQ(QtX11Coordinates::toX(QRectF(100, 50, 200, 30)), Rect(100 * ratio, 50 * ratio, 200 * ratio, 30 * ratio));
    EXPECT_EQ(QtX11Coordinates::fromX(Rect(301, 157, 401, 61)), QRectF(301 / ratio, 157 / ratio, 401 / ratio, 61 / ratio));
    const Point odd{1001, 333};
    const Point back = QtX11Coordinates::toX(QtX11Coordinates::fromX(odd));
    EXPECT_DOUBLE_EQ(back.x, odd.x);
    EXPECT_DOUBLE_EQ(back.y, odd.y);
    EXPECT_EQ(QtX11Coordinates::screenAtX(Point{1919, 1079}), screen);
    EXPECT_EQ(QtX11Coordinates::screenAtX(Point{1920, 10}), nullptr);

    // A widget placed by Qt lands where the conversion says.
    QWidget panel;
    tessaly::QtToolPanel::configure(panel);
    panel.setGeometry(100, 50, 200, 30);
    panel.show();
    QtX11Connection::sync();
    const auto id = static_cast<xcb_window_t>(panel.winId());
    EXPECT_EQ(xGeometry(desktop.connection(), id), QtX11Coordinates::toX(QRectF(100, 50, 200, 30)));

    // Placed in X pixels, odd ones included, it lands exactly; Qt's own idea
    // of its place follows through the conversion.
    const Rect exact(301, 157, 401, 61);
    ASSERT_TRUE(QtX11Connection::configure(panel.winId(), exact));
    QtX11Connection::sync();
    EXPECT_EQ(xGeometry(desktop.connection(), id), exact);
    const QRectF logical = QtX11Coordinates::fromX(exact);
    EXPECT_TRUE(tessaly::test::QtOnX11Test::waitUntil([&] {
        return std::abs(panel.geometry().x() - logical.x()) <= 0.5 && std::abs(panel.geometry().y() - logical.y()) <= 0.5;
    })) << "Qt has the panel at " << panel.geometry().x() << "," << panel.geometry().y();
    const QPoint origin = panel.mapToGlobal(QPoint(0, 0));
    const Point originX = QtX11Coordinates::toX(QPointF(origin));
    EXPECT_LE(std::abs(originX.x - exact.minX()), ratio / 2 + 0.01);
    EXPECT_LE(std::abs(originX.y - exact.minY()), ratio / 2 + 0.01);
}

}  // namespace

TESSALY_QT_X11_TEST(QtDesktop, WithoutScalingBothCoordinatesAreTheSame) { checkRealWindows(desktop(), 1.0); }

TESSALY_QT_X11_TEST(QtScaledDesktop, UnderScaleFactorTwoXPixelsAreTwiceTheLogicalOnes) {
    checkRealWindows(desktop(), 2.0);
}

TESSALY_QT_X11_TEST(QtXftScaledDesktop, UnderAnXftDpiOf192XPixelsAreTwiceTheLogicalOnes) {
    checkRealWindows(desktop(), 2.0);
}
