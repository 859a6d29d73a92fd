// SWF shape records to the paths the renderer draws: each edge belongs to the fill on its left
// (fill0) and the one on its right (fill1); the edges of one fill style are joined into closed
// contours, and line styles become strokes, group by group in drawing order.
#pragma once

#include "engine/base/paths.h"
#include "engine/base/shape.h"

namespace swf {

ShapePaths buildShapePaths(const Shape& shape);

}  // namespace swf
