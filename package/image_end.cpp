#include "package/image_end.h"

namespace sav {

namespace {

constexpr uint16_t kDosSignature = 0x5A4D;      // "MZ"
constexpr uint32_t kPeSignature = 0x00004550;   // "PE\0\0"
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kPe32OptionalHeader = 224;
constexpr size_t kPe32PlusOptionalHeader = 240;
constexpr size_t kFileHeaderEnd = 24;           // signature + file header
constexpr size_t kSectionEntry = 40;

// Reads little-endian values at `offset` when they lie inside the buffer.
bool Read16(const uint8_t* data, size_t size, uint64_t offset, uint16_t& value) {
    if (offset + 2 > size) return false;
    value = static_cast<uint16_t>(data[offset] | data[offset + 1] << 8);
    return true;
}

bool Read32(const uint8_t* data, size_t size, uint64_t offset, uint32_t& value) {
    if (offset + 4 > size) return false;
    value = static_cast<uint32_t>(data[offset]) | static_cast<uint32_t>(data[offset + 1]) << 8 |
            static_cast<uint32_t>(data[offset + 2]) << 16 | static_cast<uint32_t>(data[offset + 3]) << 24;
    return true;
}

}  // namespace

uint32_t ImageEndFromHeaders(const uint8_t* headers, size_t size) {
    uint16_t dos = 0;
    if (!Read16(headers, size, 0, dos) || dos != kDosSignature) return 0;
    uint32_t peOffset = 0, pe = 0;
    if (!Read32(headers, size, 60, peOffset) || !Read32(headers, size, peOffset, pe) || pe != kPeSignature)
        return 0;
    uint16_t sections = 0, magic = 0;
    if (!Read16(headers, size, uint64_t{peOffset} + 6, sections)) return 0;
    Read16(headers, size, uint64_t{peOffset} + kFileHeaderEnd, magic);
    const size_t optional = magic == kPe32PlusMagic ? kPe32PlusOptionalHeader : kPe32OptionalHeader;
    const uint64_t table = uint64_t{peOffset} + kFileHeaderEnd + optional;

    uint32_t end = 0;
    for (uint16_t i = 0; i < sections; ++i) {
        const uint64_t entry = table + uint64_t{i} * kSectionEntry;
        uint32_t rawSize = 0, rawPointer = 0;
        if (!Read32(headers, size, entry + 16, rawSize) || !Read32(headers, size, entry + 20, rawPointer)) return 0;
        const uint32_t sum = rawSize + rawPointer;  // wraps like the 32-bit loader arithmetic
        if (sum > end) end = sum;
    }
    return end;
}

}  // namespace sav
