// LZMA decompression of a movie body (the ZWS form) with a cap on the output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/parse/inflate.h"

namespace swf {

// Decodes raw LZMA `data` made with the five property bytes `properties`, giving `expectedSize`
// bytes at most (an LZMA body in a movie has no end marker: its size comes from the header).
// An `expectedSize` past `maxOutput` throws ParseError(Limit) naming `what`; properties that
// cannot be read throw ParseError(Malformed). Data that ends early or is damaged gives what came
// before, with `complete` false. A build without liblzma throws ParseError(Unsupported).
InflateResult lzmaDecodeCapped(std::span<const uint8_t> properties, std::span<const uint8_t> data,
                               uint64_t expectedSize, size_t maxOutput, const std::string& what);

}  // namespace swf
