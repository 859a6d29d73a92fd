// What changed between two recorded frames, as a few target rectangles: the calls of one frame that
// the other does not have, in the same order, mark the pixels they reach.
#pragma once

#include <vector>

#include "engine/render/int_rect.h"
#include "engine/render/paint_recording.h"

namespace swf::render {

// Rectangles (within `frame`, at most `maxRects` of them) outside which a picture drawn from `after`
// equals the one drawn from `before`. Frames too different to compare cheaply give the whole frame.
std::vector<IntRect> frameChanges(const std::vector<PaintCall>& before, const std::vector<PaintCall>& after,
                                  const IntRect& frame, size_t maxRects = 8);

// The pixels of `rects` within `frame` as rectangles that do not overlap, top to bottom, so that
// each can be drawn on its own.
std::vector<IntRect> separateRects(const std::vector<IntRect>& rects, const IntRect& frame);

}  // namespace swf::render
