// The font that stands in for device fonts. A movie may ask for a font of the system ("_sans",
// "Arial", or a field with no font at all) that it does not carry; no system font is available to
// the engine, so such text is drawn with this plain block font instead, which keeps it readable in
// the right place, size and colour.
#pragma once

#include "engine/parse/characters.h"

namespace swf {

// Printable ASCII (32 to 126) on a 5x7 grid of cells, em square 1024, with advances, ascent and
// descent.
// Codes it does not have are drawn as '?'.
const Font& fallbackFont();

// The glyph index of `code` in the fallback font.
uint32_t fallbackGlyphIndex(uint32_t code);

}  // namespace swf
