// Closed polygons in pixel space: what the flattener and the stroker produce and the rasterizer eats.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/base/geometry.h"

namespace swf::render {

struct Polygon {
    std::vector<Point> points;
    std::vector<uint32_t> contourEnds;  // one past each contour's last point; contours close implicitly

    void clear() {
        points.clear();
        contourEnds.clear();
    }
    void moveTo(Point p) {
        closeContour();
        points.push_back(p);
    }
    void lineTo(Point p) { points.push_back(p); }
    // Ends the contour begun by the last moveTo (also done by the next moveTo).
    void closeContour() {
        uint32_t begin = contourEnds.empty() ? 0 : contourEnds.back();
        if (points.size() > begin) contourEnds.push_back(static_cast<uint32_t>(points.size()));
    }
    bool empty() const { return points.empty(); }

    Rect bounds() const {
        Rect r;
        for (const Point& p : points) r.include(p);
        return r;
    }
};

}  // namespace swf::render
