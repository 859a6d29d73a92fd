// Vector shapes that scripts draw into a clip with the drawing methods (lineStyle, beginFill,
// moveTo, lineTo, curveTo, endFill, clear), kept as paths the renderer draws under the clip's
// children. Coordinates arrive in pixels of the clip's space and are kept in twips.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "engine/base/paths.h"

namespace swf {

class Drawing {
public:
    // A drawing stops growing past this many segments: a script drawing in a loop for ever
    // must not take all memory. Later segments are dropped and `overflowed()` turns true.
    static constexpr size_t kMaxSegments = 500'000;

    void clear();
    // `std::nullopt` ends stroking: later segments draw no line.
    void lineStyle(std::optional<LineStyle> style);
    void beginFill(const FillStyle& fill);
    void endFill();
    // The fill rule of the fill being drawn (drawPath's winding): non-zero or even-odd.
    void fillWinding(bool nonZero);
    void moveTo(double xPixels, double yPixels);
    void lineTo(double xPixels, double yPixels);
    void curveTo(double cxPixels, double cyPixels, double xPixels, double yPixels);

    // The paths drawn so far, with an open fill closed as endFill would close it. Bitmap fills of a
    // script's pixels show those pixels as they are now.
    const ShapePaths& paths() const;
    bool empty() const {
        return layers_.empty() && !fill_ && stroke_.empty() && !(strokeContourOpen_ && line_ && !strokeContour_.segments.empty());
    }
    bool overflowed() const { return overflowed_; }

private:
    void segment(Point control, Point end, bool curved);
    void flushStroke();
    void flushFill();
    void closeFillContour();

    std::vector<PathLayer> layers_;  // finished fills with the strokes drawn while they were open
    std::optional<FillPath> fill_;   // the fill being drawn
    Contour fillContour_;
    bool fillContourOpen_ = false;
    std::optional<LineStyle> line_;
    std::vector<StrokePath> stroke_;  // strokes since the last finished layer
    Contour strokeContour_;
    bool strokeContourOpen_ = false;
    Point pen_;
    size_t segments_ = 0;
    bool overflowed_ = false;

    mutable ShapePaths cache_;
    mutable bool cacheValid_ = false;
    bool hasSourcedFill_ = false;  // a fill shows a script's pixels, so paths() refreshes them
};

}  // namespace swf
