// The paths that scripts' drawing methods make: fills closed as endFill closes them, strokes kept
// in drawing order, limits on growth and on bad coordinates.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/display_geometry.h"
#include "engine/core/drawing.h"

namespace {

swf::LineStyle line(double widthTwips) {
    swf::LineStyle l;
    l.width = widthTwips;
    return l;
}

swf::FillStyle fill(swf::Rgba c) {
    swf::FillStyle f;
    f.color = c;
    return f;
}

TEST(Drawing, FillsAreClosedAndStrokesKeepTheirOrder) {
    swf::Drawing d;
    d.lineStyle(line(40));
    d.moveTo(0, 0);
    d.lineTo(100, 0);  // a line before any fill: under the fill
    d.beginFill(fill({255, 0, 0, 255}));
    d.lineTo(100, 100);
    d.lineTo(0, 100);  // left open: endFill closes it back to (100, 0)
    d.endFill();
    const swf::ShapePaths& p = d.paths();
    ASSERT_EQ(p.layers.size(), 2u);
    EXPECT_TRUE(p.layers[0].fills.empty());
    ASSERT_EQ(p.layers[0].strokes.size(), 1u);
    ASSERT_EQ(p.layers[1].fills.size(), 1u);
    const swf::Contour& c = p.layers[1].fills[0].contours.at(0);
    EXPECT_TRUE(c.closed);
    EXPECT_EQ(c.start.x, 2000);
    EXPECT_EQ(c.segments.back().end.x, c.start.x);
    EXPECT_EQ(c.segments.back().end.y, c.start.y);
    EXPECT_EQ(p.layers[1].strokes.size(), 1u);  // the fill's own outline
    // Bounds take the line's half width in; twips throughout.
    EXPECT_DOUBLE_EQ(p.bounds.xMin, -20);
    EXPECT_DOUBLE_EQ(p.bounds.yMax, 2000 + 20);
    EXPECT_TRUE(swf::hitsPaths(p, {1000, 1000}));
    EXPECT_FALSE(swf::hitsPaths(p, {1000, 2500}));
}

TEST(Drawing, AnOpenFillShowsClosedAndClearEmpties) {
    swf::Drawing d;
    d.beginFill(fill({0, 0, 255, 255}));
    d.moveTo(10, 10);
    d.curveTo(50, 0, 90, 10);
    d.lineTo(90, 90);
    const swf::ShapePaths& p = d.paths();
    ASSERT_EQ(p.layers.size(), 1u);
    ASSERT_EQ(p.layers[0].fills.size(), 1u);
    EXPECT_TRUE(swf::hitsPaths(p, {70 * 20, 40 * 20}));
    d.clear();
    EXPECT_TRUE(d.empty());
    EXPECT_TRUE(d.paths().layers.empty());
    d.lineTo(5, 5);  // no fill and no line style: nothing is drawn
    EXPECT_TRUE(d.paths().layers.empty());
    EXPECT_TRUE(d.empty());
}

TEST(Drawing, LinesWithoutAFillShowWhileTheirPathIsStillOpen) {
    // Outlines only, never ended by a move or a new style: what a clip shows must still hold them.
    swf::Drawing d;
    d.lineStyle(line(160));
    d.moveTo(10, 10);
    d.lineTo(20, 10);
    d.lineTo(20, 90);
    d.endFill();  // no fill is open: changes nothing
    EXPECT_FALSE(d.empty());
    const swf::ShapePaths& p = d.paths();
    ASSERT_EQ(p.layers.size(), 1u);
    EXPECT_TRUE(p.layers[0].fills.empty());
    ASSERT_EQ(p.layers[0].strokes.size(), 1u);
    EXPECT_DOUBLE_EQ(p.bounds.xMax, 20 * 20 + 80);
}

TEST(Drawing, GrowthStopsAtTheLimitAndBadCoordinatesStayFinite) {
    swf::Drawing d;
    d.lineStyle(line(20));
    for (size_t i = 0; i <= swf::Drawing::kMaxSegments; ++i) d.lineTo(double(i % 100), double(i % 7));
    EXPECT_TRUE(d.overflowed());
    size_t segments = 0;
    for (const auto& layer : d.paths().layers)
        for (const auto& s : layer.strokes)
            for (const auto& c : s.contours) segments += c.segments.size();
    EXPECT_EQ(segments, swf::Drawing::kMaxSegments);

    swf::Drawing bad;
    bad.beginFill(fill({0, 0, 0, 255}));
    bad.moveTo(NAN, 1e300);
    bad.lineTo(INFINITY, 5);
    bad.lineTo(5, -1e300);
    const swf::Rect& b = bad.paths().bounds;
    EXPECT_TRUE(std::isfinite(b.xMin) && std::isfinite(b.xMax) && std::isfinite(b.yMin) && std::isfinite(b.yMax));
}

}  // namespace
