#include "engine/render/path_flattener.h"

#include <algorithm>
#include <cmath>

namespace swf::render {

namespace {
// A curve wider than the largest target still needs no more lines than this.
constexpr int kMaxCurveLines = 512;

bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

Point lerpQuad(Point p0, Point c, Point p1, double t) {
    double u = 1 - t;
    return {u * u * p0.x + 2 * u * t * c.x + t * t * p1.x, u * u * p0.y + 2 * u * t * c.y + t * t * p1.y};
}

// Calls emit(point, isCorner) for every point after the start of the contour.
template <class Emit>
void walkSegments(const Contour& contour, const Matrix& m, double tolerance, Emit&& emit) {
    Point current = m.apply(contour.start);
    for (const PathSegment& seg : contour.segments) {
        Point end = m.apply(seg.end);
        if (seg.curved) {
            Point control = m.apply(seg.control);
            int n = curveSubdivisions(current, control, end, tolerance);
            for (int i = 1; i < n; ++i) emit(lerpQuad(current, control, end, double(i) / n), false);
        }
        emit(end, true);
        current = end;
    }
}
}  // namespace

int curveSubdivisions(Point p0, Point c, Point p1, double tolerance) {
    // A quadratic's second derivative is constant, 2 * (p0 - 2c + p1); n equal steps in t keep the
    // chord error under |p0 - 2c + p1| / (4 n^2).
    double ddx = p0.x - 2 * c.x + p1.x, ddy = p0.y - 2 * c.y + p1.y;
    double dd = std::sqrt(ddx * ddx + ddy * ddy);
    if (!std::isfinite(dd)) return 1;
    double n = std::ceil(std::sqrt(dd / (4 * std::max(tolerance, 1e-6))));
    return static_cast<int>(std::clamp(n, 1.0, double(kMaxCurveLines)));
}

void flattenContours(const std::vector<Contour>& contours, const Matrix& m, double tolerance, Polygon& out) {
    for (const Contour& contour : contours) {
        if (contour.segments.empty()) continue;
        out.moveTo(m.apply(contour.start));
        walkSegments(contour, m, tolerance, [&](Point p, bool) { out.lineTo(p); });
        out.closeContour();
    }
    // Points that are not finite would make the rasterizer's arithmetic meaningless: drop them.
    bool allFinite = std::all_of(out.points.begin(), out.points.end(), finite);
    if (!allFinite) out.clear();
}

void flattenContour(const Contour& contour, const Matrix& m, double tolerance, Polyline& out) {
    out.points.clear();
    out.corners.clear();
    out.closed = false;
    Point start = m.apply(contour.start);
    if (!finite(start)) return;
    out.points.push_back(start);
    out.corners.push_back(true);
    bool ok = true;
    walkSegments(contour, m, tolerance, [&](Point p, bool corner) {
        if (!finite(p)) ok = false;
        out.points.push_back(p);
        out.corners.push_back(corner);
    });
    if (!ok) {
        out.points.clear();
        out.corners.clear();
        return;
    }
    // A contour that ends where it started is closed: its ends join instead of getting caps.
    if (out.points.size() > 2) {
        Point a = out.points.front(), b = out.points.back();
        if (std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.y - b.y) < 1e-9) {
            out.points.pop_back();
            out.corners.pop_back();
            out.closed = true;
        }
    }
}

}  // namespace swf::render
