// Lays out the initial text of an edit text field with its embedded font: lines broken at newlines
// (and at word boundaries when the field wraps), aligned in the field's bounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/fonts/device_fonts.h"
#include "engine/parse/movie.h"

namespace swf {

struct PlacedGlyph {
    uint16_t fontId = 0;
    uint32_t index = 0;
    bool fallback = false;          // `index` is a glyph of the block font, not of font `fontId`
    DeviceFont* device = nullptr;   // or a glyph of this system face
    Matrix glyphToText;  // glyph units to the field's twips
    Rgba color;
};

// The text a field shows: HTML markup removed and its entities decoded when the field is HTML.
std::string visibleText(const EditText& text);

// Glyphs of the field's embedded font where it uses its outlines, of the system face its font names
// otherwise (a device font: a font without outlines, or none), and of the block font when there is
// no system face either; none for a field without text.
std::vector<PlacedGlyph> layoutEditText(const EditText& text, const Movie& movie, DeviceFonts* deviceFonts = nullptr);

}  // namespace swf
