// Where the watermark goes along one axis of the saver window. Portable: no Windows header.
#pragma once

#include <cstdint>

namespace forms {

// The package's value that asks for a centred watermark.
constexpr int32_t kWatermarkCentred = -32768;

// The watermark's position along one axis, from the package's value for that axis (value), the
// window's extent (space) and the image's extent (image):
//   -32768          centred, (space - image) / 2 truncated toward zero
//   -32767 .. -1    counted from the far edge: -1 is flush with it, -11 leaves 10 pixels
//   anything else   the value itself, from the near edge
int32_t WatermarkPosition(int32_t value, int32_t space, int32_t image);

}  // namespace forms
