// Builds a glyph outline as shape records from pen moves, as font APIs hand outlines out:
// contours of lines and quadratic or cubic curves. Cubic curves become quadratic ones, which is
// all a shape record can hold.
#pragma once

#include <vector>

#include "engine/base/shape.h"

namespace swf {

class OutlineBuilder {
public:
    // Starts a contour; an open contour before it is closed first.
    void moveTo(Point p);
    void lineTo(Point p);
    void quadTo(Point control, Point to);
    void cubicTo(Point control1, Point control2, Point to);
    // Closes the current contour back to its start.
    void close();

    // The records so far (the current contour closed), filling with style 1.
    std::vector<ShapeRecord> finish();

private:
    void startIfClosed();  // an edge without a moveTo starts a contour at the pen
    std::vector<ShapeRecord> records_;
    Point start_, pen_;
    bool open_ = false;
};

}  // namespace swf
