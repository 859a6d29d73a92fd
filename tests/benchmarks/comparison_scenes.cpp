#include "tests/benchmarks/comparison_scenes.h"

#include <cmath>
#include <memory>
#include <numbers>

namespace swf::bench {
namespace {

constexpr double kTwips = kTwipsPerPixel;
constexpr double kPi = std::numbers::pi;

// An ellipse of eight quadratic arcs, radii rx and ry (pixels), turned by `angle`, in twips.
Contour ellipse(double cx, double cy, double rx, double ry, double angle) {
    const Matrix place = Matrix{std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), cx, cy} *
                         Matrix::scale(rx, ry);
    auto at = [&](double x, double y) {
        Point p = place.apply(Point{x, y});
        return Point{p.x * kTwips, p.y * kTwips};
    };
    Contour c;
    c.start = at(1, 0);
    const double k = 1 / std::cos(kPi / 8);  // the control point of a 45-degree arc of the unit circle
    for (int i = 1; i <= 8; ++i) {
        double mid = (i - 0.5) * kPi / 4, end = i * kPi / 4;
        c.segments.push_back({at(k * std::cos(mid), k * std::sin(mid)), at(std::cos(end), std::sin(end)), true});
    }
    return c;
}

// A star through `points` outer tips. With step 1 the outline alternates outer and inner radius; with
// a larger step it is a self-crossing polygram whose centre the fill rule decides.
Contour star(double cx, double cy, double outer, double inner, int points, int step, double angle) {
    Contour c;
    auto at = [&](double r, double a) {
        return Point{(cx + r * std::cos(a)) * kTwips, (cy + r * std::sin(a)) * kTwips};
    };
    if (step == 1) {
        c.start = at(outer, angle);
        for (int i = 1; i <= 2 * points; ++i) {
            Point p = at(i % 2 ? inner : outer, angle + i * kPi / points);
            c.segments.push_back({p, p, false});
        }
    } else {
        c.start = at(outer, angle);
        for (int i = 1; i <= points; ++i) {
            Point p = at(outer, angle + 2 * kPi * ((i * step) % points) / points);
            c.segments.push_back({p, p, false});
        }
    }
    return c;
}

Contour rect(double x0, double y0, double x1, double y1) {
    Contour c;
    c.start = {x0 * kTwips, y0 * kTwips};
    for (Point p : {Point{x1, y0}, Point{x1, y1}, Point{x0, y1}, Point{x0, y0}}) {
        Point t{p.x * kTwips, p.y * kTwips};
        c.segments.push_back({t, t, false});
    }
    return c;
}

FillStyle solid(Rgba color) {
    FillStyle f;
    f.kind = FillStyle::Kind::Solid;
    f.color = color;
    return f;
}

// A gradient whose square (-16384..16384 twips) is scaled to `size` pixels across, turned and centred.
FillStyle gradient(FillStyle::Kind kind, double cx, double cy, double size, double angle,
                   std::vector<GradientStop> stops) {
    FillStyle f;
    f.kind = kind;
    const double s = size * kTwips / 32768;
    f.gradient.matrix = {s * std::cos(angle), s * std::sin(angle), -s * std::sin(angle), s * std::cos(angle),
                         cx * kTwips, cy * kTwips};
    f.gradient.stops = std::move(stops);
    return f;
}

ShapePaths filled(FillStyle style, Contour contour, bool nonZero = false) {
    ShapePaths s;
    s.layers.emplace_back();
    FillPath f;
    f.style = std::move(style);
    f.contours.push_back(std::move(contour));
    f.nonZero = nonZero;
    s.layers.back().fills.push_back(std::move(f));
    return s;
}

ShapePaths stroked(double widthPixels, Rgba color, std::vector<Contour> contours) {
    ShapePaths s;
    s.layers.emplace_back();
    StrokePath stroke;
    stroke.style.width = widthPixels * kTwips;
    stroke.style.color = color;
    stroke.contours = std::move(contours);
    s.layers.back().strokes.push_back(std::move(stroke));
    return s;
}

// A small deterministic generator so that both sides and every run see the same frames.
struct Sequence {
    uint32_t state;
    double next(double lo, double hi) {
        state = state * 1664525u + 1013904223u;
        return lo + (hi - lo) * double(state >> 8) / double(1u << 24);
    }
    uint8_t byte() { return uint8_t(next(0, 256)); }
};

Scene largeCurvedFills() {
    Scene s{"large_curved_fills", {}, {}, {255, 255, 255, 255}};
    Sequence seq{1};
    for (int i = 0; i < 50; ++i) {
        double cx = seq.next(100, 1820), cy = seq.next(100, 980), r = seq.next(150, 450);
        Rgba color{seq.byte(), seq.byte(), seq.byte(), uint8_t(seq.next(150, 255))};
        if (i % 2 == 0)
            s.shapes.push_back(filled(solid(color), ellipse(cx, cy, r, r * seq.next(0.4, 1), seq.next(0, kPi))));
        else if (i % 6 == 1)
            s.shapes.push_back(filled(solid(color), star(cx, cy, r, r * 0.45, 6, 1, seq.next(0, kPi))));
        else  // pentagrams: a hole in the middle under even-odd, filled under non-zero
            s.shapes.push_back(filled(solid(color), star(cx, cy, r, 0, 5, 2, seq.next(0, kPi)), i % 6 == 3));
    }
    return s;
}

Scene manySmallShapes() {
    Scene s{"many_small_shapes", {}, {}, {20, 20, 40, 255}};
    Sequence seq{2};
    for (int i = 0; i < 3000; ++i) {
        double cx = seq.next(0, kFrameWidth), cy = seq.next(0, kFrameHeight), r = seq.next(3, 12);
        Rgba color{seq.byte(), seq.byte(), seq.byte(), uint8_t(seq.next(120, 255))};
        if (i % 3 == 0)
            s.shapes.push_back(filled(solid(color), star(cx, cy, r, r * 0.5, 5, 1, seq.next(0, kPi))));
        else
            s.shapes.push_back(filled(solid(color), ellipse(cx, cy, r, r, 0)));
    }
    return s;
}

Scene linearGradients() {
    Scene s{"linear_gradient", {}, {}, {255, 255, 255, 255}};
    s.shapes.push_back(filled(gradient(FillStyle::Kind::LinearGradient, 960, 540, 2200, kPi / 6,
                                       {{0, {255, 200, 0, 255}}, {128, {200, 30, 90, 255}}, {255, {20, 40, 200, 255}}}),
                              rect(0, 0, kFrameWidth, kFrameHeight)));
    Sequence seq{3};
    for (int i = 0; i < 10; ++i) {
        double cx = seq.next(200, 1720), cy = seq.next(200, 880), r = seq.next(120, 300);
        s.shapes.push_back(filled(gradient(FillStyle::Kind::LinearGradient, cx, cy, 2 * r, seq.next(0, kPi),
                                           {{0, {0, 90, 200, 255}}, {255, {255, 255, 255, 140}}}),
                                  ellipse(cx, cy, r, r * 0.7, seq.next(0, kPi))));
    }
    return s;
}

Scene radialGradients() {
    Scene s{"radial_gradient", {}, {}, {255, 255, 255, 255}};
    s.shapes.push_back(filled(gradient(FillStyle::Kind::RadialGradient, 960, 540, 2400, 0,
                                       {{0, {255, 255, 210, 255}}, {100, {250, 120, 40, 255}}, {255, {30, 0, 60, 255}}}),
                              rect(0, 0, kFrameWidth, kFrameHeight)));
    Sequence seq{4};
    for (int i = 0; i < 10; ++i) {
        double cx = seq.next(200, 1720), cy = seq.next(200, 880), r = seq.next(120, 300);
        s.shapes.push_back(filled(gradient(FillStyle::Kind::RadialGradient, cx, cy, 2 * r, 0,
                                           {{0, {255, 255, 255, 230}}, {255, {40, 160, 90, 200}}}),
                                  ellipse(cx, cy, r, r, 0)));
    }
    return s;
}

Scene thinStrokes() {
    Scene s{"thin_strokes", {}, {}, {255, 255, 255, 255}};
    Sequence seq{5};
    for (int i = 0; i < 400; ++i) {
        double cx = seq.next(40, 1880), cy = seq.next(40, 1040);
        Rgba color{seq.byte(), seq.byte(), seq.byte(), 255};
        if (i % 2 == 0) {
            s.shapes.push_back(stroked(1, color, {ellipse(cx, cy, seq.next(10, 120), seq.next(10, 120), seq.next(0, kPi))}));
        } else {  // an open zig-zag polyline
            Contour c;
            c.closed = false;
            c.start = {cx * kTwips, cy * kTwips};
            for (int k = 0; k < 8; ++k) {
                Point p{(cx + seq.next(-60, 60)) * kTwips, (cy + seq.next(-60, 60)) * kTwips};
                c.segments.push_back({p, p, false});
            }
            s.shapes.push_back(stroked(i % 4 == 1 ? 1 : 2, color, {c}));
        }
    }
    return s;
}

Scene bitmapFill() {
    Scene s{"bitmap_fill", {}, {}, {255, 255, 255, 255}};
    auto bitmap = std::make_shared<RgbaImage>(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            uint8_t* p = bitmap->at(x, y);
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t(((x / 32) + (y / 32)) % 2 ? 220 : 40);
            p[3] = 255;
        }
    FillStyle f;
    f.kind = FillStyle::Kind::Bitmap;
    f.bitmap = bitmap;
    f.bitmapSmoothed = true;
    f.bitmapRepeating = true;
    const double scale = 3.1 * kTwips, turn = 0.13;
    f.bitmapMatrix = {scale * std::cos(turn), scale * std::sin(turn), -scale * std::sin(turn), scale * std::cos(turn),
                      100 * kTwips, 50 * kTwips};
    s.shapes.push_back(filled(f, rect(100, 60, 1820, 1020)));
    s.shapes.push_back(filled(f, ellipse(960, 540, 400, 300, 0.3)));
    return s;
}

}  // namespace

std::vector<Scene> comparisonScenes() {
    std::vector<Scene> scenes{largeCurvedFills(), manySmallShapes(), linearGradients(),
                              radialGradients(),  thinStrokes(),     bitmapFill()};
    for (Scene& s : scenes) s.toPixels = Matrix::scale(1 / kTwips, 1 / kTwips);
    return scenes;
}

}  // namespace swf::bench
