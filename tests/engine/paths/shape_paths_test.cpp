#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "engine/paths/morph_shape.h"
#include "engine/paths/shape_paths.h"

using namespace swf;

namespace {

FillStyle solid(uint8_t r, uint8_t g, uint8_t b) {
    FillStyle f;
    f.color = {r, g, b, 255};
    return f;
}

ShapeRecord styles(Point move, uint32_t fill0, uint32_t fill1, uint32_t lineStyle = 0) {
    ShapeRecord r;
    r.hasMove = true;
    r.moveTo = move;
    r.hasFill0 = r.hasFill1 = r.hasLine = true;
    r.fill0 = fill0;
    r.fill1 = fill1;
    r.line = lineStyle;
    return r;
}

ShapeRecord lineBy(double dx, double dy) {
    ShapeRecord r;
    r.type = ShapeRecord::Type::Line;
    r.delta = {dx, dy};
    return r;
}

// A square drawn clockwise (on screen) from (x, y), `size` on a side.
void square(std::vector<ShapeRecord>& out, double x, double y, double size, uint32_t fill0, uint32_t fill1) {
    out.push_back(styles({x, y}, fill0, fill1));
    for (auto [dx, dy] : {std::pair{size, 0.0}, {0, size}, {-size, 0}, {0, -size}}) out.push_back(lineBy(dx, dy));
}

// Signed area of a contour of straight segments (positive when clockwise on screen, y down).
double area(const Contour& c) {
    double a = 0;
    Point p = c.start;
    for (const auto& s : c.segments) {
        a += p.x * s.end.y - s.end.x * p.y;
        p = s.end;
    }
    return a / 2;
}

bool closes(const Contour& c) {
    return !c.segments.empty() && c.segments.back().end.x == c.start.x && c.segments.back().end.y == c.start.y;
}

}  // namespace

TEST(ShapePaths, EachEdgeBelongsToTheFillsOnBothItsSides) {
    // Two squares side by side sharing the middle edge: left square is fill 1 (on the right of
    // clockwise edges), right square drawn the other way round with fill 2 as fill0.
    Shape s;
    s.fillStyles = {solid(255, 0, 0), solid(0, 0, 255)};
    square(s.records, 0, 0, 100, 0, 1);
    // The right square counter-clockwise: its inside is on the left, so fill0.
    s.records.push_back(styles({100, 0}, 2, 0));
    for (auto [dx, dy] : {std::pair{0.0, 100.0}, {100, 0}, {0, -100}, {-100, 0}}) s.records.push_back(lineBy(dx, dy));
    ShapePaths p = buildShapePaths(s);
    ASSERT_EQ(p.layers.size(), 1u);
    ASSERT_EQ(p.layers[0].fills.size(), 2u);
    for (const FillPath& f : p.layers[0].fills) {
        ASSERT_EQ(f.contours.size(), 1u);
        EXPECT_TRUE(closes(f.contours[0]));
        EXPECT_NEAR(std::fabs(area(f.contours[0])), 10000, 1e-9);
    }
    // fill0 edges are reversed: both contours wind the same way.
    EXPECT_GT(area(p.layers[0].fills[0].contours[0]) * area(p.layers[0].fills[1].contours[0]), 0);
    EXPECT_DOUBLE_EQ(p.bounds.xMax, 200);
}

TEST(ShapePaths, ASquareWithAHoleKeepsBothContours) {
    Shape s;
    s.fillStyles = {solid(0, 255, 0)};
    square(s.records, 0, 0, 300, 0, 1);
    square(s.records, 100, 100, 100, 1, 0);  // the hole: the fill is outside its edges
    ShapePaths p = buildShapePaths(s);
    ASSERT_EQ(p.layers.size(), 1u);
    ASSERT_EQ(p.layers[0].fills.size(), 1u);
    const auto& contours = p.layers[0].fills[0].contours;
    ASSERT_EQ(contours.size(), 2u);
    EXPECT_NEAR(std::fabs(area(contours[0])), 90000, 1e-9);
    EXPECT_NEAR(std::fabs(area(contours[1])), 10000, 1e-9);
    EXPECT_LT(area(contours[0]) * area(contours[1]), 0) << "the hole winds the other way";
}

TEST(ShapePaths, NewStylesStartALayerAndLinesBecomeStrokes) {
    Shape s;
    s.fillStyles = {solid(255, 0, 0)};
    LineStyle thick;
    thick.width = 40;
    s.lineStyles = {thick};
    square(s.records, 0, 0, 100, 0, 1);
    ShapeRecord change = styles({0, 0}, 0, 0, 1);
    s.records.push_back(change);
    s.records.push_back(lineBy(50, 50));
    ShapeRecord fresh;
    fresh.hasNewStyles = true;
    fresh.newFillStyles = {solid(0, 0, 255)};
    s.records.push_back(fresh);
    square(s.records, 50, 50, 100, 0, 1);
    ShapePaths p = buildShapePaths(s);
    ASSERT_EQ(p.layers.size(), 2u);
    ASSERT_EQ(p.layers[0].strokes.size(), 1u);
    EXPECT_EQ(p.layers[0].strokes[0].style.width, 40);
    EXPECT_FALSE(p.layers[0].strokes[0].contours[0].closed);
    ASSERT_EQ(p.layers[1].fills.size(), 1u);
    EXPECT_EQ(p.layers[1].fills[0].style.color.b, 255);
    EXPECT_TRUE(p.layers[1].strokes.empty());
}

TEST(MorphShape, RatioInterpolatesPointsAndStyles) {
    MorphShape m;
    MorphFillStyle f;
    f.start = solid(0, 0, 0);
    f.end = solid(200, 100, 50);
    m.fillStyles = {f};
    square(m.startRecords, 0, 0, 100, 0, 1);
    ShapeRecord move;
    move.hasMove = true;
    move.moveTo = {100, 100};
    m.endRecords.push_back(move);
    for (auto [dx, dy] : {std::pair{300.0, 0.0}, {0, 300}, {-300, 0}, {0, -300}}) m.endRecords.push_back(lineBy(dx, dy));
    for (auto [ratio, side, red] : {std::tuple{0.0, 100.0, 0}, {0.5, 200.0, 100}, {1.0, 300.0, 200}}) {
        ShapePaths p = buildShapePaths(interpolateMorph(m, ratio));
        ASSERT_EQ(p.layers.size(), 1u);
        ASSERT_EQ(p.layers[0].fills.size(), 1u);
        const FillPath& fill = p.layers[0].fills[0];
        EXPECT_NEAR(fill.style.color.r, red, 1) << "ratio " << ratio;
        ASSERT_EQ(fill.contours.size(), 1u);
        EXPECT_NEAR(fill.contours[0].start.x, 100 * ratio, 1e-6);
        EXPECT_NEAR(std::fabs(area(fill.contours[0])), side * side, 1e-6) << "ratio " << ratio;
    }
}
