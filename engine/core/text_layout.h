// Lays out a text field as the player does: paragraphs broken at their breaks and, when the field
// wraps, at word boundaries; each line as high as its tallest run plus its leading; margins,
// indents and alignment inside the 2-pixel gutter; positions measured in whole twips.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/geometry.h"
#include "engine/core/text_field_state.h"
#include "engine/fonts/device_fonts.h"
#include "engine/parse/movie.h"

namespace swf {

constexpr double kTextGutter = 40;  // twips between a field's bounds and its text

struct PlacedGlyph {
    uint16_t fontId = 0;
    uint32_t index = 0;
    bool fallback = false;          // `index` is a glyph of the block font, not of font `fontId`
    DeviceFont* device = nullptr;   // or a glyph of this system face
    Matrix glyphToText;  // glyph units to the field's twips
    Rgba color;
};

struct TextLine {
    size_t begin = 0, end = 0;  // characters, the break included
    double x = 0, width = 0;    // twips, from the field's left edge
    double top = 0;             // twips from the top of the text (the first line's top is 0)
    double ascent = 0, descent = 0, leading = 0;
};

// A rule under underlined text, in the field's twips.
struct TextRule {
    double x0 = 0, x1 = 0, y = 0, thickness = 20;
    Rgba color;
};

struct TextLayout {
    std::vector<PlacedGlyph> glyphs;  // of the lines shown at the field's scroll
    std::vector<TextRule> rules;
    std::vector<TextLine> lines;      // every line
    double textWidth = 0, textHeight = 0;  // twips, of the text itself
    double extentWidth = 0;  // twips the widest line reaches from the gutter, margins and indents included
    int maxScroll = 1, bottomScroll = 1;
    double maxHScroll = 0;  // pixels
};

// The layout of `field`, scrolled; device faces come from `deviceFonts` (none: the block font).
TextLayout layoutField(const TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts);

// The layout of `field`, kept in it until the field changes. A field that sizes itself to its text
// takes its new bounds here.
const TextLayout& currentLayout(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts);

// The size `text` takes in `format` on one line, or wrapped at `wrapWidth` twips when it is above 0.
struct TextExtent {
    double width = 0, height = 0, ascent = 0, descent = 0;  // twips
};
TextExtent measureText(const std::string& text, const TextFormat& format, double wrapWidth, const Movie& movie,
                       DeviceFonts* deviceFonts);

// The character drawn at `local` (twips in the field's own space) as the field shows it scrolled;
// none between characters or outside the text.
std::optional<size_t> characterAt(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts, Point local);

// Where a click at `local` (twips in the field's own space) puts the caret, as the field shows it
// scrolled: before the character whose middle is right of the point on the line at its height (the
// nearest line in view above or below the text), or at that line's end.
size_t caretAt(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts, Point local);

// The box of character `index` (twips in the field's own space) as the field shows it scrolled, as
// high as its line; none for an index outside the text or a character that takes no room in a line
// (a paragraph break).
std::optional<Rect> characterBox(TextFieldState& field, const Movie& movie, DeviceFonts* deviceFonts, size_t index);

// Glyphs of a DefineEditText record as it first shows.
std::vector<PlacedGlyph> layoutEditText(const EditText& text, const Movie& movie, DeviceFonts* deviceFonts = nullptr);

}  // namespace swf
