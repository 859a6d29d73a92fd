// A block-letter font made of square cells (5 wide, 7 high), for the demo's embedded text.
#pragma once

#include <string>

#include "engine/parse/characters.h"

namespace demo {

// The font holds a glyph for each distinct character of `letters` (capitals, digits, space).
swf::Font blockFont(const std::string& letters);

// Static text of `text` in `font` (id `fontId`), its first baseline at (x, y) twips.
swf::StaticText blockText(const swf::Font& font, uint16_t fontId, const std::string& text, double x, double y,
                          double heightTwips, swf::Rgba color);

}  // namespace demo
