// Turns contours of straight and quadratic segments into polygons through a matrix, splitting each
// curve into as many lines as its transformed size needs to stay within a tolerance.
#pragma once

#include <vector>

#include "engine/base/geometry.h"
#include "engine/base/paths.h"
#include "engine/render/polygon.h"

namespace swf::render {

// Maximum distance, in output units, between a curve and the lines that replace it.
constexpr double kFlatnessTolerance = 0.1;

// Number of lines for the quadratic p0-c-p1 so that none strays more than `tolerance` from it.
int curveSubdivisions(Point p0, Point c, Point p1, double tolerance);

// Appends each contour, mapped by `m`, as a closed contour of `out` (fills close open contours).
void flattenContours(const std::vector<Contour>& contours, const Matrix& m, double tolerance, Polygon& out);

// One contour as an open or closed polyline (for strokes). `corners` receives, per point, whether it
// is a vertex of the original path (true) or a point inside a flattened curve (false).
struct Polyline {
    std::vector<Point> points;
    std::vector<bool> corners;
    bool closed = false;
};
void flattenContour(const Contour& contour, const Matrix& m, double tolerance, Polyline& out);

}  // namespace swf::render
