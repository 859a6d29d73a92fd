// Reads a whole SWF file (FWS, CWS or ZWS) into a Movie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

#include "engine/parse/movie.h"

namespace swf {

// Default limits; a movie going past one fails (or, for a per-character limit, loses that character)
// with a message naming the limit.
constexpr size_t kMaxInflatedMovieBytes = 128u * 1024 * 1024;
constexpr int kMaxBitmapDimension = 8192;                         // width or height, pixels
constexpr uint64_t kMaxTotalBitmapPixels = 64ull * 1024 * 1024;   // all bitmaps of a movie together
constexpr size_t kMaxShapeRecords = 1'000'000;                    // records of one shape (or glyph set)
constexpr size_t kMaxTotalShapeRecords = 2'000'000;               // all shapes, morphs and glyphs together
constexpr int kMaxSpriteNesting = 8;                              // DefineSprite within DefineSprite
constexpr size_t kMaxTagCount = 2'000'000;                        // tags in the whole movie

struct ParseLimits {
    size_t maxInflatedBytes = kMaxInflatedMovieBytes;
    int maxBitmapDimension = kMaxBitmapDimension;
    uint64_t maxTotalBitmapPixels = kMaxTotalBitmapPixels;
    size_t maxShapeRecords = kMaxShapeRecords;
    size_t maxTotalShapeRecords = kMaxTotalShapeRecords;
    int maxSpriteNesting = kMaxSpriteNesting;
    size_t maxTagCount = kMaxTagCount;
};

class ParseError : public std::runtime_error {
public:
    enum class Kind : uint8_t { NotSwf, Unsupported, Truncated, Malformed, Limit };
    ParseError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// Throws ParseError when the movie as a whole cannot be read (not a SWF, a broken zlib or LZMA stream
// before the first tag, a limit on the whole movie). A truncated or damaged tail keeps what was read
// before it and adds a warning; a damaged character definition lands in Movie::failedCharacters.
Movie parseMovie(std::span<const uint8_t> file, const ParseLimits& limits = {});

}  // namespace swf
