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
    bool fallback = false;  // `index` is a glyph of the fallback font, not of font `fontId`
    Matrix glyphToText;  // glyph units to the field's twips
    Rgba color;
};

// The text a field shows: HTML markup removed and its entities decoded when the field is HTML.
std::string visibleText(const EditText& text);

// Glyphs of the field's embedded font, or of the fallback font where the field names a device font
// (a font without outlines, or none); none for a field without text.
std::vector<PlacedGlyph> layoutEditText(const EditText& text, const Movie& movie);

}  // namespace swf
