// Decoding bitmap characters into premultiplied RGBA: JPEG through libjpeg, lossless data through zlib.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/base/image.h"
#include "engine/parse/movie.h"

namespace swf {

// Throws ParseError for data that cannot be decoded or breaks a size limit.
RgbaImage decodeBitmap(const BitmapDefinition& bitmap, const std::vector<uint8_t>& jpegTables);

// A JPEG stream to straight RGBA (alpha 255). Throws ParseError.
RgbaImage decodeJpeg(const std::vector<uint8_t>& jpeg);

}  // namespace swf
