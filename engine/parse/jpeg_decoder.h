// JPEG to RGBA through libjpeg, with the stream repairs SWF files need.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/base/image.h"

namespace swf {

// Decodes `jpeg` (after the tables-only stream `tables`, when not empty) into opaque RGBA.
// Throws ParseError for damaged data or a side longer than `maxDimension`.
RgbaImage decodeJpeg(std::span<const uint8_t> jpeg, std::span<const uint8_t> tables, int maxDimension);

// Drops the end-and-start marker pairs (FF D9 FF D8) that some writers put before or inside the
// header, which would end the stream for libjpeg before its image.
std::vector<uint8_t> repairJpegHeader(std::span<const uint8_t> jpeg);

}  // namespace swf
