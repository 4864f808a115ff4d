#include "TessalyApp/Qt/AppGlyph.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace tessaly {
namespace {

// The alpha of the mark's pixel at an art point, in an image of `size`.
int alphaAt(const QImage& image, int size, double ax, double ay) {
    const auto where = AppGlyph::layout(QRectF(0, 0, size, size), 0.04 * size);
    const QPointF p(where.origin.x() + where.scale * (ax - AppGlyph::artLeft),
                    where.origin.y() + where.scale * (ay - AppGlyph::artTop));
    return qAlpha(image.pixel(static_cast<int>(p.x()), static_cast<int>(p.y())));
}

TEST(AppGlyphTests, LineWidthFollowsTheSizeWithAMinimum) {
    EXPECT_DOUBLE_EQ(AppGlyph::layout(QRectF(0, 0, 18, 18), 0.04 * 18).lineWidth, 1.25);
    EXPECT_NEAR(AppGlyph::layout(QRectF(0, 0, 48, 48), 0.04 * 48).lineWidth, 40 * 0.92 * 48 / 664, 1e-9);
    EXPECT_NEAR(AppGlyph::layout(QRectF(0, 0, 48, 48), 0.04 * 48).lineWidth, 2.66, 0.01);
}

TEST(AppGlyphTests, AWideRectangleKeepsTheAspectAndCentresTheMark) {
    const auto where = AppGlyph::layout(QRectF(10, 20, 200, 100), 0);
    ASSERT_TRUE(where.drawable);
    const double artWidth = where.scale * AppGlyph::artWidth;
    const double artHeight = where.scale * AppGlyph::artHeight;
    EXPECT_NEAR(where.origin.x() + artWidth / 2, 110, 1e-9);
    EXPECT_NEAR(where.origin.y() + artHeight / 2, 70, 1e-9);
    EXPECT_NEAR(artWidth / artHeight, 600.0 / 664.0, 1e-9);
    EXPECT_NEAR(artHeight, 100 - where.lineWidth, 1e-9);  // the height limits it
}

TEST(AppGlyphTests, NoRoomDrawsNothing) {
    EXPECT_FALSE(AppGlyph::layout(QRectF(0, 0, 0, 0), 0).drawable);
    EXPECT_FALSE(AppGlyph::layout(QRectF(0, 0, 10, 10), 6).drawable);
    QImage image(8, 8, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    AppGlyph::drawDiamonds(painter, QRectF(0, 0, 2, 2), 2, Qt::black);
    painter.end();
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) ASSERT_EQ(qAlpha(image.pixel(x, y)), 0);
    }
}

TEST(AppGlyphTests, TheTopDiamondIsOpaqueTheLowerOnesFainterInEitherInk) {
    constexpr int size = 64;
    for (const auto panel : {AppGlyph::Panel::light, AppGlyph::Panel::dark}) {
        const QImage image = AppGlyph::pixmap(size, panel).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        // Each diamond's top vertex lies on the centre line of its stroke.
        const int top = alphaAt(image, size, 512, 330 - 150);
        const int middle = alphaAt(image, size, 512, 512 - 150);
        const int bottom = alphaAt(image, size, 812, 694);  // the bottom one's right vertex
        EXPECT_GT(top, 230);
        EXPECT_NEAR(middle, 0.65 * 255, 30);
        EXPECT_NEAR(bottom, 0.35 * 255, 30);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);  // transparent around the mark
        const QColor ink = image.pixelColor(size / 2, static_cast<int>(size * 0.08));
        EXPECT_EQ(ink.lightness() > 128, panel == AppGlyph::Panel::dark);
    }
    const QPixmap sharp = AppGlyph::pixmap(18, AppGlyph::Panel::light, 2.0);
    EXPECT_EQ(sharp.size(), QSize(36, 36));
    EXPECT_FALSE(AppGlyph::icon(AppGlyph::Panel::dark).isNull());
}

}  // namespace
}  // namespace tessaly
