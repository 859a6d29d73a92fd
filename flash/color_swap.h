// The Flash colour swap: the GUI layer's 0x00BBGGRR colours and the Flash component's 0x00RRGGBB
// colours differ in byte order; the same swap converts both ways. Portable (tested natively).
#pragma once

#include <cstdint>
#include <functional>

namespace flash {

// A negative value is a system colour; `systemColor` gives its RGB (0x00BBGGRR) from its index
// (the value's low byte). The lowest and the third byte change places; the top byte is cleared.
std::int32_t FlashColorSwap(std::int32_t value, const std::function<std::uint32_t(int index)>& systemColor);

}  // namespace flash
