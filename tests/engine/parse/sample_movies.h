// Movies made with the writer that exercise every tag kind the parser reads; the parse tests and the
// robustness test share them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/image.h"
#include "engine/base/shape.h"
#include "engine/parse/characters.h"

namespace sample {

// A 4x3 image with distinct straight-alpha colours (alpha varies when `withAlpha`).
swf::RgbaImage testImage(bool withAlpha);
// A 32x24 opaque image with smooth colour changes, which JPEG keeps closely.
swf::RgbaImage smoothImage();
// A shape with one style of each fill kind and a LINESTYLE2 of each cap and join.
swf::Shape everyStyleShape();
swf::MorphShape morphShape();
// A two-glyph font (squares), with layout and codes 'A' and 'B'.
swf::Font twoGlyphFont(int version);

// Named whole movies, each a complete SWF file.
std::vector<std::pair<std::string, std::vector<uint8_t>>> allMovies();

}  // namespace sample
