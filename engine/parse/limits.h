// Hard limits on what a movie may ask of the engine. Past one, the movie or the character that
// asks fails with a message; the process never does.
#pragma once

#include <cstddef>
#include <cstdint>

namespace swf::limits {

constexpr size_t kMaxMovieBytes = 256u * 1024 * 1024;        // inflated size of a movie
constexpr uint32_t kMaxBitmapSide = 8191;                     // pixels per side of one bitmap
constexpr size_t kMaxBitmapPixels = 16u * 1024 * 1024;        // pixels in one bitmap
constexpr size_t kMaxTotalBitmapPixels = 64u * 1024 * 1024;   // decoded pixels held by one movie
constexpr size_t kMaxShapeRecords = 1u << 20;                 // records in one shape
constexpr size_t kMaxTags = 1u << 22;                         // tags in one movie
constexpr int kMaxSpriteNesting = 32;                         // DefineSprite inside DefineSprite
constexpr size_t kMaxFramesPerTimeline = 16000;               // SWF's own frame limit

}  // namespace swf::limits
