// A movie as plain data: header, character definitions and timelines of control tags. No pixels,
// no display list: the core builds those from here.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/base/color.h"
#include "engine/base/effects.h"
#include "engine/base/geometry.h"
#include "engine/base/shape.h"

namespace swf {

enum class Compression : uint8_t { None, Zlib, Lzma };

struct Header {
    Compression compression = Compression::None;
    uint8_t version = 0;
    uint32_t declaredLength = 0;  // a hint only
    Rect stage;                   // twips
    double frameRate = 12;
    uint16_t frameCount = 1;
    bool actionScript3 = false;   // FileAttributes: the movie's code is ActionScript 3 (not run)
    bool useNetwork = false;
};

// ---- Control tags --------------------------------------------------------------------------

struct ClipAction {
    uint32_t events = 0;   // CLIPEVENTFLAGS
    uint8_t keyCode = 0;
    std::vector<uint8_t> actions;
};

struct PlaceObject {
    int version = 1;  // 1, 2 or 3
    uint16_t depth = 0;
    bool move = false;
    std::optional<uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clipDepth;
    std::optional<std::vector<Filter>> filters;
    std::optional<BlendMode> blendMode;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::vector<ClipAction> clipActions;
};

struct RemoveObject {
    uint16_t depth = 0;
    std::optional<uint16_t> characterId;
};

// What a frame changes on the display list, in file order.
using DisplayCommand = std::variant<PlaceObject, RemoveObject>;

struct InitAction {
    uint16_t spriteId = 0;
    std::vector<uint8_t> actions;
};

struct Frame {
    std::vector<DisplayCommand> commands;
    std::vector<std::vector<uint8_t>> actions;  // DoAction bodies, in file order
    std::vector<InitAction> initActions;
    std::vector<std::string> labels;
    std::optional<Rgba> backgroundColor;        // SetBackgroundColor in this frame
};

struct Timeline {
    std::vector<Frame> frames;  // at least one frame once parsed
};

// ---- Characters ----------------------------------------------------------------------------

struct ShapeDefinition {
    Shape shape;
};

struct MorphShapeDefinition {
    MorphShape morph;
};

enum class BitmapFormat : uint8_t {
    Jpeg,             // DefineBits (uses the movie's JPEGTables), DefineBitsJPEG2
    JpegWithAlpha,    // DefineBitsJPEG3/4: JPEG (or PNG/GIF data) plus a zlib alpha plane
    Lossless,         // DefineBitsLossless: colour-mapped, 15-bit or 24-bit RGB
    LosslessAlpha,    // DefineBitsLossless2: colour-mapped RGBA or premultiplied ARGB
};

struct BitmapDefinition {
    BitmapFormat format = BitmapFormat::Jpeg;
    bool usesJpegTables = false;        // DefineBits
    std::vector<uint8_t> data;          // the image data (JPEG stream or zlib data)
    std::vector<uint8_t> alphaData;     // JpegWithAlpha: zlib-compressed alpha plane
    uint8_t losslessFormat = 0;         // 3 colour-mapped, 4 15-bit, 5 32-bit
    uint16_t width = 0, height = 0;     // lossless only
    uint16_t colorTableSize = 0;        // colour-mapped: entries - 1
};

struct SpriteDefinition {
    uint16_t frameCount = 1;
    Timeline timeline;
};

struct Glyph {
    Shape shape;          // in the font's EM square (1024 units, or 20480 for DefineFont3)
    double advance = 0;   // in the same units; 0 without a layout
    uint16_t code = 0;    // character code, where the font has a code table
};

struct FontDefinition {
    int version = 1;                  // 1, 2 or 3
    std::string name;
    bool bold = false, italic = false, smallText = false, wideCodes = false;
    double emSquare = 1024;           // 20480 for DefineFont3
    std::vector<Glyph> glyphs;
    bool hasLayout = false;
    double ascent = 0, descent = 0, leading = 0;
};

struct TextGlyph {
    uint32_t index = 0;
    int32_t advance = 0;  // twips
};

struct TextRecord {
    std::optional<uint16_t> fontId;
    std::optional<Rgba> color;
    std::optional<int16_t> xOffset, yOffset;
    std::optional<uint16_t> height;   // twips
    std::vector<TextGlyph> glyphs;
};

struct TextDefinition {
    Rect bounds;
    Matrix matrix;
    std::vector<TextRecord> records;
};

struct EditTextDefinition {
    Rect bounds;
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, html = false, useOutlines = false;
    std::optional<uint16_t> fontId;
    std::optional<std::string> fontClass;
    uint16_t fontHeight = 240;  // twips
    Rgba color{0, 0, 0, 255};
    std::optional<uint16_t> maxLength;
    uint8_t align = 0;          // 0 left, 1 right, 2 centre, 3 justify
    uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    int16_t leading = 0;
    std::string variableName;
    std::string initialText;
};

struct ButtonRecord {
    bool stateUp = false, stateOver = false, stateDown = false, stateHitTest = false;
    uint16_t characterId = 0;
    uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    std::vector<Filter> filters;
    BlendMode blendMode = BlendMode::Normal;
};

struct ButtonAction {
    uint16_t conditions = 0;  // DefineButton2 condition flags; DefineButton 1: release (0x0008)
    std::vector<uint8_t> actions;
};

struct ButtonDefinition {
    int version = 1;
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;
};

using CharacterDefinition =
    std::variant<ShapeDefinition, MorphShapeDefinition, BitmapDefinition, SpriteDefinition, FontDefinition,
                 TextDefinition, EditTextDefinition, ButtonDefinition>;

// ---- The movie -----------------------------------------------------------------------------

struct Movie {
    Header header;
    std::map<uint16_t, std::shared_ptr<const CharacterDefinition>> characters;
    Timeline timeline;
    std::vector<uint8_t> jpegTables;
    std::map<std::string, uint16_t> exports;  // ExportAssets: name to character id
    std::vector<std::string> warnings;        // characters or tags that were skipped, and why
};

}  // namespace swf
