// Decoding of Windows bitmap files ("BM"): core and info headers up to version 5, 1/4/8-bit
// palettes, 16/24/32-bit pixels, bit-field masks and RLE4/RLE8 compression.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sav {

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // top-down, B,G,R,A with A = 255
};

// Throws EInvalidGraphic for anything it cannot decode, truncated pixel data included.
DecodedImage DecodeBmp(const uint8_t* data, size_t size);

// The largest picture either decoder accepts, in pixels: a header that claims more is refused
// before anything is allocated.
constexpr uint64_t kMaxPicturePixels = uint64_t{1} << 24;

}  // namespace sav
