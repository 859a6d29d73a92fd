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

}  // namespace flash
