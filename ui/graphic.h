// A picture ready to draw: 32-bit pixels, top row first. A bitmap picture is drawn transparent
// (pixels of transparentColor left out); a JPEG is drawn whole.
#pragma once

#include <cstdint>
#include <vector>

namespace ui {

struct Graphic {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, width * height, top row first
    bool transparent = false;
    std::uint32_t transparentColor = 0;  // 0x00RRGGBB; only with transparent

    bool empty() const { return width <= 0 || height <= 0 || pixels.empty(); }
};

}  // namespace ui
