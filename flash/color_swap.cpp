#include "flash/color_swap.h"

namespace flash {

std::int32_t FlashColorSwap(std::int32_t value, const std::function<std::uint32_t(int index)>& systemColor) {
    std::uint32_t v = static_cast<std::uint32_t>(value);
    if (value < 0) v = systemColor ? systemColor(static_cast<int>(v & 0xFF)) : 0;
    const std::uint32_t b1 = (v >> 16) & 0xFF, b2 = (v >> 8) & 0xFF, b3 = v & 0xFF;
    return static_cast<std::int32_t>(b1 | (b2 << 8) | (b3 << 16));
}

}  // namespace flash
