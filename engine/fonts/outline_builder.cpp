#include "engine/fonts/outline_builder.h"

#include <algorithm>
#include <cmath>

namespace swf {

void OutlineBuilder::moveTo(Point p) {
    close();
    ShapeRecord r;
    r.type = ShapeRecord::Type::StyleChange;
    r.hasMove = true;
    r.moveTo = p;
    if (records_.empty()) {
        r.hasFill1 = true;
        r.fill1 = 1;
    }
    records_.push_back(r);
    start_ = pen_ = p;
    open_ = true;
}

void OutlineBuilder::startIfClosed() {
    if (!open_) moveTo(pen_);
}

void OutlineBuilder::lineTo(Point p) {
    startIfClosed();
    if (p.x == pen_.x && p.y == pen_.y) return;
    ShapeRecord r;
    r.type = ShapeRecord::Type::Line;
    r.delta = {p.x - pen_.x, p.y - pen_.y};
    records_.push_back(r);
    pen_ = p;
}

void OutlineBuilder::quadTo(Point control, Point to) {
    startIfClosed();
    ShapeRecord r;
    r.type = ShapeRecord::Type::Curve;
    r.control = {control.x - pen_.x, control.y - pen_.y};
    r.delta = {to.x - control.x, to.y - control.y};
    records_.push_back(r);
    pen_ = to;
}

void OutlineBuilder::cubicTo(Point c1, Point c2, Point to) {
    // Split into pieces short enough that one quadratic each stays within a small fraction of a
    // glyph unit of the cubic; the error of the midpoint approximation falls with the cube of the
    // piece count.
    Point from = pen_;
    double dx = to.x - 3 * c2.x + 3 * c1.x - from.x, dy = to.y - 3 * c2.y + 3 * c1.y - from.y;
    double error = std::sqrt(dx * dx + dy * dy) * std::sqrt(3.0) / 36;
    int pieces = std::clamp(static_cast<int>(std::ceil(std::cbrt(error / 0.25))), 1, 16);
    auto at = [&](double t) {
        double u = 1 - t;
        return Point{u * u * u * from.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * to.x,
                     u * u * u * from.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * to.y};
    };
    auto slope = [&](double t) {
        double u = 1 - t;
        return Point{3 * u * u * (c1.x - from.x) + 6 * u * t * (c2.x - c1.x) + 3 * t * t * (to.x - c2.x),
                     3 * u * u * (c1.y - from.y) + 6 * u * t * (c2.y - c1.y) + 3 * t * t * (to.y - c2.y)};
    };
    for (int i = 0; i < pieces; ++i) {
        double t0 = double(i) / pieces, t1 = double(i + 1) / pieces, third = (t1 - t0) / 3;
        Point p0 = at(t0), p1 = i + 1 == pieces ? to : at(t1), d0 = slope(t0), d1 = slope(t1);
        // The piece's own cubic control points, then the quadratic control that best fits them.
        Point k1{p0.x + d0.x * third, p0.y + d0.y * third};
        Point k2{p1.x - d1.x * third, p1.y - d1.y * third};
        quadTo({(3 * (k1.x + k2.x) - p0.x - p1.x) / 4, (3 * (k1.y + k2.y) - p0.y - p1.y) / 4}, p1);
    }
}

void OutlineBuilder::close() {
    if (!open_) return;
    if (pen_.x != start_.x || pen_.y != start_.y) lineTo(start_);
    open_ = false;
}

std::vector<ShapeRecord> OutlineBuilder::finish() {
    close();
    return records_;
}

}  // namespace swf
