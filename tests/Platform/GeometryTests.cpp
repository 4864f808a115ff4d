#include "Platform/Geometry.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

using tessaly::Point;
using tessaly::Rect;
using tessaly::Size;

TEST(Geometry, EdgesReadTheStandardisedRectangle) {
    const Rect r(100, 50, -40, -20);  // spans x 60..100, y 30..50
    EXPECT_EQ(r.minX(), 60);
    EXPECT_EQ(r.maxX(), 100);
    EXPECT_EQ(r.midX(), 80);
    EXPECT_EQ(r.minY(), 30);
    EXPECT_EQ(r.maxY(), 50);
    EXPECT_EQ(r.midY(), 40);
    EXPECT_EQ(r.width(), 40);
    EXPECT_EQ(r.height(), 20);
    EXPECT_EQ(r.center(), (Point{80, 40}));
    EXPECT_EQ(r.standardized().origin, (Point{60, 30}));
    EXPECT_EQ(r.standardized().size, (Size{40, 20}));
    EXPECT_EQ(r, Rect(60, 30, 40, 20));
}

TEST(Geometry, PointContainmentIsHalfOpen) {
    const Rect r(0, 0, 10, 10);
    EXPECT_TRUE(r.contains(Point{0, 0}));
    EXPECT_TRUE(r.contains(Point{9.999, 9.999}));
    EXPECT_FALSE(r.contains(Point{10, 5}));
    EXPECT_FALSE(r.contains(Point{5, 10}));
    EXPECT_FALSE(r.contains(Point{-0.001, 5}));
    // The same rectangle written with negative sizes owns the same points.
    const Rect flipped(10, 10, -10, -10);
    EXPECT_TRUE(flipped.contains(Point{0, 0}));
    EXPECT_FALSE(flipped.contains(Point{10, 10}));
    // Empty and null rectangles contain nothing.
    EXPECT_FALSE(Rect(5, 5, 0, 10).contains(Point{5, 5}));
    EXPECT_FALSE(Rect::null().contains(Point{0, 0}));
}

TEST(Geometry, RectContainmentIncludesEdges) {
    const Rect r(0, 0, 100, 100);
    EXPECT_TRUE(r.contains(r));
    EXPECT_TRUE(r.contains(Rect(0, 0, 100, 50)));
    EXPECT_TRUE(r.contains(Rect(100, 100, -100, -100)));
    EXPECT_FALSE(r.contains(Rect(50, 50, 51, 10)));
    EXPECT_FALSE(r.contains(Rect(200, 200, 0, 0)));
    EXPECT_FALSE(r.contains(Rect::null()));
    EXPECT_FALSE(Rect::null().contains(r));
}

TEST(Geometry, DisjointRectanglesIntersectInNull) {
    const Rect a(0, 0, 10, 10);
    const Rect b(20, 0, 10, 10);
    EXPECT_TRUE(a.intersection(b).isNull());
    EXPECT_FALSE(a.intersects(b));
    EXPECT_TRUE(a.intersection(Rect::null()).isNull());
    EXPECT_TRUE(Rect::null().intersection(a).isNull());
}

TEST(Geometry, TouchingEdgesMeetInAnEmptyRectangleButDoNotIntersect) {
    const Rect a(0, 0, 10, 10);
    const Rect b(10, 2, 10, 5);
    const Rect meet = a.intersection(b);
    EXPECT_FALSE(meet.isNull());
    EXPECT_TRUE(meet.isEmpty());
    EXPECT_EQ(meet, Rect(10, 2, 0, 5));
    EXPECT_FALSE(a.intersects(b));
    EXPECT_FALSE(b.intersects(a));
}

TEST(Geometry, OverlapIsStandardisedAndSymmetric) {
    const Rect a(0, 0, 10, 10);
    const Rect b(15, 12, -10, -10);  // 5..15, 2..12
    EXPECT_EQ(a.intersection(b), Rect(5, 2, 5, 8));
    EXPECT_EQ(b.intersection(a), Rect(5, 2, 5, 8));
    EXPECT_TRUE(a.intersects(b));
}

TEST(Geometry, RectangleMeetsALargerOneInExactlyItself) {
    // x + width - x is not width for these values.
    const Rect inner(10.333333333333334, 0.1, 10, 0.2);
    const Rect outer(0, 0, 100, 100);
    EXPECT_EQ(inner.intersection(outer), inner);
    EXPECT_EQ(outer.intersection(inner), inner);
    EXPECT_TRUE(outer.contains(inner));
    EXPECT_TRUE(inner.contains(inner));
    // Contained along one axis only: that axis is exact, the other is cut.
    const Rect tall(10.333333333333334, -50, 10, 300);
    EXPECT_EQ(outer.intersection(tall), Rect(10.333333333333334, 0, 10, 100));
    EXPECT_FALSE(outer.contains(tall));
}

TEST(Geometry, UnionWithNullIsIdentity) {
    const Rect a(10, 10, -5, 20);
    EXPECT_EQ(a.unionWith(Rect::null()), Rect(5, 10, 5, 20));
    EXPECT_EQ(Rect::null().unionWith(a), Rect(5, 10, 5, 20));
    EXPECT_TRUE(Rect::null().unionWith(Rect::null()).isNull());
    EXPECT_EQ(Rect(0, 0, 10, 10).unionWith(Rect(20, -5, 5, 5)), Rect(0, -5, 25, 15));
}

TEST(Geometry, InsetShrinksGrowsAndTurnsNullWhenOverdrawn) {
    const Rect r(0, 0, 100, 50);
    EXPECT_EQ(r.insetBy(10, 5), Rect(10, 5, 80, 40));
    EXPECT_EQ(r.insetBy(-10, -5), Rect(-10, -5, 120, 60));
    EXPECT_EQ(r.insetBy(50, 25), Rect(50, 25, 0, 0));  // exactly used up: empty, not null
    EXPECT_TRUE(r.insetBy(50.5, 0).isNull());
    EXPECT_TRUE(r.insetBy(0, 26).isNull());
    EXPECT_TRUE(Rect::null().insetBy(-10, -10).isNull());
    EXPECT_EQ(Rect(100, 50, -100, -50).insetBy(10, 5), Rect(10, 5, 80, 40));
}

TEST(Geometry, OffsetMovesAndKeepsNull) {
    EXPECT_EQ(Rect(0, 0, 10, 10).offsetBy(5, -5), Rect(5, -5, 10, 10));
    EXPECT_TRUE(Rect::null().offsetBy(5, 5).isNull());
}

TEST(Geometry, EqualityIsExactAfterStandardising) {
    EXPECT_EQ(Rect(0, 0, 10, 10), Rect(10, 10, -10, -10));
    EXPECT_NE(Rect(0, 0, 10, 10), Rect(0, 0, 10, 10.000001));
    EXPECT_EQ(Rect::null(), Rect::null());
    EXPECT_NE(Rect::null(), Rect::zero());
    EXPECT_NE(Rect::zero(), Rect::null());
    EXPECT_EQ(Rect::zero(), Rect(0, 0, 0, 0));
}

TEST(Geometry, EmptinessAndFiniteness) {
    EXPECT_TRUE(Rect::null().isEmpty());
    EXPECT_TRUE(Rect::zero().isEmpty());
    EXPECT_TRUE(Rect(5, 5, 10, 0).isEmpty());
    EXPECT_FALSE(Rect(5, 5, -10, -1).isEmpty());
    EXPECT_FALSE(Rect::zero().isNull());

    EXPECT_TRUE(Rect(1, 2, 3, 4).isFinite());
    EXPECT_FALSE(Rect::null().isFinite());
    EXPECT_FALSE(Rect(0, 0, std::numeric_limits<double>::quiet_NaN(), 1).isFinite());
    EXPECT_FALSE(Rect(-std::numeric_limits<double>::infinity(), 0, 1, 1).isFinite());
}

TEST(Geometry, PrintsReadably) {
    std::ostringstream out;
    out << Rect(1, 2, 3, 4) << " " << Rect::null() << " " << Point{1, 2} << " " << Size{3, 4};
    EXPECT_EQ(out.str(), "Rect(1, 2, 3, 4) Rect(null) (1, 2) (3 x 4)");
}
