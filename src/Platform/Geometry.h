#pragma once
// Points, sizes and rectangles in global top-left coordinates (y grows
// downwards), with the semantics of the window server's own geometry:
//
// - A rectangle may carry a negative width or height; every edge accessor
//   (minX, maxX, midX, ...) reads the standardised rectangle.
// - The null rectangle (Rect::null()) is the result of intersecting two
//   rectangles that do not meet; it is empty, and union with it is identity.
// - Containment of a point is half-open: the minimum edges belong to the
//   rectangle, the maximum edges do not.
// - Two rectangles intersect when their intersection is neither null nor
//   empty (touching edges do not intersect).
// - Equality is exact, value for value, after standardising both sides; two
//   null rectangles are equal.
#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <utility>

namespace tessaly {

struct Point {
    double x = 0;
    double y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;

    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(double x, double y, double width, double height)
        : origin{x, y}, size{width, height} {}
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}

    static Rect null() {
        constexpr double inf = std::numeric_limits<double>::infinity();
        return Rect(inf, inf, 0, 0);
    }
    static constexpr Rect zero() { return Rect(); }

    bool isNull() const { return std::isinf(origin.x) && origin.x > 0 && std::isinf(origin.y) && origin.y > 0; }
    bool isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }
    // All four values finite (the null rectangle is not).
    bool isFinite() const {
        return std::isfinite(origin.x) && std::isfinite(origin.y) && std::isfinite(size.width) &&
               std::isfinite(size.height);
    }

    // How far from the origin a frame may reach, and how large it may be: far
    // past any arrangement of screens, and far inside the integers window
    // systems and toolkits turn frames into.
    static constexpr double saneExtent = 1e6;
    // A frame a screen could show: finite, of no negative size, and within
    // saneExtent. Frames from files and from other programs are checked with
    // it before any use.
    bool isSane() const {
        return isFinite() && std::fabs(origin.x) <= saneExtent && std::fabs(origin.y) <= saneExtent &&
               size.width >= 0 && size.height >= 0 && size.width <= saneExtent && size.height <= saneExtent;
    }

    Rect standardized() const {
        if (isNull()) return *this;
        Rect r = *this;
        if (r.size.width < 0) { r.origin.x += r.size.width; r.size.width = -r.size.width; }
        if (r.size.height < 0) { r.origin.y += r.size.height; r.size.height = -r.size.height; }
        return r;
    }

    double minX() const { const Rect r = standardized(); return r.origin.x; }
    double minY() const { const Rect r = standardized(); return r.origin.y; }
    double maxX() const { const Rect r = standardized(); return r.origin.x + r.size.width; }
    double maxY() const { const Rect r = standardized(); return r.origin.y + r.size.height; }
    double midX() const { const Rect r = standardized(); return r.origin.x + r.size.width / 2; }
    double midY() const { const Rect r = standardized(); return r.origin.y + r.size.height / 2; }
    double width() const { return std::abs(size.width); }
    double height() const { return std::abs(size.height); }
    Point center() const { return {midX(), midY()}; }

    bool contains(Point p) const {
        if (isEmpty()) return false;
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
    // Whether `other` lies wholly inside this rectangle (edges included).
    bool contains(const Rect& other) const {
        if (isNull() || other.isNull()) return false;
        return intersection(other) == other.standardized();
    }

    // Along an axis where one rectangle's span lies within the other's, the
    // result takes that rectangle's own origin and length, so a rectangle
    // meets any larger one in exactly itself (max - min can differ from the
    // length in the last bit).
    Rect intersection(const Rect& other) const {
        if (isNull() || other.isNull()) return null();
        const Rect a = standardized();
        const Rect b = other.standardized();
        const double x0 = std::max(a.minX(), b.minX());
        const double y0 = std::max(a.minY(), b.minY());
        const double x1 = std::min(a.maxX(), b.maxX());
        const double y1 = std::min(a.maxY(), b.maxY());
        if (x1 < x0 || y1 < y0) return null();
        const auto overlap = [](double lo, double hi, double aMin, double aMax, double aLength, double bMin,
                                double bMax, double bLength) -> std::pair<double, double> {
            if (lo == aMin && hi == aMax) return {aMin, aLength};
            if (lo == bMin && hi == bMax) return {bMin, bLength};
            return {lo, hi - lo};
        };
        const auto [x, width] = overlap(x0, x1, a.minX(), a.maxX(), a.size.width, b.minX(), b.maxX(), b.size.width);
        const auto [y, height] =
            overlap(y0, y1, a.minY(), a.maxY(), a.size.height, b.minY(), b.maxY(), b.size.height);
        return Rect(x, y, width, height);
    }
    bool intersects(const Rect& other) const {
        const Rect i = intersection(other);
        return !i.isNull() && !i.isEmpty();
    }

    Rect unionWith(const Rect& other) const {
        if (isNull()) return other.standardized();
        if (other.isNull()) return standardized();
        const double x0 = std::min(minX(), other.minX());
        const double y0 = std::min(minY(), other.minY());
        const double x1 = std::max(maxX(), other.maxX());
        const double y1 = std::max(maxY(), other.maxY());
        return Rect(x0, y0, x1 - x0, y1 - y0);
    }

    // Shrinks each side by dx and dy (negative values grow it); a result with
    // a negative width or height is null.
    Rect insetBy(double dx, double dy) const {
        if (isNull()) return *this;
        Rect r = standardized();
        r.origin.x += dx;
        r.origin.y += dy;
        r.size.width -= 2 * dx;
        r.size.height -= 2 * dy;
        if (r.size.width < 0 || r.size.height < 0) return null();
        return r;
    }
    Rect offsetBy(double dx, double dy) const {
        if (isNull()) return *this;
        Rect r = standardized();
        r.origin.x += dx;
        r.origin.y += dy;
        return r;
    }

    friend bool operator==(const Rect& a, const Rect& b) {
        if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
        const Rect x = a.standardized();
        const Rect y = b.standardized();
        return x.origin == y.origin && x.size == y.size;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Point& p) {
    return os << "(" << p.x << ", " << p.y << ")";
}
inline std::ostream& operator<<(std::ostream& os, const Size& s) {
    return os << "(" << s.width << " x " << s.height << ")";
}
inline std::ostream& operator<<(std::ostream& os, const Rect& r) {
    if (r.isNull()) return os << "Rect(null)";
    return os << "Rect(" << r.origin.x << ", " << r.origin.y << ", " << r.size.width << ", "
              << r.size.height << ")";
}

}  // namespace tessaly
