#include "engine/render/stroker.h"

#include <gtest/gtest.h>

#include <numbers>

#include "engine/render/coverage_rasterizer.h"
#include "engine/render/software_renderer.h"

namespace swf::render {
namespace {

double coveredArea(const Polygon& p, int size = 64) {
    CoverageRasterizer r;
    double sum = 0;
    r.rasterize(p, FillRule::NonZero, {0, 0, size, size}, [&](int, int x0, int x1, const uint8_t* cov) {
        for (int x = x0; x < x1; ++x) sum += cov[x - x0] / 255.0;
    });
    return sum;
}

Polyline line(std::initializer_list<Point> pts, bool closed = false) {
    Polyline l;
    l.points = pts;
    l.corners.assign(l.points.size(), true);
    l.closed = closed;
    return l;
}

TEST(Stroker, CapsAddTheirAreaToTheLine) {
    // A 20 px line, 4 px wide.
    StrokeGeometry g;
    g.halfWidth = 2;
    struct Case {
        CapStyle cap;
        double extra;
    } cases[] = {{CapStyle::None, 0}, {CapStyle::Square, 2 * 2 * 4}, {CapStyle::Round, std::numbers::pi * 4}};
    for (const Case& c : cases) {
        g.startCap = g.endCap = c.cap;
        Polygon p;
        strokePolyline(line({{10, 10}, {30, 10}}), g, p);
        EXPECT_NEAR(coveredArea(p), 80 + c.extra, 0.3) << int(c.cap);
    }
}

TEST(Stroker, JoinsFillTheOuterCorner) {
    // A right angle, 4 px wide, no caps: two 20x4 arms overlapping in a 2x2... plus the join's corner.
    StrokeGeometry g;
    g.halfWidth = 2;
    g.startCap = g.endCap = CapStyle::None;
    auto area = [&](JoinStyle join, double limit) {
        g.join = join;
        g.miterLimit = limit;
        Polygon p;
        strokePolyline(line({{10, 10}, {30, 10}, {30, 30}}), g, p);
        return coveredArea(p);
    };
    double arms = 20 * 4 + 20 * 4 - 2 * 2;  // the inner quarter of the corner overlaps
    EXPECT_NEAR(area(JoinStyle::Bevel, 3), arms + 2, 0.2);   // a 2x2 right triangle
    EXPECT_NEAR(area(JoinStyle::Miter, 3), arms + 4, 0.2);   // the full 2x2 square (tip at sqrt 2)
    EXPECT_NEAR(area(JoinStyle::Miter, 1.2), arms + 2, 0.2); // past the limit: bevelled
    EXPECT_NEAR(area(JoinStyle::Round, 3), arms + std::numbers::pi, 0.3);  // a quarter circle
}

TEST(Stroker, ClosedOutlinesHaveNoCapsAndDegenerateLinesAreDots) {
    StrokeGeometry g;
    g.halfWidth = 1;
    g.join = JoinStyle::Miter;
    g.startCap = g.endCap = CapStyle::Round;
    Polygon square;
    strokePolyline(line({{10, 10}, {30, 10}, {30, 30}, {10, 30}}, true), g, square);
    EXPECT_NEAR(coveredArea(square), 22.0 * 22 - 18 * 18, 0.3);

    Polygon dot;
    strokePolyline(line({{20, 20}, {20, 20}}), g, dot);
    EXPECT_NEAR(coveredArea(dot), std::numbers::pi, 0.1);
    g.startCap = g.endCap = CapStyle::None;
    Polygon nothing;
    strokePolyline(line({{20, 20}, {20, 20}}), g, nothing);
    EXPECT_TRUE(nothing.empty());
}

ShapePaths strokeShape(LineStyle style, Point a, Point b) {
    ShapePaths s;
    s.layers.emplace_back();
    StrokePath stroke;
    stroke.style = style;
    Contour c;
    c.start = a;
    c.segments.push_back({b, b, false});
    c.closed = false;
    stroke.contours.push_back(c);
    s.layers.back().strokes.push_back(stroke);
    return s;
}

double darkness(const RgbaImage& img) {
    double sum = 0;
    for (size_t i = 0; i < img.pixels.size(); i += 4) sum += (255 - img.pixels[i]) / 255.0;
    return sum;
}

TEST(StrokesThroughTheRenderer, HairlinesAndThinLinesAreOnePixelWideWidthsScale) {
    LineStyle style;
    style.color = {0, 0, 0, 255};
    style.startCap = style.endCap = CapStyle::None;
    RgbaImage target(64, 64);
    SoftwareRenderer r(target);
    const Matrix half = Matrix::scale(0.5 / 20, 0.5 / 20);  // shapes shown at half size
    auto drawn = [&](double width, bool noScale) {
        style.width = width;
        style.noHScale = style.noVScale = noScale;
        r.beginFrame({255, 255, 255, 255});
        r.drawShape(strokeShape(style, {400, 400}, {2400, 400}), half, {});  // 50 px long at half size
        r.endFrame();
        return darkness(target);
    };
    EXPECT_NEAR(drawn(0, false), 50, 0.5);    // hairline: one pixel
    EXPECT_NEAR(drawn(10, false), 50, 0.5);   // 0.25 px after scaling: still one pixel
    EXPECT_NEAR(drawn(160, false), 200, 1);   // 8 px wide, scaled to 4
    EXPECT_NEAR(drawn(160, true), 400, 1);    // no-scale: stays 8 px wide

    // Stretched three times across: a stroke that may not scale horizontally follows the vertical
    // scale only; one that may not scale vertically follows the horizontal one.
    style.width = 160;
    style.noHScale = true;
    style.noVScale = false;
    r.beginFrame({255, 255, 255, 255});
    r.drawShape(strokeShape(style, {400, 400}, {800, 400}), Matrix::scale(1.5 / 20, 0.5 / 20), {});
    EXPECT_NEAR(darkness(target), 30 * 4, 1);  // 30 px long, 8 * 0.5 px wide
    style.noHScale = false;
    style.noVScale = true;
    r.beginFrame({255, 255, 255, 255});
    r.drawShape(strokeShape(style, {400, 400}, {800, 400}), Matrix::scale(1.5 / 20, 0.5 / 20), {});
    EXPECT_NEAR(darkness(target), 30 * 12, 1);  // 8 * 1.5 px wide

    // A stroke painted with a fill uses the fill, not the colour.
    FillStyle red;
    red.color = {255, 0, 0, 255};
    style.fill = red;
    style.width = 160;
    style.noHScale = style.noVScale = false;
    r.beginFrame({255, 255, 255, 255});
    r.drawShape(strokeShape(style, {400, 400}, {2400, 400}), half, {});
    const uint8_t* p = target.at(20, 10);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0);
}

}  // namespace
}  // namespace swf::render
