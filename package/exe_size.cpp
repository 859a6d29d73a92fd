#include "package/exe_size.h"

#include "package/image_end.h"

#include <windows.h>

uint32_t GetExeSize() {
    const auto* base = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
    if (!base) return 0;
    // The headers are read only as far as the mapped region of the base address reaches.
    MEMORY_BASIC_INFORMATION region{};
    if (!VirtualQuery(base, &region, sizeof region)) return 0;
    const size_t mapped = region.RegionSize - static_cast<size_t>(base - static_cast<const uint8_t*>(region.BaseAddress));
    return sav::ImageEndFromHeaders(base, mapped);
}
