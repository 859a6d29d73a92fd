// Decoded pictures to the engine's premultiplied RGBA: the planar YUV 4:2:0 the H.263 and VP6
// decoders give (with an alpha plane for VP6 with alpha), and the BGR of Screen Video.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/base/image.h"

namespace swf {

struct Plane {
    const uint8_t* data = nullptr;
    ptrdiff_t stride = 0;  // bytes from one row to the next
};

// Limited-range BT.601 colours, each chroma sample serving a 2x2 block; `alpha` (full resolution)
// may be absent (opaque). The picture is the top-left `width` x `height` of the planes.
RgbaImage yuv420ToRgba(Plane y, Plane u, Plane v, Plane alpha, int width, int height);

// Three bytes per pixel, blue first; opaque.
RgbaImage bgrToRgba(Plane bgr, int width, int height);

}  // namespace swf
