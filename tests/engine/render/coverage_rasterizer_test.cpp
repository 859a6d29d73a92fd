#include "engine/render/coverage_rasterizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "engine/render/path_flattener.h"
#include "engine/render/stroker.h"
#include "tests/engine/render/test_shapes.h"

namespace swf::render {
namespace {

// Coverage of a polygon rasterized into a w x h grid, as fractions 0..1.
struct CoverageGrid {
    int width, height;
    std::vector<double> value;
    double at(int x, int y) const { return value[static_cast<size_t>(y * width + x)]; }
    double sum() const {
        double s = 0;
        for (double v : value) s += v;
        return s;
    }
};

CoverageGrid rasterize(const Polygon& polygon, FillRule rule, int w = 32, int h = 32) {
    CoverageGrid grid{w, h, std::vector<double>(static_cast<size_t>(w * h), 0.0)};
    CoverageRasterizer r;
    r.rasterize(polygon, rule, {0, 0, w, h}, [&](int y, int x0, int x1, const uint8_t* cov) {
        for (int x = x0; x < x1; ++x) grid.value[static_cast<size_t>(y * w + x)] = cov[x - x0] / 255.0;
    });
    return grid;
}

Polygon polygonOf(std::initializer_list<Point> pts) {
    Polygon p;
    p.moveTo(*pts.begin());
    for (auto it = pts.begin() + 1; it != pts.end(); ++it) p.lineTo(*it);
    p.closeContour();
    return p;
}

Polygon rectPolygon(double x0, double y0, double x1, double y1) {
    return polygonOf({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

// Coverage is quantised to 1/255 per pixel, so sums are compared with a tolerance per touched pixel.
constexpr double kPerPixel = 0.5 / 255;

TEST(CoverageRasterizer, SquareCoverageSumsToItsAreaWherePlaced) {
    struct Case {
        double x0, y0, x1, y1;
    } cases[] = {
        {4, 4, 12, 12},           // pixel-aligned: every pixel full or empty
        {4.5, 4.5, 12.5, 12.5},   // half-pixel offsets: edges half cover their pixels
        {3.25, 7.75, 9.1, 8.3},   // thinner than a pixel
        {0.3, 0.6, 0.7, 0.9},     // inside one pixel
    };
    for (const Case& c : cases) {
        CoverageGrid g = rasterize(rectPolygon(c.x0, c.y0, c.x1, c.y1), FillRule::NonZero);
        double area = (c.x1 - c.x0) * (c.y1 - c.y0);
        EXPECT_NEAR(g.sum(), area, 100 * kPerPixel) << c.x0 << "," << c.y0;
    }
    CoverageGrid aligned = rasterize(rectPolygon(4, 4, 12, 12), FillRule::NonZero);
    EXPECT_DOUBLE_EQ(aligned.at(4, 4), 1.0);
    EXPECT_DOUBLE_EQ(aligned.at(3, 4), 0.0);
    EXPECT_DOUBLE_EQ(aligned.at(12, 11), 0.0);
    CoverageGrid half = rasterize(rectPolygon(4.5, 4.5, 12.5, 12.5), FillRule::NonZero);
    EXPECT_NEAR(half.at(4, 4), 0.25, kPerPixel * 2);
    EXPECT_NEAR(half.at(4, 8), 0.5, kPerPixel * 2);
    EXPECT_NEAR(half.at(8, 8), 1.0, kPerPixel * 2);
    EXPECT_NEAR(half.at(12, 12), 0.25, kPerPixel * 2);
}

TEST(CoverageRasterizer, WindingDirectionDoesNotMatterForOneContour) {
    Polygon cw = polygonOf({{2, 2}, {20, 3}, {11, 19}});
    Polygon ccw = polygonOf({{11, 19}, {20, 3}, {2, 2}});
    CoverageGrid a = rasterize(cw, FillRule::NonZero), b = rasterize(ccw, FillRule::EvenOdd);
    for (size_t i = 0; i < a.value.size(); ++i) ASSERT_NEAR(a.value[i], b.value[i], 1e-9);
    // Triangle area by the shoelace formula: |(18)(17) - (9)(1)| / 2.
    EXPECT_NEAR(a.sum(), (18.0 * 17 - 9.0 * 1) / 2, 60 * kPerPixel);
}

TEST(CoverageRasterizer, DiagonalEdgeSplitsPixelsExactly) {
    // The triangle (0,0)-(8,0)-(0,8): pixels on the diagonal are half covered.
    CoverageGrid g = rasterize(polygonOf({{0, 0}, {8, 0}, {0, 8}}), FillRule::NonZero);
    EXPECT_NEAR(g.at(3, 4), 0.5, kPerPixel * 2);
    EXPECT_NEAR(g.at(0, 0), 1.0, kPerPixel * 2);
    EXPECT_NEAR(g.at(4, 4), 0.0, kPerPixel * 2);
    EXPECT_NEAR(g.sum(), 32.0, 20 * kPerPixel);
}

TEST(CoverageRasterizer, OverlapsAndHolesFollowTheFillRule) {
    // Two overlapping squares wound the same way: non-zero fills the overlap, even-odd leaves it empty.
    Polygon twoSquares = rectPolygon(2, 2, 12, 12);
    Polygon second = rectPolygon(8, 8, 18, 18);
    twoSquares.points.insert(twoSquares.points.end(), second.points.begin(), second.points.end());
    twoSquares.contourEnds.push_back(static_cast<uint32_t>(twoSquares.points.size()));
    CoverageGrid nonZero = rasterize(twoSquares, FillRule::NonZero);
    CoverageGrid evenOdd = rasterize(twoSquares, FillRule::EvenOdd);
    EXPECT_DOUBLE_EQ(nonZero.at(10, 10), 1.0);
    EXPECT_DOUBLE_EQ(evenOdd.at(10, 10), 0.0);
    EXPECT_DOUBLE_EQ(evenOdd.at(4, 4), 1.0);
    EXPECT_NEAR(nonZero.sum(), 100 + 100 - 16, 1e-6);
    EXPECT_NEAR(evenOdd.sum(), 100 + 100 - 32, 1e-6);

    // A square with a square hole wound the other way: empty under both rules.
    Polygon withHole = rectPolygon(2, 2, 22, 22);
    Polygon hole = polygonOf({{7, 7}, {7, 17}, {17, 17}, {17, 7}});
    withHole.points.insert(withHole.points.end(), hole.points.begin(), hole.points.end());
    withHole.contourEnds.push_back(static_cast<uint32_t>(withHole.points.size()));
    for (FillRule rule : {FillRule::NonZero, FillRule::EvenOdd}) {
        CoverageGrid g = rasterize(withHole, rule);
        EXPECT_DOUBLE_EQ(g.at(12, 12), 0.0);
        EXPECT_DOUBLE_EQ(g.at(4, 12), 1.0);
        EXPECT_NEAR(g.sum(), 400 - 100, 1e-6);
    }
}

TEST(CoverageRasterizer, ShapesPartlyOutsideAreClippedNotShifted) {
    // A square hanging over every border of an 8x8 clip covers exactly the clip's pixels it overlaps.
    CoverageGrid g = rasterize(rectPolygon(-5.5, -3, 6.5, 20), FillRule::NonZero, 8, 8);
    EXPECT_DOUBLE_EQ(g.at(0, 0), 1.0);
    EXPECT_NEAR(g.at(6, 3), 0.5, kPerPixel * 2);
    EXPECT_DOUBLE_EQ(g.at(7, 3), 0.0);
    EXPECT_NEAR(g.sum(), 6.5 * 8, 20 * kPerPixel);
    // A slanted edge that crosses the left border still winds everything right of it.
    CoverageGrid slanted = rasterize(polygonOf({{-10, 0}, {6, 0}, {6, 8}, {4, 8}}), FillRule::NonZero, 8, 8);
    EXPECT_DOUBLE_EQ(slanted.at(5, 7), 1.0);
    EXPECT_DOUBLE_EQ(slanted.at(0, 0), 1.0);
    // The edge leaves the clip at (0, 8 * 10 / 14): only the triangle left of it, inside the clip, is lost.
    EXPECT_NEAR(slanted.sum(), 48.0 - 4 * (8 - 80 / 14.0) / 2, 40 * kPerPixel);
}

TEST(CoverageRasterizer, FlattenedCircleMatchesTheAnalyticArea) {
    // A quadratic arc and its chord enclose 2/3 of the triangle of its end and control points.
    Contour c;
    c.start = {0, 0};
    c.segments.push_back({{200, 400}, {400, 0}, true});  // twips: control (10,20) px, end (20,0) px
    c.segments.push_back({{0, 0}, {0, 0}, false});
    Polygon poly;
    double triangle = 20.0 * 20 / 2;  // (0,0),(10,20),(20,0)
    // Chords cut inside the curve by at most the tolerance along its ~30 px length.
    for (double tolerance : {kFlatnessTolerance, 0.01}) {
        Polygon poly;
        flattenContours({c}, Matrix::scale(1 / 20.0, 1 / 20.0), tolerance, poly);
        CoverageGrid g = rasterize(poly, FillRule::NonZero);
        EXPECT_LT(g.sum(), triangle * 2 / 3 + 0.1);
        EXPECT_GT(g.sum(), triangle * 2 / 3 - tolerance * 30);
    }
}

TEST(CoverageRasterizer, MalformedPolygonsAreHarmless) {
    Polygon huge = rectPolygon(-1e30, -1e30, 1e30, 1e30);
    CoverageGrid g = rasterize(huge, FillRule::NonZero, 4, 4);
    EXPECT_DOUBLE_EQ(g.sum(), 16.0);
    // Differences of such coordinates overflow to infinity unless they are tamed first.
    Polygon vast = polygonOf({{-1.7e308, -1.7e308}, {1.7e308, 0.5}, {2, 1.7e308}});
    for (FillRule rule : {FillRule::NonZero, FillRule::EvenOdd}) {
        double sum = rasterize(vast, rule, 4, 4).sum();
        EXPECT_TRUE(sum >= 0 && sum <= 16);
    }
    Polygon flattened;
    Contour c;
    c.start = {0, 0};
    c.segments.push_back({{1e308, 1e308}, {1e308, -1e308}, true});
    c.segments.push_back({{0, 0}, {0, 0}, false});
    flattenContours({c}, Matrix::scale(1e10, 1e10), kFlatnessTolerance, flattened);
    rasterize(flattened, FillRule::EvenOdd, 4, 4);
    Polygon broken;  // contour ends beyond the points
    broken.points = {{0, 0}, {3, 0}, {3, 3}};
    broken.contourEnds = {7};
    EXPECT_DOUBLE_EQ(rasterize(broken, FillRule::NonZero, 4, 4).sum(), 0.0);
}

}  // namespace
}  // namespace swf::render
