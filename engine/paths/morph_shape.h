// A morph shape at a ratio: its start and end records paired edge by edge and its styles
// interpolated, as an ordinary shape.
#pragma once

#include "engine/base/shape.h"

namespace swf {

// `ratio` runs from 0 (the start shape) to 1 (the end shape).
Shape interpolateMorph(const MorphShape& morph, double ratio);

}  // namespace swf
