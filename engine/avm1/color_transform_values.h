// The numbers behind a script's flash.geom.ColorTransform, shared with Transform and BitmapData.
#pragma once

#include "engine/avm1/machine.h"

namespace swf::avm1 {

struct ColorTransformState : NativeState {
    // red, green, blue, alpha multipliers, then their offsets
    double values[8] = {1, 1, 1, 1, 0, 0, 0, 0};
};

// The state of a ColorTransform object, or null for anything else.
ColorTransformState* colorTransformState(const Value& v);

// A new flash.geom.ColorTransform holding these values.
Value makeColorTransform(Machine& m, const double (&values)[8]);

}  // namespace swf::avm1
