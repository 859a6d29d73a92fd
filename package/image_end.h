// The image end of a Windows executable: the first byte behind the raw data of its sections,
// where a package data block begins. Computed from the first bytes of the file, which the loader
// maps unchanged to the image's base address.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sav {

// Largest PointerToRawData + SizeOfRawData (unsigned 32-bit sums) over the section table.
// 0 without the "MZ" and "PE\0\0" signatures, or when the headers do not fit in `size`.
// A PE32 image's optional header is taken as 224 bytes whatever its size field says; a PE32+
// image (optional-header magic 0x20B) has a 240-byte one.
uint32_t ImageEndFromHeaders(const uint8_t* headers, size_t size);

}  // namespace sav
