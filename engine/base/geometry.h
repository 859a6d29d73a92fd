// Plain geometry shared by every layer of the engine: points, rectangles and affine matrices.
// Shape coordinates are in twips (1/20 pixel) unless a name says otherwise.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace swf {

struct Point {
    double x = 0;
    double y = 0;

    bool operator==(const Point&) const = default;
};

// An axis-aligned rectangle; empty when xMax < xMin or yMax < yMin.
struct Rect {
    double xMin = 0;
    double yMin = 0;
    double xMax = -1;
    double yMax = -1;

    bool empty() const { return xMax < xMin || yMax < yMin; }
    double width() const { return empty() ? 0 : xMax - xMin; }
    double height() const { return empty() ? 0 : yMax - yMin; }

    void include(Point p) {
        if (empty()) {
            xMin = xMax = p.x;
            yMin = yMax = p.y;
            return;
        }
        xMin = std::min(xMin, p.x);
        yMin = std::min(yMin, p.y);
        xMax = std::max(xMax, p.x);
        yMax = std::max(yMax, p.y);
    }
    void include(const Rect& r) {
        if (r.empty()) return;
        include(Point{r.xMin, r.yMin});
        include(Point{r.xMax, r.yMax});
    }

    bool operator==(const Rect&) const = default;
};

// x' = a*x + c*y + tx,  y' = b*x + d*y + ty  (the SWF MATRIX record: a = ScaleX, b = RotateSkew0,
// c = RotateSkew1, d = ScaleY).
struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static Matrix translate(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Matrix scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }

    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    Point applyVector(Point p) const { return {a * p.x + c * p.y, b * p.x + d * p.y}; }

    // (*this * other) applies `other` first, then *this.
    Matrix operator*(const Matrix& o) const {
        return {a * o.a + c * o.b,       b * o.a + d * o.b,       a * o.c + c * o.d,
                b * o.c + d * o.d,       a * o.tx + c * o.ty + tx, b * o.tx + d * o.ty + ty};
    }

    double determinant() const { return a * d - b * c; }

    // Inverse; a singular matrix inverts to the identity translated away, which maps nothing sensible,
    // so callers test invertible() first where it matters.
    bool invertible() const { return std::fabs(determinant()) > 1e-12; }
    Matrix inverted() const {
        double det = determinant();
        if (std::fabs(det) <= 1e-12) return Matrix{0, 0, 0, 0, 0, 0};
        double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
        return {ia, ib, ic, id, -(ia * tx + ic * ty), -(ib * tx + id * ty)};
    }

    Rect apply(const Rect& r) const {
        Rect out;
        if (r.empty()) return out;
        out.include(apply(Point{r.xMin, r.yMin}));
        out.include(apply(Point{r.xMax, r.yMin}));
        out.include(apply(Point{r.xMin, r.yMax}));
        out.include(apply(Point{r.xMax, r.yMax}));
        return out;
    }

    bool operator==(const Matrix&) const = default;
};

constexpr double kTwipsPerPixel = 20.0;

}  // namespace swf
