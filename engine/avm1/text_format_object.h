// TextFormat objects of scripts and the formats of the engine, each way.
#pragma once

#include "engine/avm1/machine.h"
#include "engine/fonts/text_format.h"

namespace swf::avm1 {

struct TextFormatState : NativeState {
    TextFormat format;
};

// The format a script's TextFormat object holds; an empty one for another value.
TextFormat textFormatOf(const Value& v);
// A new TextFormat object holding `format`.
Value makeTextFormat(Machine& m, const TextFormat& format);

}  // namespace swf::avm1
