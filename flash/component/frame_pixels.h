// The engine's frame (premultiplied RGBA) as the rows of a 32-bit GDI bitmap (B, G, R, unused),
// over the control's opaque background colour. Runs for every pixel of every frame shown.
#pragma once

#include <cstddef>
#include <cstdint>

namespace flash {

struct BackgroundRgb {
    uint8_t r = 255, g = 255, b = 255;
};

// Converts `pixels` pixels of one row. The rows may not overlap.
void composeFrameRow(const uint8_t* rgba, uint8_t* bgrx, size_t pixels, BackgroundRgb background);

// A rectangle of pixels, half-open (x0 <= x < x1, y0 <= y < y1).
struct PixelArea {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
    bool operator==(const PixelArea&) const = default;
};

// Converts the part of a `width` x `height` frame inside `area` into the same place of the bitmap
// (the same size, rows of width * 4 bytes each), leaving the rest of the bitmap as it was. The area
// is clipped to the frame first; returns what was converted.
PixelArea composeFrameArea(const uint8_t* rgba, uint8_t* bgrx, int width, int height, PixelArea area,
                           BackgroundRgb background);

}  // namespace flash
