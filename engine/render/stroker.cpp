#include "engine/render/stroker.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace swf::render {

namespace {

Point add(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point sub(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
Point mul(Point a, double s) { return {a.x * s, a.y * s}; }
double dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
double length(Point a) { return std::sqrt(dot(a, a)); }

// Appends a closed piece, reversed if needed so that all pieces wind the same (positive) way.
void addPiece(Polygon& out, std::initializer_list<Point> pts) {
    double area = 0;
    const Point* p = pts.begin();
    size_t n = pts.size();
    for (size_t i = 0; i < n; ++i) {
        const Point& a = p[i];
        const Point& b = p[(i + 1) % n];
        area += a.x * b.y - b.x * a.y;
    }
    if (area == 0) return;
    out.moveTo(area > 0 ? p[0] : p[n - 1]);
    for (size_t i = 1; i < n; ++i) out.lineTo(area > 0 ? p[i] : p[n - 1 - i]);
    out.closeContour();
}

void addCircle(Polygon& out, Point c, double r, double tolerance) {
    double ratio = std::clamp(1 - tolerance / r, -1.0, 1.0);
    int n = static_cast<int>(std::ceil(std::numbers::pi / std::max(std::acos(ratio), 1e-3)));
    n = std::clamp(n, 8, 256);
    // Grow the polygon slightly so that its area equals the circle's: small dots keep their weight.
    r *= std::sqrt(std::numbers::pi / (n / 2.0 * std::sin(2 * std::numbers::pi / n)));
    out.moveTo({c.x + r, c.y});
    for (int i = 1; i < n; ++i) {
        double t = 2 * std::numbers::pi * i / n;
        out.lineTo({c.x + r * std::cos(t), c.y + r * std::sin(t)});
    }
    out.closeContour();
}

// Unit direction and left normal of a segment (normal = direction turned by a right angle).
struct Frame {
    Point dir, normal;
};
Frame frameOf(Point a, Point b) {
    Point d = sub(b, a);
    double len = length(d);
    d = mul(d, 1 / len);
    return {d, {-d.y, d.x}};
}

void addJoin(Polygon& out, Point p, const Frame& in, const Frame& outFrame, bool corner, const StrokeGeometry& g) {
    double r = g.halfWidth;
    JoinStyle join = corner ? g.join : JoinStyle::Bevel;
    if (join == JoinStyle::Round) {
        addCircle(out, p, r, g.tolerance);
        return;
    }
    // The outer side of the turn is away from where the outgoing direction heads.
    double side = dot(outFrame.dir, in.normal) > 0 ? -1 : 1;
    Point a = add(p, mul(in.normal, side * r));
    Point b = add(p, mul(outFrame.normal, side * r));
    if (join == JoinStyle::Miter) {
        Point bisector = add(in.normal, outFrame.normal);
        double bl = length(bisector);
        // The miter tip lies 2 / |n0 + n1| half-widths away; past the limit the join is bevelled.
        if (bl > 1e-9 && 2 / bl <= std::max(g.miterLimit, 1.0)) {
            Point tip = add(p, mul(bisector, side * r * 2 / (bl * bl)));
            addPiece(out, {p, a, tip, b});
            return;
        }
    }
    addPiece(out, {p, a, b});
}

void addCap(Polygon& out, Point p, const Frame& f, bool atStart, CapStyle cap, const StrokeGeometry& g) {
    double r = g.halfWidth;
    switch (cap) {
        case CapStyle::Round:
            addCircle(out, p, r, g.tolerance);
            return;
        case CapStyle::Square: {
            Point outward = mul(f.dir, atStart ? -r : r);
            Point n = mul(f.normal, r);
            addPiece(out, {add(p, n), add(add(p, n), outward), add(sub(p, n), outward), sub(p, n)});
            return;
        }
        case CapStyle::None:
            return;
    }
}

}  // namespace

void strokePolyline(const Polyline& line, const StrokeGeometry& g, Polygon& out) {
    if (line.points.empty() || !(g.halfWidth > 0)) return;
    // Drop repeated points: they have no direction.
    std::vector<Point> pts;
    std::vector<bool> corners;
    pts.reserve(line.points.size());
    for (size_t i = 0; i < line.points.size(); ++i) {
        if (!pts.empty() && length(sub(line.points[i], pts.back())) < 1e-9) {
            if (line.corners[i]) corners.back() = true;
            continue;
        }
        pts.push_back(line.points[i]);
        corners.push_back(line.corners[i]);
    }
    bool closed = line.closed && pts.size() > 2;
    if (closed && length(sub(pts.front(), pts.back())) < 1e-9) {
        pts.pop_back();
        corners.pop_back();
    }
    const double r = g.halfWidth;
    if (pts.size() == 1) {
        // A zero-length line shows as a dot where its caps would be.
        Frame f{{1, 0}, {0, 1}};
        if (g.startCap == CapStyle::Round) {
            addCircle(out, pts[0], r, g.tolerance);
        } else if (g.startCap == CapStyle::Square) {
            addCap(out, pts[0], f, true, CapStyle::Square, g);
            addCap(out, pts[0], f, false, CapStyle::Square, g);
        }
        return;
    }
    size_t n = pts.size();
    size_t segments = closed ? n : n - 1;
    for (size_t i = 0; i < segments; ++i) {
        Point a = pts[i], b = pts[(i + 1) % n];
        Frame f = frameOf(a, b);
        Point off = mul(f.normal, r);
        addPiece(out, {add(a, off), add(b, off), sub(b, off), sub(a, off)});
    }
    for (size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i) {
        Point prev = pts[(i + n - 1) % n], here = pts[i], next = pts[(i + 1) % n];
        addJoin(out, here, frameOf(prev, here), frameOf(here, next), corners[i], g);
    }
    if (!closed) {
        addCap(out, pts[0], frameOf(pts[0], pts[1]), true, g.startCap, g);
        addCap(out, pts[n - 1], frameOf(pts[n - 2], pts[n - 1]), false, g.endCap, g);
    }
}

}  // namespace swf::render
