// Outlines from pen moves: contours closed, one fill, and cubic curves held close to the curve.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/fonts/outline_builder.h"

using swf::Point;
using swf::ShapeRecord;

namespace {

// The points a record list passes through (anchors and, for curves, points on the curve).
std::vector<Point> walk(const std::vector<ShapeRecord>& records, int samplesPerCurve) {
    std::vector<Point> out;
    Point pen;
    for (const ShapeRecord& r : records) {
        if (r.type == ShapeRecord::Type::StyleChange) {
            if (r.hasMove) pen = r.moveTo;
            out.push_back(pen);
        } else if (r.type == ShapeRecord::Type::Line) {
            pen = {pen.x + r.delta.x, pen.y + r.delta.y};
            out.push_back(pen);
        } else {
            Point c{pen.x + r.control.x, pen.y + r.control.y};
            Point to{c.x + r.delta.x, c.y + r.delta.y};
            for (int i = 1; i <= samplesPerCurve; ++i) {
                double t = double(i) / samplesPerCurve, u = 1 - t;
                out.push_back({u * u * pen.x + 2 * u * t * c.x + t * t * to.x, u * u * pen.y + 2 * u * t * c.y + t * t * to.y});
            }
            pen = to;
        }
    }
    return out;
}

}  // namespace

TEST(OutlineBuilder, ContoursAreClosedAndFilledWithStyleOne) {
    swf::OutlineBuilder b;
    b.moveTo({0, 0});
    b.lineTo({100, 0});
    b.lineTo({100, 100});  // left open: closed by the next moveTo
    b.moveTo({200, 0});
    b.quadTo({250, -50}, {300, 0});
    auto records = b.finish();
    ASSERT_FALSE(records.empty());
    EXPECT_TRUE(records[0].hasFill1);
    EXPECT_EQ(records[0].fill1, 1u);
    auto points = walk(records, 1);
    // First contour: back at (0,0) before the second starts at (200,0); second ends at its start.
    bool closedFirst = false;
    for (size_t i = 0; i + 1 < points.size(); ++i)
        if (points[i].x == 0 && points[i].y == 0 && points[i + 1].x == 200) closedFirst = true;
    EXPECT_TRUE(closedFirst);
    EXPECT_EQ(points.back().x, 200);
    EXPECT_EQ(points.back().y, 0);
}

TEST(OutlineBuilder, CubicCurvesStayWithinAFractionOfAUnit) {
    const Point p0{0, 0}, c1{0, -1500}, c2{2000, -1500}, p3{2000, 0};
    swf::OutlineBuilder b;
    b.moveTo(p0);
    b.cubicTo(c1, c2, p3);
    auto records = b.finish();
    int curves = 0;
    for (auto& r : records) curves += r.type == ShapeRecord::Type::Curve;
    EXPECT_GT(curves, 1);   // a curve this large needs several pieces
    EXPECT_LE(curves, 16);  // and never an unbounded number
    // Every point of the quadratic pieces is close to the cubic.
    auto cubicDistance = [&](Point q) {
        double best = 1e9;
        for (int i = 0; i <= 4000; ++i) {
            double t = i / 4000.0, u = 1 - t;
            double x = u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p3.x;
            double y = u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p3.y;
            best = std::min(best, std::hypot(x - q.x, y - q.y));
        }
        return best;
    };
    for (Point q : walk(records, 8)) EXPECT_LT(cubicDistance(q), 1.0) << q.x << "," << q.y;
}
