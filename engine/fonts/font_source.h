// Where device fonts come from: the faces of the system a movie names without carrying their
// outlines ("_sans", "Arial", ...). Each host supplies its own source (the system's font API in the
// Windows program, FreeType in the native tools); the engine asks it only through this face.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/shape.h"

namespace swf {

// Sizes of a face in its glyph units (`emSquare` units to the em).
struct FaceMetrics {
    double emSquare = 1024;
    double ascent = 0, descent = 0, leading = 0;  // descent positive, below the baseline
};

// One face at one style. Glyph 0 is the face's "missing" glyph.
class FontFace {
public:
    virtual ~FontFace() = default;
    virtual const std::string& family() const = 0;
    virtual FaceMetrics metrics() = 0;
    // The glyph that draws `codePoint`; 0 when the face has none.
    virtual uint32_t glyphIndex(uint32_t codePoint) = 0;
    virtual double advance(uint32_t glyph) = 0;
    // The advance adjustment between two glyphs that follow each other; 0 for most pairs.
    virtual double kerning(uint32_t left, uint32_t right) = 0;
    // The glyph's outline, y growing downwards, as records that fill with style 1 (a glyph of a
    // DefineFont has the same form).
    virtual std::vector<ShapeRecord> outline(uint32_t glyph) = 0;
};

class FontSource {
public:
    virtual ~FontSource() = default;
    // The face of `family` at a style, or null when the system has no such family. Families are
    // the system's own names: the movie's generic names are mapped before they get here.
    virtual std::unique_ptr<FontFace> open(const std::string& family, bool bold, bool italic) = 0;
    // The families there are, for scripts that list the fonts.
    virtual std::vector<std::string> families() = 0;
};

}  // namespace swf
