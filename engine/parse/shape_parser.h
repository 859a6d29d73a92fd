// Shape records and their styles: DefineShape 1-4, DefineMorphShape 1-2, font glyph outlines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/base/shape.h"
#include "engine/parse/swf_reader.h"

namespace swf {

// The body of DefineShape `version` (1..4) after its character id.
Shape readDefineShape(SwfReader& r, int version, size_t maxRecords);
// The body of DefineMorphShape `version` (1 or 2) after its character id.
MorphShape readDefineMorphShape(SwfReader& r, int version, size_t maxRecords);
// A SHAPE without style arrays (font glyphs); its bounds are those of its move points.
Shape readGlyphShape(SwfReader& r, size_t maxRecords);

FillStyle readFillStyle(SwfReader& r, int shapeVersion);
Filter readFilter(SwfReader& r);

}  // namespace swf
