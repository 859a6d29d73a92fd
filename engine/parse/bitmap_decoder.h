// Turns an EncodedBitmap into premultiplied RGBA pixels (JPEG through libjpeg, lossless through zlib).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/base/image.h"
#include "engine/base/styles.h"
#include "engine/parse/characters.h"
#include "engine/parse/parser.h"

namespace swf {

// Decodes `bitmap`; `jpegTables` is the movie's JPEGTables (used by DefineBits only). Returns null and
// sets `error` when the data is damaged, of a kind not supported, or past `maxDimension` on a side.
BitmapRef decodeBitmap(const EncodedBitmap& bitmap, std::span<const uint8_t> jpegTables, std::string& error,
                       int maxDimension = kMaxBitmapDimension);

}  // namespace swf
