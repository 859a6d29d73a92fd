// Puts a finished off-screen layer onto what lies below it, with one of the Flash blend modes.
#pragma once

#include <cstdint>

#include "engine/base/color.h"
#include "engine/base/effects.h"
#include "engine/base/image.h"
#include "engine/render/int_rect.h"

namespace swf::render {

// Composites `area` of `layer` onto the same pixels of `below` (both premultiplied, same size).
// `mask`, when not null, is a coverage plane of the same size that clips the layer. Alpha and erase
// act only where the layer has content: there they scale what lies below by the layer's alpha
// (alpha) or its complement (erase).
void compositeLayer(const RgbaImage& layer, RgbaImage& below, const IntRect& area, BlendMode mode,
                    const uint8_t* mask);

// Applies a colour transform to the pixels of `area` (straight colour, then premultiplied again).
// Transparent pixels stay transparent: a layer's empty parts do not gain colour.
void transformArea(RgbaImage& image, const IntRect& area, const ColorTransform& cxform);

// Adds the layer's alpha, as coverage, to a mask plane being collected.
void uniteLayerIntoMask(const RgbaImage& layer, uint8_t* mask, int maskWidth, const IntRect& area,
                        const uint8_t* clip);

}  // namespace swf::render
