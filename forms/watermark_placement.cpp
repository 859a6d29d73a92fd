#include "forms/watermark_placement.h"

namespace forms {

int32_t WatermarkPosition(int32_t value, int32_t space, int32_t image) {
    // 64-bit arithmetic: the package's values are arbitrary 32-bit numbers and must not overflow.
    const int64_t s = space, i = image, v = value;
    int64_t position;
    if (value == kWatermarkCentred) {
        position = (s - i) / 2;  // C++ division truncates toward zero, as the rule asks
    } else if (value >= -32767 && value <= -1) {
        position = v + s - i + 1;
    } else {
        position = v;
    }
    if (position > INT32_MAX) return INT32_MAX;
    if (position < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(position);
}

}  // namespace forms
