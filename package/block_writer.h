// Writing a package data block: what the packaging tool appends behind the engine's image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sav {

struct PackageContents {
    std::string dialogCaption;            // empty: the reader shows "About"
    std::string buttonCaption;            // empty: the reader shows "OK"
    int32_t backColor = 0x1FFFFFFF;       // 0x00BBGGRR, or 0x1FFFFFFF for none
    bool interactive = false;
    std::string aboutText;                // RTF
    int32_t watermarkLeft = -1;
    int32_t watermarkTop = -1;
    std::vector<uint8_t> watermark;       // a whole BMP or JPEG file, or nothing
    std::vector<uint8_t> movie;           // a whole SWF file
};

// The block's bytes, fields in order. Throws std::length_error when a field is too long for its
// 32-bit length (strings: 2,147,483,647 bytes; blobs: 4,294,967,295 bytes).
std::vector<uint8_t> WritePackageBlock(const PackageContents& contents);

}  // namespace sav
