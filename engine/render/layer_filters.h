// Bitmap filters applied to a finished layer before it is composited: blur, drop shadow, glow,
// bevel, gradient glow and bevel, convolution, colour matrix and displacement map. Work is limited to the drawn area
// grown by what each filter spreads.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/base/effects.h"
#include "engine/base/image.h"
#include "engine/render/int_rect.h"

namespace swf::render {

struct FilterScratch {
    std::vector<uint8_t> alpha, shadow, highlight;
    std::vector<uint32_t> line;
    std::vector<uint8_t> copy;
};

// Applies `filters` in order to `image` (premultiplied), whose content lies within `drawn`.
// Returns the area the filtered content may now cover (within the image).
IntRect applyLayerFilters(RgbaImage& image, const IntRect& drawn, const std::vector<Filter>& filters,
                          FilterScratch& scratch);

// How far, in pixels on each axis, `filters` carry content: a filtered pixel depends only on the
// layer's pixels within this distance of it, and content spreads no further than this.
struct FilterReach {
    int x = 0, y = 0;
};
FilterReach layerFilterReach(const std::vector<Filter>& filters);

}  // namespace swf::render
