#include "flash/component/frame_pixels.h"

#include <algorithm>
#include <cstring>

namespace flash {

void composeFrameRow(const uint8_t* rgba, uint8_t* bgrx, size_t pixels, BackgroundRgb background) {
    // The engine paints its own background first, so rows are nearly always opaque: then the
    // background plays no part and a byte swap per pixel, which the compiler vectorizes, is all. The
    // swap notes whether every pixel was opaque; a row that was not is done again with the background.
    uint32_t opaque = 0xFF000000u;
    for (size_t x = 0; x < pixels; ++x) {
        uint32_t p;
        std::memcpy(&p, rgba + 4 * x, 4);
        opaque &= p;
        const uint32_t q = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
        std::memcpy(bgrx + 4 * x, &q, 4);
    }
    if (opaque == 0xFF000000u) return;
    for (size_t x = 0; x < pixels; ++x) {
        const uint8_t* s = rgba + 4 * x;
        uint8_t* d = bgrx + 4 * x;
        const unsigned rest = 255u - s[3];
        // Clamped: a colour above its alpha (not premultiplied properly) must not wrap around.
        d[0] = static_cast<uint8_t>(std::min(255u, s[2] + (background.b * rest + 127) / 255));
        d[1] = static_cast<uint8_t>(std::min(255u, s[1] + (background.g * rest + 127) / 255));
        d[2] = static_cast<uint8_t>(std::min(255u, s[0] + (background.r * rest + 127) / 255));
        d[3] = 255;
    }
}

PixelArea composeFrameArea(const uint8_t* rgba, uint8_t* bgrx, int width, int height, PixelArea area,
                           BackgroundRgb background) {
    const PixelArea clipped{std::max(area.x0, 0), std::max(area.y0, 0), std::min(area.x1, width),
                            std::min(area.y1, height)};
    if (clipped.empty()) return {};
    const size_t rowBytes = static_cast<size_t>(width) * 4, offset = static_cast<size_t>(clipped.x0) * 4;
    for (int y = clipped.y0; y < clipped.y1; ++y) {
        const size_t row = static_cast<size_t>(y) * rowBytes + offset;
        composeFrameRow(rgba + row, bgrx + row, static_cast<size_t>(clipped.x1 - clipped.x0), background);
    }
    return clipped;
}

}  // namespace flash
