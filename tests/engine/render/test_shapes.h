// Shapes for the renderer's tests, built directly in twips.
#pragma once

#include <initializer_list>

#include "engine/base/image.h"
#include "engine/base/paths.h"

namespace swf::test {

// A closed polygon contour through the given points (twips).
inline Contour polygonContour(std::initializer_list<Point> points) {
    Contour c;
    c.start = *points.begin();
    for (auto it = points.begin() + 1; it != points.end(); ++it) c.segments.push_back({*it, *it, false});
    c.segments.push_back({c.start, c.start, false});
    return c;
}

inline Contour rectContour(double x0, double y0, double x1, double y1) {
    return polygonContour({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

inline FillStyle solidFill(Rgba color) {
    FillStyle f;
    f.kind = FillStyle::Kind::Solid;
    f.color = color;
    return f;
}

inline ShapePaths shapeWithFill(FillPath fill) {
    ShapePaths s;
    s.layers.emplace_back();
    s.layers.back().fills.push_back(std::move(fill));
    return s;
}

inline ShapePaths filledRect(double x0, double y0, double x1, double y1, Rgba color) {
    FillPath f;
    f.style = solidFill(color);
    f.contours.push_back(rectContour(x0, y0, x1, y1));
    return shapeWithFill(std::move(f));
}

inline const Rgba kWhite{255, 255, 255, 255};
inline const Rgba kRed{255, 0, 0, 255};
inline const Rgba kBlue{0, 0, 255, 255};
// Shapes whose coordinates are whole twips drawn at one pixel per 20 twips.
inline const Matrix kTwipsToPixels = Matrix::scale(1 / kTwipsPerPixel, 1 / kTwipsPerPixel);

// A target pixel as stored (premultiplied).
inline Rgba pixel(const RgbaImage& img, int x, int y) {
    const uint8_t* p = img.at(x, y);
    return {p[0], p[1], p[2], p[3]};
}

}  // namespace swf::test
