// Shapes as the renderer takes them: closed contours grouped by fill style, and open or closed
// polylines grouped by line style. Made from SWF shape records by engine/paths.
#pragma once

#include <vector>

#include "engine/base/geometry.h"
#include "engine/base/styles.h"

namespace swf {

// One segment of a path. A straight segment has control == end.
struct PathSegment {
    Point control;
    Point end;
    bool curved = false;

    bool operator==(const PathSegment&) const = default;
};

struct Contour {
    Point start;
    std::vector<PathSegment> segments;
    bool closed = true;

    bool operator==(const Contour&) const = default;
};

// The area painted with one fill style. Contours are combined with the even-odd rule unless
// `nonZero` is set (DefineShape4 with UsesFillWindingRule).
struct FillPath {
    FillStyle style;
    std::vector<Contour> contours;
    bool nonZero = false;

    bool operator==(const FillPath&) const = default;
};

struct StrokePath {
    LineStyle style;
    std::vector<Contour> contours;

    bool operator==(const StrokePath&) const = default;
};

// Drawing order: fills and strokes interleave in the order SWF defines (each new style group drawn
// after the previous one), so the list is ordered as it must be painted.
struct PathLayer {
    std::vector<FillPath> fills;
    std::vector<StrokePath> strokes;  // drawn after this layer's fills

    bool operator==(const PathLayer&) const = default;
};

struct ShapePaths {
    std::vector<PathLayer> layers;
    Rect bounds;  // twips

    bool operator==(const ShapePaths&) const = default;
};

}  // namespace swf
