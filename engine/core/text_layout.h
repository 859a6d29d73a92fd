// Lays out the initial text of an edit text field with its embedded font: lines broken at newlines
// (and at word boundaries when the field wraps), aligned in the field's bounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/parse/movie.h"

namespace swf {

struct PlacedGlyph {
    uint16_t fontId = 0;
    uint32_t index = 0;
    Matrix glyphToText;  // glyph units to the field's twips
    Rgba color;
};

// The text a field shows: HTML markup removed and its entities decoded when the field is HTML.
std::string visibleText(const EditText& text);

// Glyphs of the field's embedded font; none for a device font or a field without text.
std::vector<PlacedGlyph> layoutEditText(const EditText& text, const Movie& movie);

}  // namespace swf
