// Character definitions as a movie stores them: shapes, morph shapes, bitmaps (still encoded),
// sprites, fonts, texts, buttons, sounds and video streams. Plain data, keyed by character id in the Movie.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/effects.h"
#include "engine/base/geometry.h"
#include "engine/base/shape.h"
#include "engine/parse/timeline.h"
#include "engine/parse/video.h"

namespace swf {

// A bitmap kept as the file stores it; engine/parse/bitmap_decoder.h turns it into pixels on demand.
struct EncodedBitmap {
    enum class Kind : uint8_t {
        Jpeg,      // DefineBits (tables from the movie's JPEGTables), DefineBitsJPEG2/3/4
        Lossless,  // DefineBitsLossless and DefineBitsLossless2
    };
    Kind kind = Kind::Jpeg;
    int tagVersion = 1;  // DefineBits = 1, JPEG2 = 2, JPEG3 = 3, JPEG4 = 4; Lossless: 1 or 2

    // Jpeg: the image stream as stored (for DefineBits, without its tables).
    std::vector<uint8_t> imageData;
    bool usesMovieTables = false;       // DefineBits
    std::vector<uint8_t> alphaData;     // JPEG3/4: the zlib-compressed alpha plane, empty when absent
    double deblocking = 0;              // JPEG4 filter strength (8.8 fixed)

    // Lossless: format 3 (colour-mapped), 4 (15-bit) or 5 (24/32-bit), and the zlib-compressed pixels.
    uint8_t losslessFormat = 5;
    bool hasAlpha = false;  // Lossless2: colours carry alpha (stored premultiplied)
    uint16_t width = 0, height = 0;
    uint16_t colorTableSize = 0;  // entries, format 3 only (the stored byte + 1)
    std::vector<uint8_t> zlibData;
};

struct Sprite {
    Timeline timeline;
    uint32_t byteLength = 0;  // of its tags, as stored (what scripts are told the clip weighs)
};

struct KerningPair {
    uint16_t code1 = 0, code2 = 0;
    int16_t adjustment = 0;
};

struct FontLayout {
    double ascent = 0, descent = 0, leading = 0;  // in the font's glyph units
    std::vector<double> advances;                 // per glyph
    std::vector<Rect> bounds;                     // per glyph
    std::vector<KerningPair> kerning;
};

// DefineFont (1), DefineFont2 (2) or DefineFont3 (3), merged with any DefineFontInfo for it.
struct Font {
    int version = 1;
    // Glyph outlines: fill style 1 of each record set is the glyph's fill. The em square is 1024 units
    // (20480 for DefineFont3, whose glyphs are stored at twenty times the resolution).
    std::vector<Shape> glyphs;
    double emSquare = 1024;
    std::vector<uint16_t> codeTable;  // per glyph; empty for a DefineFont without DefineFontInfo
    std::optional<FontLayout> layout;
    std::string name;
    bool bold = false, italic = false, smallText = false;
    bool shiftJis = false, ansi = false, wideCodes = false;
    uint8_t languageCode = 0;
    bool hasFontInfo = false;  // DefineFont 1 got a DefineFontInfo
};

struct TextGlyph {
    uint32_t index = 0;  // into the font's glyphs
    int32_t advance = 0; // twips
};

// One TEXTRECORD; absent optionals keep the value of the previous record.
struct TextRecord {
    std::optional<uint16_t> fontId;
    std::optional<Rgba> color;  // DefineText: alpha always 255
    std::optional<double> xOffset, yOffset;  // twips
    std::optional<double> height;            // twips
    std::vector<TextGlyph> glyphs;
};

// CSMTextSettings of a text: how its glyphs are smoothed and fitted to the pixel grid.
struct TextRenderSettings {
    uint8_t renderer = 0;  // 0 normal, 1 advanced
    uint8_t gridFit = 1;   // 0 none, 1 pixel, 2 subpixel
    double thickness = 0, sharpness = 0;
};

// DefineText (1) and DefineText2 (2).
struct StaticText {
    int version = 1;
    Rect bounds;
    Matrix matrix;
    std::vector<TextRecord> records;
    std::optional<TextRenderSettings> renderSettings;
};

struct EditText {
    Rect bounds;
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, wasStatic = false, html = false, useOutlines = false;
    std::optional<uint16_t> fontId;
    std::optional<std::string> fontClass;
    double fontHeight = 240;  // twips, when fontId or fontClass is present
    std::optional<Rgba> color;
    std::optional<uint16_t> maxLength;
    bool hasLayout = false;
    uint8_t align = 0;  // 0 left, 1 right, 2 centre, 3 justify
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;  // twips
    std::string variableName;
    std::optional<std::string> initialText;
    std::optional<TextRenderSettings> renderSettings;
};

struct ButtonRecord {
    bool up = false, over = false, down = false, hitTest = false;
    uint16_t characterId = 0;
    uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;  // DefineButton2, or DefineButtonCxform for a DefineButton
    std::vector<Filter> filters;
    BlendMode blendMode = BlendMode::Normal;
};

// Condition bits of a DefineButton2 BUTTONCONDACTION, as stored; a DefineButton's one action list
// runs on release inside (OverDownToOverUp).
struct ButtonAction {
    uint16_t conditions = 0;
    std::vector<uint8_t> bytes;
    static constexpr uint16_t kOverDownToOverUp = 0x0008;
};

// DefineButton (1) and DefineButton2 (2).
struct Button {
    int version = 1;
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;
    ButtonSounds sounds;  // DefineButtonSound
};

using CharacterDefinition =
    std::variant<Shape, MorphShape, EncodedBitmap, Sprite, Font, StaticText, EditText, Button, DefinedSound,
                 VideoStream>;

struct Character {
    uint16_t id = 0;
    uint16_t tagCode = 0;  // the defining tag, e.g. 2 for DefineShape
    CharacterDefinition definition;
};

}  // namespace swf
