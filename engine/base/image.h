// A 32-bit RGBA raster. Pixels are premultiplied by alpha, stored R, G, B, A byte by byte, row by row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace swf {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width * height * 4 bytes

    RgbaImage() = default;
    RgbaImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, 0) {}

    bool empty() const { return width <= 0 || height <= 0; }
    uint8_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4; }
    const uint8_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4; }
    uint8_t* at(int x, int y) { return row(y) + static_cast<size_t>(x) * 4; }
    const uint8_t* at(int x, int y) const { return row(y) + static_cast<size_t>(x) * 4; }
};

}  // namespace swf
